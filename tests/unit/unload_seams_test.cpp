// The unload on a worker at the moments a host's UI thread can be in when it
// comes: a dispatch that has read the logo's procedure and not yet called it,
// and a paint inside the library. The worker's unload runs in that gap while
// the loading thread pumps, as a host's UI thread does; winsim then unmaps the
// library's code, as the loader does when the unload returns. No code of the
// library may run after that, and nothing it made may go from under a paint.
#include <gtest/gtest.h>
#include <winsim/control.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "core/exports.h"
#include "core/library_entry.h"
#include "diagnostic_lines.h"
#include "diagnostics/diagnostics.h"
#include "logo/logo_window.h"
#include "startup_fixture.h"
#include "test_dib.h"

namespace {

// A product whose paint can be held inside the library.
class SeamStartup : public ProductStartup {
 public:
  std::function<void()> duringPaint;
  void PaintExtras(HWND window, HDC dc) override {
    if (duringPaint) duringPaint();
    ProductStartup::PaintExtras(window, dc);
  }
};

// Where the loading thread is held when the worker unloads.
enum class Gap { DispatchOfPaint, DispatchOfClose, InsidePaint };
// What the worker does: an export first, or none, then the unload.
enum class Before { Nothing, Close, Status };

struct SeamCase {
  const char* what;
  Gap gap;
  Before before;
};

void PrintTo(const SeamCase& c, std::ostream* os) { *os << c.what; }

class UnloadSeamTest : public ::testing::TestWithParam<SeamCase> {
 protected:
  UnloadSeamTest() {
    winsim::ModuleImage image;
    image.bitmaps["SVGA_LOGO_ZOLT"] = test_dib::Plain(400, 300, 8);
    resources = PrepareMainModeLogo(startup, ownModule, image);
  }

  // Holds the loading thread in the gap until the worker has unloaded, or
  // until the worker waits for this thread to retrieve a message it sent.
  void HoldGap() {
    inGap = true;
    while (!workerDone && winsim::MessagesSentTo(GetCurrentThreadId()) == 0) std::this_thread::yield();
  }

  static void CallExport(Before before) {
    if (before == Before::Close) LogoClose();
    if (before == Before::Status) LogoSetStatusText("from a worker");
  }

  // The export comes before the gap when it is what leads there, else in it.
  void Worker(const SeamCase& c) {
    if (c.gap != Gap::InsidePaint) CallExport(c.before);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!inGap && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    if (c.gap == Gap::InsidePaint) CallExport(c.before);
    RunLibraryEntry(startup, ownModule, DLL_PROCESS_DETACH);
    // The loader unmaps the library once its entry has returned.
    winsim::UnmapModuleCode(ownModule);
    workerDone = true;
  }

  static void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }

  FreshMachine machine;
  SeamStartup startup;
  HMODULE ownModule = MappedLibrary();
  HMODULE resources = nullptr;
  std::atomic<bool> inGap{false};
  std::atomic<bool> workerDone{false};
};

TEST_P(UnloadSeamTest, NoCodeOfTheLibraryRunsAfterItsUnmap) {
  const SeamCase& c = GetParam();
  startup.CreateLogoWindow();
  const HWND window = startup.Logo().Window();
  ASSERT_NE(window, nullptr);
  bool held = false;
  const auto holdOnce = [&] {
    if (held) return;
    held = true;
    HoldGap();
  };
  if (c.gap == Gap::InsidePaint) {
    startup.duringPaint = holdOnce;
  } else {
    const UINT stopAt = c.gap == Gap::DispatchOfClose ? kCloseLogoMessage : WM_PAINT;
    winsim::SetProcedureGate([&, stopAt](HWND to, UINT message) {
      if (to == window && message == stopAt) holdOnce();
    });
  }
  if (c.gap == Gap::InsidePaint || c.before == Before::Nothing) InvalidateRect(window, nullptr, FALSE);
  std::thread worker([&] { Worker(c); });
  while (!workerDone) {
    Pump();
    std::this_thread::yield();
  }
  worker.join();
  Pump();
  EXPECT_TRUE(held) << "the loading thread never reached the gap";
  EXPECT_EQ(winsim::Violations(), std::vector<std::string>{});
  winsim::ClearViolations();
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Window), 0);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GdiObject), 0);
}

