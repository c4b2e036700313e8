// The exit command as a host meets it under Wine: a windowed program that
// waits for the host to end, and an unquoted path with a program planted at
// a shorter reading of it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "diagnostic_lines.h"
#include "probe_session.h"
#include "wide_text.h"

namespace {

// `text` as one argument of a command line, as CommandLineToArgvW reads it back.
std::string Argument(const std::string& text) {
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char ch : text) {
    if (ch == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote escaped.
    quoted.append(ch == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += ch;
  }
  return quoted.append(2 * backslashes, '\\') + "\"";
}

// The test's exit program copied into the install folder as `name`; its full path.
std::string PlaceExitProgram(const InstallFolder& install, const std::string& name) {
  const std::string path = install.File(name);
  const std::string folder = path.substr(0, path.find_last_of('\\'));
  CreateDirectoryW(Utf16(folder).c_str(), nullptr);
  EXPECT_TRUE(CopyFileW(Utf16(BuildBinFolder() + "\\e2e-programs\\exit_waiter.exe").c_str(), Utf16(path).c_str(),
                        FALSE))
      << name;
  return path;
}

// What the exit program `path` wrote once the host had ended: its command
// line, then its start-up flags and show state; empty when it has not run
// within `timeoutMs`.
std::string WhatRan(const std::string& path, DWORD timeoutMs) {
  std::string text;
  if (!WaitForFile(path + ".ran", timeoutMs) || !ReadWholeFile(path + ".ran", &text)) return "";
  // First how it met the host: still there (it waited) or gone already.
  const size_t end = text.find('\n');
  const std::string how = text.substr(0, end);
  EXPECT_TRUE(how == "waited for the host to end" || how == "the host had ended") << how;
  return end == std::string::npos ? "" : text.substr(end + 1);
}

std::string Line(const char* format, const std::string& first, const std::string& second) {
  char line[1024];
  std::snprintf(line, sizeof line, format, first.c_str(), second.c_str());
  return TARVEX_DIAG_PREFIX + std::string(line);
}

bool Said(const ProbeResult& run, const std::string& line) {
  for (const JsonValue& said : run.report["diagnostics"].items) {
    if (said.text == line) return true;
  }
  return false;
}

class ExitCommandE2eTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProductRegistry(); }
  void TearDown() override { ResetProductRegistry(); }
};

TEST_F(ExitCommandE2eTest, AnUpdaterThatWaitsForTheHostNeitherHoldsTheUnloadNorIsLost) {
  InstallFolder install("exit-updater", {0});
  const std::string updater = PlaceExitProgram(install, "updater.exe");
  const std::string command = "\"" + updater + "\" /after-host";
  ProbeResult run = install.Run("/nologo --exit-show 7 --exit-command " + Argument(command));
  ASSERT_FALSE(run.timedOut) << run.err;
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  EXPECT_EQ(run.report["exitCommand"].text, command);
  // A generous bound, not a speed goal: the unload takes milliseconds, and
  // waiting for the updater to become idle held it for 30 s.
  EXPECT_LT(run.report["unloadMs"].number, 5000) << run.out;
  RecordProperty("unloadMs", static_cast<int>(run.report["unloadMs"].number));
  // It ran once the host had ended, with the host's line and show state.
  EXPECT_EQ(WhatRan(updater, 20000), command + "\nflags 1 show 7\n");
}

TEST_F(ExitCommandE2eTest, AProgramPlantedAtAShorterReadingOfAnUnquotedPathNeverRuns) {
  InstallFolder install("exit-planted", {0});
  const std::string meant = PlaceExitProgram(install, "Tarvex Tools\\update.exe");
  const std::string planted = PlaceExitProgram(install, "Tarvex.exe");
  const std::string command = meant + " /quiet";
  ProbeResult run = install.Run("/nologo --exit-command " + Argument(command));
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  // Each would have written within moments of the host's end.
  EXPECT_EQ(WhatRan(planted, 3000), "") << "the planted program ran";
  EXPECT_EQ(WhatRan(meant, 0), "") << "an ambiguous command started";
  EXPECT_TRUE(Said(run, Line(diagnostic_form::ExitAmbiguous, planted, meant))) << run.out;

  // Without the planted program the one reading left starts, the line as the host wrote it.
  ASSERT_TRUE(DeleteFileW(Utf16(planted).c_str()));
  run = install.Run("/nologo --exit-command " + Argument(command));
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  EXPECT_EQ(WhatRan(meant, 20000), command + "\nflags 1 show 0\n");
  EXPECT_TRUE(Said(run, Line(diagnostic_form::ExitStarted, meant, command))) << run.out;
}

}  // namespace
