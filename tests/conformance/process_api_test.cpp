// The process's own facts as the platform gives them: its command line, code
// page, clock and time zone, the last error, global memory, starting a
// program, debug output and the end of the process.
#include <cstring>
#include <string>
#include <vector>

#include "platform_test.h"
#include "scratch_folder.h"

namespace {

class ProcessApi : public PlatformTest {};

std::string ExecutablePath() {
  char path[MAX_PATH + 1] = "";
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, length < MAX_PATH ? length : 0);
}

TEST_F(ProcessApi, TheCommandLineStartsWithTheQuotedProgramAndStaysPut) {
  const std::string line = GetCommandLineA();
  const std::string program = "\"" + ExecutablePath() + "\"";
  EXPECT_EQ(line.substr(0, program.size()), program);
  EXPECT_EQ(GetCommandLineA(), GetCommandLineA()) << "the same text every time";
}

TEST_F(ProcessApi, TheAnsiCodePageIsWesternEuropean) { EXPECT_EQ(GetACP(), 1252u); }

TEST_F(ProcessApi, TheLastErrorIsKeptUntilACallSetsIt) {
  for (DWORD value : {DWORD(0), DWORD(1), DWORD(0xdeadbeef)}) {
    SetLastError(value);
    GetACP();
    EXPECT_EQ(GetLastError(), value);
  }
  // A debug-output line with nobody listening changes it.
  SetLastError(1234);
  OutputDebugStringA("conformance: a line of debug output\n");
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  SetLastError(1234);
  const WCHAR wide[] = {'w', 'i', 'd', 'e', ' ', 0x041F, 0x0443, 0x0442, 0x044C, '\n', 0};
  OutputDebugStringW(wide);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST_F(ProcessApi, TheLocalTimeIsAValidDateWithItsDayOfTheWeek) {
  SYSTEMTIME now;
  std::memset(&now, 0xEE, sizeof now);
  GetLocalTime(&now);
  EXPECT_GE(now.wYear, 2024);
  EXPECT_TRUE(now.wMonth >= 1 && now.wMonth <= 12) << now.wMonth;
  EXPECT_TRUE(now.wDay >= 1 && now.wDay <= 31) << now.wDay;
  EXPECT_LT(now.wHour, 24);
  EXPECT_LT(now.wMinute, 60);
  EXPECT_LT(now.wSecond, 60);
  EXPECT_LT(now.wMilliseconds, 1000);
  static const int kOffsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  const int year = now.wMonth < 3 ? now.wYear - 1 : now.wYear;
  const int weekday = (year + year / 4 - year / 100 + year / 400 + kOffsets[(now.wMonth - 1) % 12] + now.wDay) % 7;
  EXPECT_EQ(now.wDayOfWeek, weekday);
}

// The run sets the zone two hours east of UTC without daylight saving: TZ for
// Wine (tests/conformance/CMakeLists.txt), the same zone natively.
// An unload bounds its wait on another thread by the tick count.
TEST_F(ProcessApi, TheTickCountFollowsRealTime) {
  const DWORD start = GetTickCount();
  Sleep(50);
  const DWORD slept = GetTickCount() - start;
  EXPECT_GE(slept, 40u);
  EXPECT_LT(slept, 5000u);
}

TEST_F(ProcessApi, TheTimeZoneBiasIsWhatToAddToLocalTimeForUtc) {
#ifdef _WIN32
  const char* zone = std::getenv("TZ");
  if (zone == nullptr || std::string(zone) != "UTC-2") GTEST_SKIP() << "needs TZ=UTC-2";
#else
  winsim::SetTimeZone(winsim::TimeZone{-120, 0, -60, TIME_ZONE_ID_UNKNOWN});
#endif
  TIME_ZONE_INFORMATION information;
  std::memset(&information, 0xEE, sizeof information);
  EXPECT_EQ(GetTimeZoneInformation(&information), DWORD(TIME_ZONE_ID_UNKNOWN)) << "no daylight saving";
  EXPECT_EQ(information.Bias, -120) << "east of UTC is negative";
  EXPECT_EQ(information.StandardBias, 0);
  EXPECT_EQ(information.DaylightBias, -60);
}

TEST_F(ProcessApi, GlobalMemoryIsZeroedLockedAndFreed) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 16);
  ASSERT_NE(block, nullptr);
  auto* bytes = static_cast<BYTE*>(GlobalLock(block));
  ASSERT_NE(bytes, nullptr);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(bytes[i], 0) << i;
  EXPECT_EQ(GlobalLock(block), bytes) << "a second lock, the same memory";
  struct Unlock {
    BOOL result;
    DWORD error;
  };
  // TRUE while locked; the last unlock says NO_ERROR, one more ERROR_NOT_LOCKED.
  const Unlock unlocks[] = {{TRUE, 0xdeadbeef}, {FALSE, ERROR_SUCCESS}, {FALSE, ERROR_NOT_LOCKED}};
  for (const Unlock& unlock : unlocks) {
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GlobalUnlock(block), unlock.result);
    EXPECT_EQ(GetLastError(), unlock.error);
  }
  SetLastError(0xdeadbeef);
  EXPECT_EQ(GlobalFree(block), nullptr);
  EXPECT_EQ(GetLastError(), 0xdeadbeefu);
  EXPECT_EQ(GlobalFree(block), block) << "freed already";
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));

  // A block of no bytes has nothing to lock.
  HGLOBAL empty = GlobalAlloc(GMEM_MOVEABLE, 0);
  ASSERT_NE(empty, nullptr);
  SetLastError(0xdeadbeef);
  EXPECT_EQ(GlobalLock(empty), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_DISCARDED));
  EXPECT_EQ(GlobalFree(empty), nullptr);
  EXPECT_EQ(GlobalLock(nullptr), nullptr);
}

