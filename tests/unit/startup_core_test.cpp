#include <winsim/control.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "core/clock_check.h"
#include "core/library_entry.h"
#include "startup_fixture.h"
#include "test_dib.h"

namespace {

class LibraryEntryTest : public StartupTest {};

TEST(StartupObject, DestructionClearsTheGlobalPointer) {
  FreshMachine machine;
  {
    ProductStartup startup;
    EXPECT_EQ(TheStartup(), &startup);
  }
  EXPECT_EQ(TheStartup(), nullptr);
}

TEST_F(LibraryEntryTest, ThreadReasonsChangeNothing) {
  for (DWORD reason : {DWORD{DLL_THREAD_ATTACH}, DWORD{DLL_THREAD_DETACH}}) {
    winsim::ClearCalls();
    EXPECT_EQ(RunLibraryEntry(startup, ownModule, reason), TRUE);
    EXPECT_TRUE(winsim::Calls().empty()) << "reason " << reason;
    EXPECT_EQ(startup.OwnModule(), nullptr);
  }
}

TEST_F(LibraryEntryTest, AttachSettlesAndDetachReleases) {
  winsim::SetCommandLine("host.exe /nologo");
  EXPECT_EQ(RunLibraryEntry(startup, ownModule, DLL_PROCESS_ATTACH), TRUE);
  EXPECT_EQ(startup.OwnModule(), ownModule);
  EXPECT_NE(startup.Resources().Module(), nullptr);

  winsim::AddFile("C:\\Program Files\\Tarvex\\cleanup.exe");
  startup.SetExitCommand("cleanup.exe /quiet", SW_HIDE);
  EXPECT_EQ(RunLibraryEntry(startup, ownModule, DLL_PROCESS_DETACH), TRUE);
  EXPECT_EQ(startup.OwnModule(), nullptr);
  ASSERT_EQ(winsim::ProcessesStarted().size(), 1u);
  EXPECT_EQ(winsim::ProcessesStarted()[0].program, "C:\\Program Files\\Tarvex\\cleanup.exe");
  EXPECT_EQ(winsim::ProcessesStarted()[0].commandLine, "cleanup.exe /quiet");
  EXPECT_EQ(winsim::ProcessesStarted()[0].show, WORD{SW_HIDE});
}

TEST_F(LibraryEntryTest, DetachStartsTheExitCommandAfterReleasingTheResourceLibrary) {
  winsim::AddFile("C:\\Program Files\\Tarvex\\after.exe");
  winsim::AddModuleFile("C:\\Program Files\\Tarvex\\OxaRes0.dll", winsim::ModuleImage{});
  RunLibraryEntry(startup, ownModule, DLL_PROCESS_ATTACH);
  startup.SetExitCommand("after.exe", SW_SHOWNORMAL);
  winsim::ClearCalls();
  RunLibraryEntry(startup, ownModule, DLL_PROCESS_DETACH);
  const auto& calls = winsim::Calls();
  const auto released = std::find(calls.begin(), calls.end(), "FreeLibrary");
  ASSERT_NE(released, calls.end());
  EXPECT_NE(std::find(released, calls.end(), "CreateProcessA"), calls.end());
}

// The process ending: its other threads are gone, and their windows with
// them. The exit command runs first, and nothing of theirs is touched.
TEST_F(LibraryEntryTest, AtProcessExitTheExitCommandRunsFirstAndNothingElseIsTouched) {
  winsim::ModuleImage image;
  image.bitmaps["SVGA_LOGO_ZOLT"] = test_dib::Plain(400, 300, 8);
  PrepareMainModeLogo(startup, ownModule, image);
  startup.CreateLogoWindow();
  ASSERT_NE(startup.Logo().Window(), nullptr);
  winsim::AddFile("C:\\Program Files\\Tarvex\\after.exe");
  startup.SetExitCommand("after.exe", SW_HIDE);
  winsim::ClearCalls();
  int processEnding = 0;
  EXPECT_EQ(RunLibraryEntry(startup, ownModule, DLL_PROCESS_DETACH, &processEnding), TRUE);
  ASSERT_EQ(winsim::ProcessesStarted().size(), 1u);
  EXPECT_EQ(winsim::ProcessesStarted()[0].commandLine, "after.exe");
  for (const char* untouched : {"DestroyWindow", "SendMessageTimeoutA", "PostMessageA", "SetWindowLongPtrA",
                                "DeleteObject", "UnregisterClassA", "FreeLibrary", "GlobalFree"}) {
    EXPECT_EQ(winsim::CallCount(untouched), 0) << untouched;
  }
  EXPECT_EQ(startup.OwnModule(), nullptr);
}

// ---- the clock check

struct ClockCase {
  WORD year, month, day, hour, minute, second;
  LONG bias;  // minutes: UTC = local + bias
  bool accepted;
};

class CalendarTimeTest : public ::testing::TestWithParam<ClockCase> {};

TEST_P(CalendarTimeTest, HoldsOnlyTimesOfThe32BitRange) {
  const ClockCase& c = GetParam();
  SYSTEMTIME local{c.year, c.month, 0, c.day, c.hour, c.minute, c.second, 0};
  std::int32_t seconds = 0x0deadbee;
  EXPECT_EQ(LocalTimeToCalendarTime(local, c.bias, &seconds), c.accepted);
  if (!c.accepted) {
    EXPECT_EQ(seconds, 0x0deadbee) << "output must stay untouched on failure";
  }
}

// UTC, two hours east of it (bias -120) and five hours west (bias 300), at
// both ends of the range: the 32-bit calendar counts in UTC, the year rule
// in local time.
INSTANTIATE_TEST_SUITE_P(Dates, CalendarTimeTest,
                         ::testing::Values(ClockCase{1969, 12, 31, 23, 59, 59, 0, false},
                                           ClockCase{1970, 1, 1, 0, 0, 0, 0, true},
                                           ClockCase{2000, 2, 29, 12, 0, 0, 0, true},
                                           ClockCase{2038, 1, 19, 3, 14, 7, 0, true},
                                           ClockCase{2038, 1, 19, 3, 14, 8, 0, false},
                                           ClockCase{2039, 1, 1, 0, 0, 0, 0, false},
                                           ClockCase{1601, 1, 1, 0, 0, 0, 0, false},
                                           ClockCase{30827, 12, 31, 23, 59, 59, 0, false},
                                           ClockCase{1970, 1, 1, 1, 59, 59, -120, false},
                                           ClockCase{1970, 1, 1, 2, 0, 0, -120, true},
                                           ClockCase{2038, 1, 19, 5, 14, 7, -120, true},
                                           ClockCase{2038, 1, 19, 5, 14, 8, -120, false},
                                           ClockCase{1969, 12, 31, 19, 0, 0, 300, false},
                                           ClockCase{1970, 1, 1, 0, 0, 0, 300, true},
                                           ClockCase{2038, 1, 18, 22, 14, 7, 300, true},
                                           ClockCase{2038, 1, 18, 22, 14, 8, 300, false}));

TEST(CalendarTime, CountsLeapDaysLikeTheCLibrary) {
  std::int32_t seconds = 0;
  ASSERT_TRUE(LocalTimeToCalendarTime(SYSTEMTIME{2000, 3, 0, 1, 0, 0, 0, 0}, 0, &seconds));
  EXPECT_EQ(seconds, 951868800);  // 2000-03-01T00:00:00
  ASSERT_TRUE(LocalTimeToCalendarTime(SYSTEMTIME{2026, 12, 0, 7, 21, 30, 15, 0}, 0, &seconds));
  EXPECT_EQ(seconds, 1796679015);
  // Midnight five hours west of UTC is five in the morning there.
  ASSERT_TRUE(LocalTimeToCalendarTime(SYSTEMTIME{1970, 1, 0, 1, 0, 0, 0, 0}, 300, &seconds));
  EXPECT_EQ(seconds, 5 * 3600);
}

TEST(CalendarTime, TheBiasInForceIncludesDaylightSaving) {
  struct Case {
    const char* name;
    winsim::TimeZone zone;
    bool fails;
    LONG bias;
  };
  const Case cases[] = {
      {"no daylight saving", {-120, 0, -60, TIME_ZONE_ID_UNKNOWN}, false, -120},
      {"standard time", {-60, 0, -60, TIME_ZONE_ID_STANDARD}, false, -60},
      {"daylight saving", {-60, 0, -60, TIME_ZONE_ID_DAYLIGHT}, false, -120},
      {"standard time with a bias of its own", {300, 15, -60, TIME_ZONE_ID_STANDARD}, false, 315},
      {"the system cannot tell", {-120, 0, -60, TIME_ZONE_ID_DAYLIGHT}, true, 0},
  };
  for (const Case& c : cases) {
    FreshMachine machine;
    winsim::SetTimeZone(c.zone);
    if (c.fails) winsim::InjectFailure("GetTimeZoneInformation");
    EXPECT_EQ(CurrentTimeZoneBias(), c.bias) << c.name;
  }
}

using ClockCheckDeathTest = LibraryEntryTest;

TEST_F(ClockCheckDeathTest, DatesOutsideTheRangeEndTheProcessAfterTheMessage) {
  for (WORD year : {WORD{1969}, WORD{2039}}) {
    EXPECT_EXIT(
        {
          winsim::SetLocalTime(year, 6, 1);
          startup.OnProcessAttach(ownModule);
        },
        ::testing::ExitedWithCode(2), "MessageBoxA text=\"MSG_BAD_TIME\" caption=\"PROGRAM_TITLE\" style=16")
        << "year " << year;
  }
}

TEST_F(ClockCheckDeathTest, TheProcessEndsBeforeAnyWindowExists) {
  EXPECT_EXIT(
      {
        winsim::SetLocalTime(2040, 1, 1);
        startup.OnProcessAttach(ownModule);
      },
      ::testing::ExitedWithCode(2), "live windows=0\nwinsim: ExitProcess\\(2\\)");
}

TEST_F(ClockCheckDeathTest, TheFirstHoursOf1970EastOfUtcEndTheProcess) {
  EXPECT_EXIT(
      {
        winsim::SetTimeZone(winsim::TimeZone{-120, 0, 0, TIME_ZONE_ID_UNKNOWN});
        winsim::SetLocalTime(1970, 1, 1, 1, 30);
        startup.OnProcessAttach(ownModule);
      },
      ::testing::ExitedWithCode(2), "MessageBoxA text=\"MSG_BAD_TIME\"");
}

TEST_F(LibraryEntryTest, DatesInsideTheRangePass) {
  for (WORD year : {WORD{1970}, WORD{2038}}) {
    winsim::SetLocalTime(year, 1, 2);
    startup.CheckClock();
  }
  EXPECT_TRUE(winsim::MessageBoxes().empty());
}

}  // namespace
