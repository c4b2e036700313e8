// A host's worker that closes the logo or unloads the library while the
// loading thread (the logo's) waits for it: the worker is never held, the
// logo is gone at the loading thread's next pump, no window or class is left
// whose messages would run the unloaded library's code, and a second load in
// the same process shows and closes the logo again.
#include <gtest/gtest.h>

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
      install.Run("--from-thread unload --exit-command \"cmd.exe /c echo unloaded> " + marker + "\" /standard");
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

}  // namespace
