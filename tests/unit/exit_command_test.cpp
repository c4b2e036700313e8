// The exit command: started as WinExec starts it but never waited for, the
// one program the host named or none, each copy a host was handed kept
// whole until the unload.
#include <gtest/gtest.h>
#include <winsim/control.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/library_entry.h"
#include "diagnostic_lines.h"
#include "diagnostics/diagnostics.h"
#include "startup_fixture.h"

namespace {

using winsim::HandleKind;

class ExitCommandTest : public StartupTest {
 protected:
  // The library's last diagnostics line, without its line feed.
  static std::string LastLine() {
    const std::vector<std::string>& lines = winsim::DebugOutput();
    if (lines.empty()) return "";
    const std::string& last = lines.back();
    return last.substr(0, last.find('\n'));
  }
};

// The line the library writes for `line`, cut as every line is cut.
std::string Said(const char* line) {
  return (TARVEX_DIAG_PREFIX + std::string(line)).substr(0, kDiagnosticLineSize - 2);
}

std::string Said(const char* format, const std::string& first, const std::string& second = "") {
  char line[1024];
  std::snprintf(line, sizeof line, format, first.c_str(), second.c_str());
  return Said(line);
}

const std::string kHostFolder = "C:\\Program Files\\Tarvex\\";
const std::string kUpdater = kHostFolder + "update.exe";
const std::string kCleanup = "C:\\Tools\\cleanup.exe";
// 511 characters: the longest command kept.
const std::string kLongest = kCleanup + " " + std::string(511 - kCleanup.size() - 1, 'x');

TEST_F(ExitCommandTest, StartsTheOneProgramTheHostNamedWithoutWaiting) {
  struct Row {
    const char* what;
    std::string command;
    std::vector<std::string> files;
    std::vector<std::string> folders;
    const char* application;  // handed to process creation; null: nothing starts
    std::string commandLine;  // handed to process creation
    std::string said;         // the last diagnostics line
  };
  const std::string updateQuiet = kUpdater + " /quiet";
  const std::string quoted = "\"" + kUpdater + "\" /quiet";
  const std::string inFolder = "C:\\Tools\\Tarvex Update\\update.exe";
  // Full names of 259 characters, the longest the ANSI search gives, and of 260.
  const std::string longest = std::string(259 - kHostFolder.size() - 4, 'n') + ".exe";
  const std::string pastLongest = "m" + longest;
  const std::string longestFull = kHostFolder + longest;
  const Row rows[] = {
      {"quoted", quoted, {kUpdater, "C:\\Program.exe"}, {}, "", quoted,
       Said(diagnostic_form::ExitStarted, kUpdater, quoted)},
      {"unquoted without spaces", kCleanup + " /all", {kCleanup}, {}, kCleanup.c_str(), kCleanup + " /all",
       Said(diagnostic_form::ExitStarted, kCleanup, kCleanup + " /all")},
      {"unquoted with spaces", updateQuiet, {kUpdater}, {}, kUpdater.c_str(), updateQuiet,
       Said(diagnostic_form::ExitStarted, kUpdater, updateQuiet)},
      {"a program planted at a shorter reading", updateQuiet, {kUpdater, "C:\\Program.exe"}, {}, nullptr, "",
       Said(diagnostic_form::ExitAmbiguous, "C:\\Program.exe", kUpdater)},
      {"a folder at a shorter reading", inFolder, {inFolder}, {"C:\\Tools\\Tarvex"}, inFolder.c_str(), inFolder,
       Said(diagnostic_form::ExitStarted, inFolder, inFolder)},
      {"a name searched along the path", "cmd /c echo done", {"C:\\Windows\\System32\\cmd.exe"}, {},
       "C:\\Windows\\System32\\cmd.exe", "cmd /c echo done",
       Said(diagnostic_form::ExitStarted, "C:\\Windows\\System32\\cmd.exe", "cmd /c echo done")},
      {"a one-letter command", "x", {"C:\\Windows\\System32\\x.exe"}, {}, "C:\\Windows\\System32\\x.exe", "x",
       Said(diagnostic_form::ExitStarted, "C:\\Windows\\System32\\x.exe", "x")},
      {"a relative name", "Tools\\update.exe /quiet", {kHostFolder + "Tools\\update.exe"}, {},
       "C:\\Program Files\\Tarvex\\Tools\\update.exe", "Tools\\update.exe /quiet",
       Said(diagnostic_form::ExitStarted, kHostFolder + "Tools\\update.exe", "Tools\\update.exe /quiet")},
      {"an empty quoted name", "\"\" /x", {kHostFolder + ".exe"}, {}, nullptr, "",
       Said(diagnostic_form::ExitWithoutProgram, "\"\" /x")},
      {"a doubled blank reads one program twice", kCleanup + "  /all", {kCleanup}, {}, kCleanup.c_str(),
       kCleanup + "  /all", Said(diagnostic_form::ExitStarted, kCleanup, kCleanup + "  /all")},
      {"a shorter name inside a word is no reading", "C:\\Tools\\update.exe /x",
       {"C:\\Tools\\up.exe", "C:\\Tools\\update.exe"}, {}, "C:\\Tools\\update.exe", "C:\\Tools\\update.exe /x",
       Said(diagnostic_form::ExitStarted, "C:\\Tools\\update.exe", "C:\\Tools\\update.exe /x")},
      {"a lone quote", "\"" + updateQuiet, {kUpdater}, {}, nullptr, "", Said(diagnostic_form::ExitQuoteOpen)},
      {"no program", kCleanup + " /all", {}, {}, nullptr, "", Said(diagnostic_form::ExitWithoutProgram, kCleanup + " /all")},
      {"511 characters", kLongest, {kCleanup}, {}, kCleanup.c_str(), kLongest,
       Said(diagnostic_form::ExitStarted, kCleanup, kLongest)},
      {"512 characters", kLongest + "y", {kCleanup}, {}, kCleanup.c_str(), kLongest,
       Said(diagnostic_form::ExitStarted, kCleanup, kLongest)},
      {"empty", "", {kCleanup}, {}, nullptr, "", ""},
      {"a tab ends a reading", kCleanup + "\t/all", {kCleanup}, {}, kCleanup.c_str(), kCleanup + "\t/all",
       Said(diagnostic_form::ExitStarted, kCleanup, kCleanup + "\t/all")},
      {"the longest full name", longest + " /x", {longestFull}, {}, longestFull.c_str(), longest + " /x",
       Said(diagnostic_form::ExitStarted, longestFull, longest + " /x")},
      {"a full name past the longest", pastLongest + " /x", {kHostFolder + pastLongest}, {}, nullptr, "",
       Said(diagnostic_form::ExitWithoutProgram, pastLongest + " /x")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    // The copies go before the machine they lie in: an unload frees them.
    startup.OnProcessDetach();
    winsim::Reset();
    for (const std::string& file : row.files) winsim::AddFile(file);
    for (const std::string& folder : row.folders) winsim::AddFolder(folder);
    startup.SetExitCommand(row.command.c_str(), SW_SHOWMINNOACTIVE);
    startup.RunExitCommand();
    const std::vector<winsim::StartedProcess>& started = winsim::ProcessesStarted();
    ASSERT_EQ(started.size(), row.application ? 1u : 0u);
    if (row.application) {
      EXPECT_EQ(started[0].applicationName, row.application);
      EXPECT_EQ(started[0].commandLine, row.commandLine);
      EXPECT_EQ(started[0].startupFlags, DWORD{STARTF_USESHOWWINDOW});
      EXPECT_EQ(started[0].show, WORD{SW_SHOWMINNOACTIVE});
      EXPECT_FALSE(started[0].waitedUntilIdle);
    }
    EXPECT_EQ(winsim::CallCount("WinExec"), 0);
    EXPECT_EQ(LastLine(), row.said);
    EXPECT_EQ(winsim::LiveHandles(HandleKind::Process) + winsim::LiveHandles(HandleKind::Thread), 0);
  }
}

TEST_F(ExitCommandTest, EveryCopyStaysWholeUntilTheUnloadAndTheLastStartsOnce) {
  winsim::AddFile(kCleanup);
  winsim::AddFile("C:\\Tools\\survey.exe");
  const char* first = startup.SetExitCommand("C:\\Tools\\survey.exe", SW_SHOW);
  const char* withdrawn = startup.SetExitCommand(nullptr, SW_SHOW);
  const char* last = startup.SetExitCommand("C:\\Tools\\cleanup.exe /all", SW_HIDE);
  EXPECT_STREQ(first, "C:\\Tools\\survey.exe");
  EXPECT_STREQ(withdrawn, "");
  EXPECT_STREQ(last, "C:\\Tools\\cleanup.exe /all");
  // An exit run early at the process's end takes the command; the unload's own run finds none.
  startup.RunExitCommand();
  RunLibraryEntry(startup, ownModule, DLL_PROCESS_DETACH);
  ASSERT_EQ(winsim::ProcessesStarted().size(), 1u);
  EXPECT_EQ(winsim::ProcessesStarted()[0].commandLine, "C:\\Tools\\cleanup.exe /all");
  EXPECT_EQ(winsim::ProcessesStarted()[0].show, WORD{SW_HIDE});
  EXPECT_EQ(winsim::LiveHandles(HandleKind::GlobalMemory), 0) << "a copy outlived the unload";

  // An empty command withdraws an earlier one.
  startup.SetExitCommand("C:\\Tools\\survey.exe", SW_SHOW);
  EXPECT_STREQ(startup.SetExitCommand("", SW_SHOW), "");
  startup.RunExitCommand();
  EXPECT_EQ(winsim::ProcessesStarted().size(), 1u);
}

TEST_F(ExitCommandTest, WithoutMemoryForTheCopyTheEarlierCommandStays) {
  winsim::AddFile(kCleanup);
  for (const char* function : {"GlobalAlloc", "GlobalLock"}) {
    SCOPED_TRACE(function);
    startup.SetExitCommand(kCleanup.c_str(), SW_SHOW);
    winsim::InjectFailure(function);
    EXPECT_EQ(startup.SetExitCommand("C:\\Tools\\other.exe", SW_HIDE), nullptr);
    startup.RunExitCommand();
    ASSERT_FALSE(winsim::ProcessesStarted().empty());
    EXPECT_EQ(winsim::ProcessesStarted().back().commandLine, kCleanup);
  }
  RunLibraryEntry(startup, ownModule, DLL_PROCESS_DETACH);
  EXPECT_EQ(winsim::LiveHandles(HandleKind::GlobalMemory), 0);
}

TEST_F(ExitCommandTest, AStartThatFailsIsToldAndTheUnloadGoesOn) {
  winsim::AddFile(kCleanup);
  startup.SetExitCommand(kCleanup.c_str(), SW_SHOW);
  winsim::InjectFailure("CreateProcessA", 0, 1, ERROR_ACCESS_DENIED);
  RunLibraryEntry(startup, ownModule, DLL_PROCESS_DETACH);
  EXPECT_EQ(startup.OwnModule(), nullptr);
  EXPECT_TRUE(winsim::ProcessesStarted().empty());
  EXPECT_EQ(LastLine(), Said(("exit command not started: program " + kCleanup + ": Access denied (error 5)").c_str()));
  EXPECT_EQ(winsim::LiveHandles(HandleKind::GlobalMemory), 0);
}

}  // namespace