// The folder's name is plain ASCII, so its wide name narrows byte by byte.
std::string Narrow(const WideText& wide) { return std::string(wide.begin(), wide.end()); }

TEST_F(ProcessApi, WinExecStartsProgramsOnly) {
  ScratchFolder folder("winexec");
  folder.PlaceText("notes.txt");
  folder.PlaceModule("module.dll");
#ifndef _WIN32
  // What every Windows system folder holds.
  winsim::AddFile("C:\\Windows\\System32\\cmd.exe");
#endif
  const std::string in = Narrow(folder.Path()) + "\\";
  struct Case {
    std::string commandLine;
    bool started;
    UINT error;  // when not started
  };
  const Case cases[] = {
      {"cmd.exe /c exit 0", true, 0},
      {"cmd /c exit 0", true, 0},
      {"no_such_program_of_tarvex.exe", false, ERROR_FILE_NOT_FOUND},
      {in + "missing.exe", false, ERROR_FILE_NOT_FOUND},
      {in + "missing\\missing.exe", false, ERROR_FILE_NOT_FOUND},
      {"\"" + in + "missing.exe\" /quiet", false, ERROR_FILE_NOT_FOUND},
      {in + "notes.txt", false, ERROR_BAD_FORMAT},
      {in + "module.dll", false, ERROR_BAD_FORMAT},
      {"", false, ERROR_FILE_NOT_FOUND},
  };
  for (const Case& c : cases) {
    const UINT result = WinExec(c.commandLine.c_str(), SW_HIDE);
    if (c.started) {
      EXPECT_GT(result, 31u) << c.commandLine;
    } else {
      EXPECT_EQ(result, c.error) << c.commandLine;
    }
  }
}

TEST_F(ProcessApi, ExitProcessEndsAtOnceWithItsCode) {
  EXPECT_EXIT(ExitProcess(7), ::testing::ExitedWithCode(7), "");
}

}  // namespace
