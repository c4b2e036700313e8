// The exports from threads that do not own the logo: a close, a status line
// and the unload, before and between the logo thread's pumps. Whatever the
// order, the logo's thread alone destroys its window, nothing the library
// made outlives its unload, and no window or class is left whose messages
// would run the library's code. Built also with ThreadSanitizer (the
// native-tsan preset), whose run reports any race.
#include <gtest/gtest.h>
#include <winsim/control.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/exports.h"
#include "logo/logo_window.h"
#include "startup_fixture.h"
#include "test_dib.h"

namespace {

// One step of a script: an export called from a worker, or the logo thread's pump.
enum class Step { Close, Status, Unload, Pump, CloseHere };

struct Script {
  const char* what;
  std::vector<Step> steps;
  std::vector<int> results;  // of the worker's Close and Status calls, and CloseHere, in order
};

class LogoThreadsTest : public StartupTest {
 protected:
  LogoThreadsTest() {
    winsim::ModuleImage image;
    image.bitmaps["SVGA_LOGO_ZOLT"] = test_dib::Plain(400, 300, 8);
    resources = PrepareMainModeLogo(startup, ownModule, image);
  }

  void ShowLogo() {
    startup.resourceModule = resources;
    startup.CreateLogoWindow();
    ASSERT_NE(startup.logoWindow, nullptr);
  }

  static void OnWorker(const std::function<void()>& call) { std::thread(call).join(); }

  // The host's message loop on the logo's thread, between two of its own steps.
  static void Pump() {
    MSG message;
    for (int count = 0; count < 100 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++count) {
      DispatchMessageA(&message);
    }
  }

  // Windows and classes whose messages would reach the library's procedure.
  static int LibraryProcedures() {
    int count = 0;
    for (const winsim::WindowRecord& window : winsim::WindowsCreated()) {
      count += window.alive && GetWindowLongPtrA(window.handle, GWLP_WNDPROC) ==
                                   reinterpret_cast<LONG_PTR>(LogoWindowProcedure);
    }
    for (const winsim::WindowClassRecord& windowClass : winsim::RegisteredClasses()) {
      count += windowClass.windowProc == LogoWindowProcedure;
    }
    return count;
  }

  std::vector<int> Run(const std::vector<Step>& steps) {
    std::vector<int> results;
    for (Step step : steps) {
      switch (step) {
        case Step::Close:
          OnWorker([&] { results.push_back(LogoClose()); });
          break;
        case Step::Status:
          OnWorker([&] { results.push_back(LogoSetStatusText("from a worker")); });
          break;
        case Step::Unload:
          OnWorker([&] { startup.OnProcessDetach(); });
          break;
        case Step::Pump:
          Pump();
          break;
        case Step::CloseHere:
          results.push_back(LogoClose());
          break;
      }
    }
    return results;
  }

  HMODULE resources = nullptr;
};

TEST_F(LogoThreadsTest, WorkersNeverLeaveAWindowOrAHandleBehind) {
  using S = Step;
  const Script scripts[] = {
      {"a close, then the pump", {S::Close, S::Pump}, {1}},
      {"two closes before the pump", {S::Close, S::Close, S::Pump}, {1, 0}},
      {"a close, then the logo thread's own close", {S::Close, S::CloseHere, S::Pump}, {1, 0}},
      {"a line and a close", {S::Status, S::Close, S::Pump, S::Status}, {1, 1, 0}},
      {"the unload before the pump", {S::Unload, S::Pump}, {}},
      {"a close, then the unload, then the pump", {S::Close, S::Unload, S::Pump}, {1}},
      {"a line, then the unload", {S::Status, S::Unload, S::Pump}, {1}},
      {"a close after the pump", {S::Pump, S::Close, S::Close, S::Pump}, {1, 0}},
  };
  for (const Script& script : scripts) {
    SCOPED_TRACE(script.what);
    ShowLogo();
    const char kLine[] = "the logo thread's line";
    startup.SetStatusText(kLine);
    const HWND window = startup.logoWindow;
    EXPECT_EQ(Run(script.steps), script.results);
    EXPECT_FALSE(IsWindow(window)) << "the logo outlived its thread's pump";
    // Nothing a worker did reached the logo thread's text.
    if (startup.module != nullptr) {
      EXPECT_STREQ(startup.statusText, kLine);
    }
    startup.OnProcessDetach();
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Window), 0);
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GdiObject), 0);
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GlobalMemory), 0);
    EXPECT_EQ(LibraryProcedures(), 0);
    startup.module = ownModule;
  }
}

