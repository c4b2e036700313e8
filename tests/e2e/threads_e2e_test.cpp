// A host's worker that closes the logo or unloads the library while the
// loading thread (the logo's) waits for it, pumping or not: the worker is
// never held, the logo is gone at the loading thread's next pump, no window
// or class is left whose messages would run the unloaded library's code, a
// second load in the same process shows and closes the logo again, and a
// worker racing the loading thread's pump, cycle after cycle, crashes
// nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "probe_session.h"

namespace {

class ThreadsE2eTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProductRegistry(); }
  void TearDown() override { ResetProductRegistry(); }
};

TEST_F(ThreadsE2eTest, AWorkersCloseTakesTheLogoDownAtThePump) {
  InstallFolder install("thread-close", {0});
  ProbeResult run = install.Run("--from-thread close /standard");
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  const JsonValue& close = run.report["closeFromThread"];
  EXPECT_TRUE(close["returned"].boolean) << "the worker waited for the logo's thread: " << run.out;
  EXPECT_EQ(close["result"].number, 1) << "a close was asked for: " << run.out;
  EXPECT_EQ(close["logoWindowsAfterPump"].number, 0) << run.out;
  EXPECT_TRUE(run.report["unloaded"].boolean);
  EXPECT_EQ(run.report["logoWindowsAfterUnload"].number, 0) << run.out;
}

TEST_F(ThreadsE2eTest, AWorkersUnloadLeavesNothingThatRunsTheLibrary) {
  InstallFolder install("thread-unload", {0});
  const std::string marker = install.File("unloaded.txt");
  ProbeResult run =
      install.Run("--from-thread unload --worker-wait plain --exit-command \"cmd.exe /c echo unloaded> " + marker +
                  "\" /standard");
  // A window procedure left in the unloaded library would have ended the probe here.
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  const JsonValue& unload = run.report["unloadFromThread"];
  EXPECT_TRUE(unload["returned"].boolean) << run.out;
  EXPECT_TRUE(unload["unloaded"].boolean) << run.out;
  EXPECT_FALSE(unload["classProcedureInLibrary"].boolean) << run.out;
  EXPECT_EQ(unload["windowsInLibrary"].number, 0) << run.out;
  EXPECT_GE(unload["windowsMessaged"].number, 1) << "the logo was gone before the pump: " << run.out;
  EXPECT_EQ(unload["logoWindowsAfterPump"].number, 0) << run.out;
  const JsonValue& reload = unload["reload"];
  EXPECT_TRUE(reload["loaded"].boolean) << run.out;
  EXPECT_EQ(reload["logoWindows"].number, 1) << "no logo on the second load: " << run.out;
  EXPECT_NE(reload["closeResult"].number, 0) << run.out;
  EXPECT_EQ(reload["logoWindowsAfterClose"].number, 0) << run.out;
  EXPECT_EQ(run.report["logoWindowsAfterUnload"].number, 0) << run.out;
  // The exit command of the first load runs, as at any unload.
  EXPECT_TRUE(WaitForFile(marker, 10000)) << "the exit command did not run";
}

// The unload on a worker while the loading thread pumps, as a host's UI
// thread does: the logo goes with the unload, and nothing crashes.
TEST_F(ThreadsE2eTest, AWorkersUnloadWhileTheLoadingThreadPumps) {
  InstallFolder install("thread-unload-pumping", {0});
  ProbeResult run = install.Run("--from-thread unload /standard");
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  const JsonValue& unload = run.report["unloadFromThread"];
  EXPECT_TRUE(unload["unloaded"].boolean) << run.out;
  EXPECT_EQ(unload["logoWindowsBeforePump"].number, 0) << "the pumping thread kept the logo: " << run.out;
  EXPECT_FALSE(unload["classLeft"].boolean) << run.out;
  EXPECT_EQ(unload["reload"]["logoWindows"].number, 1) << run.out;
}

// A host that ends with the logo up and the library loaded: from the
// loading thread, as one that returns from main, or from a worker while the
// loading thread pumps. The host's exit code stands and the exit command runs.
TEST_F(ThreadsE2eTest, AHostThatEndsWithoutUnloadingStillRunsTheExitCommand) {
  for (const char* where : {"here", "worker"}) {
    InstallFolder install(std::string("thread-end-") + where, {0});
    const std::string marker = install.File("ended.txt");
    ProbeResult run = install.Run(std::string("--end-process ") + where + " --exit-command \"cmd.exe /c echo ended> " +
                                  marker + "\" /standard");
    EXPECT_EQ(run.exitCode, 7u) << where << ": " << run.out << run.err;
    EXPECT_TRUE(WaitForFile(marker, 10000)) << where << ": the exit command did not run";
  }
}

// A worker that closes the logo, writes its line, or does nothing, and at
// once unloads the library, against a loading thread that pumps (and, in
// the last, paints the logo) without pause: cycle after cycle, no crash, no
// logo window and no library left behind.
TEST_F(ThreadsE2eTest, WorkersRacingThePumpCrashNothing) {
  constexpr int kCycles = 60;
  InstallFolder install("thread-race", {0});
  for (const char* story : {"close-unload", "status-unload", "paint-unload"}) {
    ProbeResult run = install.Run(std::string("--cycles ") + std::to_string(kCycles) + " --cycle-story " + story +
                                      " --timeout 300 /standard",
                                  330000);
    ASSERT_EQ(run.exitCode, 0u) << story << ": " << run.out << run.err;
    const JsonValue& cycles = run.report["cycles"];
    std::printf("  %s: %lld of %d cycles, %lld crashes, %lld logo windows and %lld libraries left\n", story,
                cycles["completed"].number, kCycles, cycles["crashes"].number, cycles["logoWindowsLeft"].number,
                cycles["stillLoadedAfterUnload"].number);
    EXPECT_EQ(cycles["completed"].number, kCycles) << story << ": " << run.out;
    EXPECT_EQ(cycles["crashes"].number, 0) << story;
    EXPECT_EQ(cycles["logoWindowsLeft"].number, 0) << story;
    EXPECT_EQ(cycles["stillLoadedAfterUnload"].number, 0) << story;
    EXPECT_EQ(cycles["unloadFailures"].number, 0) << story;
  }
}

}  // namespace