// A paint that stays inside the library past the unload's bound: the logo's
// release at the unload says so and leaves the bitmap, palette and font to the paint, which still
// draws with them. (Unmapping the code under it is the one case that remains.)
TEST_F(UnloadSeamTest, APaintHeldPastTheBoundKeepsWhatItUses) {
  startup.CreateLogoWindow();
  const HWND window = startup.Logo().Window();
  ASSERT_NE(window, nullptr);
  int objectsBefore = -1;
  int objectsAfterUnload = -1;
  startup.duringPaint = [&] {
    if (inGap) return;
    objectsBefore = winsim::LiveHandles(winsim::HandleKind::GdiObject);
    inGap = true;
    while (!workerDone) std::this_thread::yield();
    objectsAfterUnload = winsim::LiveHandles(winsim::HandleKind::GdiObject);
  };
  InvalidateRect(window, nullptr, FALSE);
  bool released = true;
  std::thread worker([&] {
    while (!inGap) std::this_thread::yield();
    released = startup.Logo().ReleaseAtUnload();
    workerDone = true;
  });
  while (!workerDone) {
    Pump();
    std::this_thread::yield();
  }
  worker.join();
  Pump();
  EXPECT_FALSE(released);
  EXPECT_GT(objectsBefore, 0);
  EXPECT_EQ(objectsAfterUnload, objectsBefore) << "the unload released what the paint used";
  char line[kDiagnosticLineSize];
  std::snprintf(line, sizeof line, diagnostic_form::LogoLeftToItsThread, static_cast<unsigned>(kHandBackMs));
  const std::vector<std::string>& said = winsim::DebugOutput();
  EXPECT_NE(std::find(said.begin(), said.end(), TARVEX_DIAG_PREFIX + std::string(line) + "\n"), said.end());
  EXPECT_EQ(winsim::Violations(), std::vector<std::string>{});
  EXPECT_FALSE(IsWindow(window)) << "the window closes at its thread's next pump";
}

// The same without a seam, many times: a worker closes the logo and at once
// unloads while the loading thread paints and pumps without pause. Under
// ThreadSanitizer a race anywhere fails the run.
TEST_F(UnloadSeamTest, StressAWorkerClosesAndUnloadsWhileTheLogoThreadPaints) {
  for (int round = 0; round < 40; ++round) {
    AttachAgain(startup, ownModule);
    startup.CreateLogoWindow();
    const HWND window = startup.Logo().Window();
    ASSERT_NE(window, nullptr);
    std::thread worker([&] {
      LogoClose();
      RunLibraryEntry(startup, ownModule, DLL_PROCESS_DETACH);
      winsim::UnmapModuleCode(ownModule);
      workerDone = true;
    });
    while (!workerDone) {
      if (IsWindow(window)) InvalidateRect(window, nullptr, FALSE);
      Pump();
    }
    worker.join();
    Pump();
    workerDone = false;
    winsim::MapModuleCode(ownModule, LibraryProcedures());
  }
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Window), 0);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GdiObject), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Gaps, UnloadSeamTest,
    ::testing::Values(SeamCase{"a paint read, the unload", Gap::DispatchOfPaint, Before::Nothing},
                      SeamCase{"a line's paint read, the unload", Gap::DispatchOfPaint, Before::Status},
                      SeamCase{"a close read, the unload", Gap::DispatchOfClose, Before::Close},
                      SeamCase{"inside a paint, the unload", Gap::InsidePaint, Before::Nothing},
                      SeamCase{"inside a paint, a close and the unload", Gap::InsidePaint, Before::Close}),
    [](const ::testing::TestParamInfo<SeamCase>& info) { return "Case" + std::to_string(info.index); });

}  // namespace