// Unloaded on a worker while the logo is up: before the logo thread pumps,
// the window still stands, but no message of it runs the library's code and
// everything the library made is gone; the pump takes the window down.
TEST_F(LogoThreadsTest, TheUnloadOnAWorkerLetsGoOfTheWindowAndItsClass) {
  ShowLogo();
  const HWND window = startup.logoWindow;
  OnWorker([&] { startup.OnProcessDetach(); });
  EXPECT_TRUE(IsWindow(window)) << "destroyed on a thread that does not own it";
  EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(DefWindowProcA));
  EXPECT_EQ(LibraryProcedures(), 0);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GdiObject), 0);
  EXPECT_EQ(startup.logoWindow, nullptr);
  // A paint and a message of the orphan reach only the system.
  InvalidateRect(window, nullptr, TRUE);
  SendMessageA(window, WM_USER + 1, 0, 0);
  Pump();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Window), 0);
}

// A later load in the same process finds the class the unload could not
// remove: replaced once its window is gone, taken over while it stands.
TEST_F(LogoThreadsTest, ALaterLoadShowsAndClosesTheLogoAgain) {
  for (const bool pumpedFirst : {true, false}) {
    SCOPED_TRACE(pumpedFirst ? "the old window gone" : "the old window still up");
    ShowLogo();
    OnWorker([&] { startup.OnProcessDetach(); });
    if (pumpedFirst) Pump();
    startup.module = ownModule;
    ShowLogo();
    EXPECT_EQ(GetWindowLongPtrA(startup.logoWindow, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(LogoWindowProcedure));
    EXPECT_TRUE(IsWindowVisible(startup.logoWindow));
    Pump();
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Window), 1) << "only the new logo";
    EXPECT_NE(LogoClose(), 0);
    startup.OnProcessDetach();
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Window), 0);
    EXPECT_EQ(winsim::RegisteredClasses().size(), 0u) << "the class outlived an unload on its own thread";
    startup.module = ownModule;
  }
}

// Several workers write the line and one closes the logo while the logo's
// thread pumps. Under ThreadSanitizer a race anywhere fails the run.
TEST_F(LogoThreadsTest, StressWorkersWriteAndCloseWhileTheLogoThreadPumps) {
  ShowLogo();
  constexpr int kWriters = 3, kLines = 200;
  std::atomic<int> running{kWriters + 1};
  std::atomic<int> closed{0};
  std::vector<std::thread> workers;
  for (int writer = 0; writer < kWriters; ++writer) {
    workers.emplace_back([&, writer] {
      for (int line = 0; line < kLines; ++line) {
        LogoSetStatusText(("worker " + std::to_string(writer) + " line " + std::to_string(line)).c_str());
      }
      --running;
    });
  }
  workers.emplace_back([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    closed += LogoClose();
    closed += LogoClose();
    --running;
  });
  // Bounded: the workers need nothing from this thread to finish.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while ((running > 0 || startup.logoWindow != nullptr) && std::chrono::steady_clock::now() < deadline) {
    Pump();
    std::this_thread::yield();
  }
  for (std::thread& worker : workers) worker.join();
  EXPECT_EQ(closed, 1) << "one close answers for the logo";
  EXPECT_EQ(startup.logoWindow, nullptr);
  startup.OnProcessDetach();
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Window), 0);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GdiObject), 0);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GlobalMemory), 0);
}

}  // namespace
