// Loading and unloading the library many times in one host process, under
// Wine: whatever a load takes (registry keys, the resource library, GDI and
// USER objects, memory) the unload must give back.
#include <gtest/gtest.h>

#include "probe_session.h"

namespace {

// Memory may grow by at most 256 bytes per cycle on average: a lost 512-byte
// text buffer every second load already exceeds it, while the count, taken in
// whole pages of committed private memory, leaves the heap room to commit a
// few pages of its own bookkeeping over a thousand cycles.
long long MemoryGrowthBound(long long cycles) { return cycles * 256; }

void PrintCounts(const char* when, const JsonValue& counts) {
  std::printf("  %-10s GDI objects %lld, USER objects %lld, kernel handles %lld, modules %lld, private bytes %lld\n",
              when, counts["gdiObjects"].number, counts["userObjects"].number, counts["kernelHandles"].number,
              counts["modules"].number, counts["privateBytes"].number);
}

class HostileLoadCyclesE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProductRegistry();
    // Defaults to copy, so every load opens, creates and closes registry keys.
    ImportRegFile("new_user_defaults.reg");
  }
  void TearDown() override { ResetProductRegistry(); }

  // Runs the probe's cycles and checks what every cycle report must hold.
  static JsonValue RunCycles(const InstallFolder& install, const std::string& arguments, int cycles) {
    ProbeResult run = install.Run(arguments + " --pump-ms 0 --timeout 900 --cycles " + std::to_string(cycles), 960000);
    EXPECT_FALSE(run.timedOut) << "the probe hung: " << run.err;
    EXPECT_EQ(run.exitCode, 0u) << run.out << run.err;
    const JsonValue report = run.report["cycles"];
    EXPECT_EQ(report["completed"].number, cycles) << run.out;
    EXPECT_EQ(report["loadFailures"].number, 0);
    EXPECT_EQ(report["unloadFailures"].number, 0);
    EXPECT_EQ(report["stillLoadedAfterUnload"].number, 0) << "the library stayed mapped after FreeLibrary";
    // Each counter must see every object of its kind, or "no growth" proves nothing.
    const JsonValue& calibration = report["calibration"];
    const long long objects = calibration["objects"].number;
    EXPECT_GT(objects, 0) << run.out;
    EXPECT_GE(calibration["gdiObjects"].number, objects) << run.out;
    EXPECT_GE(calibration["userObjects"].number, 1) << run.out;
    EXPECT_GE(calibration["registryKeyHandles"].number, objects) << "registry keys escape the handle count: " << run.out;
    std::printf("  %d cycles, counted by %s / %s / %s\n", cycles, report["sources"]["gdiObjects"].text.c_str(),
                report["sources"]["userObjects"].text.c_str(), report["sources"]["kernelHandles"].text.c_str());
    PrintCounts("before", report["before"]);
    PrintCounts("1st cycle", report["afterFirst"]);
    PrintCounts("after", report["after"]);
    return report;
  }

  static void ExpectNoGrowth(const JsonValue& from, const JsonValue& to, long long cycles) {
    EXPECT_LE(to["gdiObjects"].number, from["gdiObjects"].number);
    EXPECT_LE(to["userObjects"].number, from["userObjects"].number);
    // Registry keys are kernel handles: a key left open shows here.
    EXPECT_LE(to["kernelHandles"].number, from["kernelHandles"].number);
    EXPECT_EQ(to["modules"].number, from["modules"].number);
    EXPECT_LT(to["privateBytes"].number - from["privateBytes"].number, MemoryGrowthBound(cycles));
  }
};

TEST_F(HostileLoadCyclesE2eTest, AThousandLoadsWithoutLogoLeaveNothingBehind) {
  const int kCycles = 1000;
  InstallFolder install("hostile-cycles", {0});
  const JsonValue report = RunCycles(install, "/nologo", kCycles);
  EXPECT_EQ(report["lastMode"].number, 0);
  EXPECT_EQ(report["lastEdition"].number, 15);
  EXPECT_EQ(report["logoWindows"].number, 0);
  // The library is unmapped between cycles, so a leak of its own recurs at
  // every load; the system libraries that stay fill their caches once, in the
  // first cycle (Wine's debug output keeps two handles from its first line on).
  ExpectNoGrowth(report["afterFirst"], report["after"], kCycles - 1);
  EXPECT_EQ(report["after"]["modules"].number, report["before"]["modules"].number);
  EXPECT_TRUE(report["modulesAdded"].items.empty()) << "modules stayed loaded";
  EXPECT_FALSE(report["logoClassAfterUnload"].boolean);
}

TEST_F(HostileLoadCyclesE2eTest, LoadsWithTheLogoGiveBackItsWindowBitmapFontAndPalette) {
  // The logo's class outlives each unload (see the disabled test below); the
  // probe removes it after each cycle so that every load shows the logo.
  const int kCycles = 100;
  InstallFolder install("hostile-logo-cycles", {0});
  const JsonValue report = RunCycles(install, "/standard --unregister-logo-class", kCycles);
  EXPECT_EQ(report["logoWindows"].number, kCycles);
  // The first window of the process also makes Wine load libraries of its own
  // for good.
  ExpectNoGrowth(report["afterFirst"], report["after"], kCycles - 1);
  for (const JsonValue& module : report["modulesAdded"].items) {
    EXPECT_EQ(ComparablePath(module.text).find("\\WINDOWS\\SYSTEM32\\"), 2u) << module.text << " stayed loaded";
  }
}

// The library removes its window class when it unloads: otherwise the class
// of the first load would stay behind with a window procedure in the unloaded
// image, and every later load into the same process would fail to register it
// and show no logo.
TEST_F(HostileLoadCyclesE2eTest, EveryLoadShowsTheLogoAndLeavesNoClassBehind) {
  const int kCycles = 3;
  InstallFolder install("hostile-logo-reload", {0});
  const JsonValue report = RunCycles(install, "/standard", kCycles);
  EXPECT_EQ(report["logoWindows"].number, kCycles);
  EXPECT_FALSE(report["logoClassAfterUnload"].boolean);
}

}  // namespace
