// The process's own facts as the platform gives them: its command line, code
// page, clock and time zone, the last error, global memory, finding and
// starting a program, debug output and the end of the process.
#include <cstring>
#include <string>
#include <vector>

#include "core/program_start.h"
#include "guarded_buffer.h"
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
// An unload bounds its wait on another thread by the tick count. The count
// moves in steps of the timer's period (up to 16 ms, and Wine refreshes it
// about as often), so either reading may be one step late: the rule is
// milliseconds, not a precision.
TEST_F(ProcessApi, TheTickCountFollowsRealTime) {
  const DWORD kStepMs = 16;
  const DWORD start = GetTickCount();
  Sleep(50);
  const DWORD slept = GetTickCount() - start;
  EXPECT_GE(slept, 50u - 2 * kStepMs);
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

// ---- finding and starting programs

std::string Upper(std::string text) {
  for (char& ch : text) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  }
  return text;
}

// How the program at `path` started, as it reported it itself (flags and
// show state of its GetStartupInfoA), or as winsim recorded the last start;
// empty when it did not start.
std::string StartReport(const std::string& path) {
#ifdef _WIN32
  const std::string report = path + ".report";
  for (int waited = 0; GetFileAttributesA(report.c_str()) == INVALID_FILE_ATTRIBUTES; waited += 50) {
    if (waited >= 20000) return "";
    Sleep(50);
  }
  char text[64] = "";
  DWORD read = 0;
  HANDLE file = CreateFileA(report.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ReadFile(file, text, sizeof text - 1, &read, nullptr);
  CloseHandle(file);
  DeleteFileA(report.c_str());
  return std::string(text, read);
#else
  // The last program started, when it is this one.
  const std::vector<winsim::StartedProcess>& all = winsim::ProcessesStarted();
  if (all.empty() || Upper(all.back().program) != Upper(path)) return "";
  return "flags " + std::to_string(all.back().startupFlags) + " show " + std::to_string(all.back().show) + "\n";
#endif
}

TEST_F(ProcessApi, SearchPathFindsWhatProcessCreationLooksFor) {
  ScratchFolder folder("search");
  folder.PlaceText("tool.exe");
  folder.PlaceText("notes.txt");
  folder.PlaceFolder("sub");
  const std::string in = Narrow(folder.Path()) + "\\";
#ifndef _WIN32
  // Relative names are looked for from the program's folder, the scratch folder's parent's parent.
  winsim::SetHostExecutablePath("C:\\conformance_tests.exe");
  winsim::AddFile("C:\\Windows\\System32\\cmd.exe");
#endif
  struct Row {
    std::string name;
    const char* extension;
    std::string found;  // empty: nothing
  };
  const Row rows[] = {
      {in + "tool", ".exe", in + "tool.exe"},
      {in + "tool.exe", ".exe", in + "tool.exe"},
      {in + "tool", nullptr, ""},
      {in + "notes.txt", ".exe", in + "notes.txt"},
      {in + "notes", ".exe", ""},
      {in + "sub", ".exe", in + "sub"},
      {in + "missing\\tool", ".exe", ""},
      {"scratch\\search\\tool", ".exe", in + "tool.exe"},
      {"cmd", ".exe", "C:\\Windows\\System32\\cmd.exe"},
  };
  for (const Row& row : rows) {
    GuardedBuffer<char, MAX_PATH> buffer;
    char* filePart = nullptr;
    SetLastError(0xdeadbeef);
    const DWORD length = SearchPathA(nullptr, row.name.c_str(), row.extension, MAX_PATH, buffer.data(), &filePart);
    if (row.found.empty()) {
      EXPECT_EQ(length, 0u) << row.name;
      EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND)) << row.name;
      EXPECT_TRUE(buffer.UntouchedFrom(0)) << row.name;
      continue;
    }
    EXPECT_EQ(Upper(std::string(buffer.data(), length)), Upper(row.found)) << row.name;
    EXPECT_EQ(buffer.data()[length], '\0') << row.name;
    EXPECT_EQ(filePart, buffer.data() + row.found.find_last_of('\\') + 1) << row.name;
    EXPECT_TRUE(buffer.GuardsUntouched()) << row.name;
  }
  // Too small a buffer is left alone, and the size it needs comes back.
  GuardedBuffer<char, 8> small;
  EXPECT_EQ(SearchPathA(nullptr, (in + "tool").c_str(), ".exe", 8, small.data(), nullptr), in.size() + 9);
  EXPECT_TRUE(small.UntouchedFrom(0));
  SetLastError(0xdeadbeef);
  EXPECT_EQ(SearchPathA(nullptr, nullptr, ".exe", 8, small.data(), nullptr), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST_F(ProcessApi, FileAttributesTellAFolderFromAFile) {
  ScratchFolder folder("attributes");
  folder.PlaceText("tool.exe");
  folder.PlaceFolder("sub");
  const std::string in = Narrow(folder.Path()) + "\\";
  struct Row {
    std::string name;
    DWORD attributes;
    DWORD error;  // when INVALID_FILE_ATTRIBUTES
  };
  const Row rows[] = {
      {in + "tool.exe", FILE_ATTRIBUTE_ARCHIVE, 0},
      {in + "sub", FILE_ATTRIBUTE_DIRECTORY, 0},
      {in + "missing.exe", INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
      {in + "missing\\tool.exe", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
  };
  for (const Row& row : rows) {
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetFileAttributesA(row.name.c_str()), row.attributes) << row.name;
    if (row.attributes == INVALID_FILE_ATTRIBUTES) {
      EXPECT_EQ(GetLastError(), row.error) << row.name;
    }
  }
}

// The program that process creation starts for a line, with and without an
// application name: an unquoted path runs the shortest reading that names a
// program, a planted one included, unless the program is named.
TEST_F(ProcessApi, CreateProcessStartsTheFirstReadingThatNamesAProgram) {
  ScratchFolder folder("readings");
  folder.PlaceFolder("Tarvex Tools");
  folder.PlaceProgram("Tarvex Tools\\update.exe");
  folder.PlaceText("notes.txt");
  const std::string in = Narrow(folder.Path()) + "\\";
  const std::string meant = in + "Tarvex Tools\\update.exe";
  const std::string planted = in + "Tarvex.exe";
  struct Row {
    const char* what;
    bool plant;
    std::string application;  // empty: none
    std::string line;
    DWORD error;             // 0: started
    std::string ran;         // the program that ran
  };
  const Row rows[] = {
      {"one reading", false, "", meant + " /quiet", 0, meant},
      {"a shorter reading planted", true, "", meant + " /quiet", 0, planted},
      {"the program named", true, meant, meant + " /quiet", 0, meant},
      {"nothing there", false, "", in + "missing.exe /quiet", ERROR_FILE_NOT_FOUND, ""},
      {"no file at the name", false, in + "missing.exe", "missing", ERROR_FILE_NOT_FOUND, ""},
      {"no program at the name", false, in + "notes.txt", "notes", ERROR_BAD_EXE_FORMAT, ""},
  };
  for (const Row& row : rows) {
    if (row.plant) folder.PlaceProgram("Tarvex.exe");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::string line = row.line;
    SetLastError(0xdeadbeef);
    const BOOL result = CreateProcessA(row.application.empty() ? nullptr : row.application.c_str(), &line[0],
                                       nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started);
    EXPECT_EQ(result, row.error == 0 ? TRUE : FALSE) << row.what;
    if (row.error != 0) {
      EXPECT_EQ(GetLastError(), row.error) << row.what;
      continue;
    }
#ifdef _WIN32
    WaitForSingleObject(started.hProcess, 20000);
#endif
    EXPECT_EQ(StartReport(row.ran), "flags 0 show 0\n") << row.what;
    EXPECT_TRUE(CloseHandle(started.hThread)) << row.what;
    EXPECT_TRUE(CloseHandle(started.hProcess)) << row.what;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(CloseHandle(started.hProcess)) << "closed twice: " << row.what;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE)) << row.what;
  }
}

// The exit command's start gives its program what WinExec gives, without the wait.
TEST_F(ProcessApi, AStartWithoutWaitingHandsOnTheShowStateAsWinExecDoes) {
  ScratchFolder folder("startup");
  folder.PlaceProgram("by winexec.exe");
  folder.PlaceProgram("without waiting.exe");
  const std::string in = Narrow(folder.Path()) + "\\";
  EXPECT_GT(WinExec(("\"" + in + "by winexec.exe\"").c_str(), SW_SHOWMINNOACTIVE), 31u);
  const std::string byWinExec = StartReport(in + "by winexec.exe");
  EXPECT_EQ(byWinExec, "flags 1 show 7\n");
  EXPECT_TRUE(StartWithoutWaiting(nullptr, ("\"" + in + "without waiting.exe\"").c_str(), SW_SHOWMINNOACTIVE));
  EXPECT_EQ(StartReport(in + "without waiting.exe"), byWinExec);
}

TEST_F(ProcessApi, ExitProcessEndsAtOnceWithItsCode) {
  EXPECT_EXIT(ExitProcess(7), ::testing::ExitedWithCode(7), "");
}

}  // namespace
