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
#include <iterator>
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

  void ShowLogo(bool withWindow = true) {
    AttachAgain(startup, ownModule);
    startup.CreateLogoWindow();
    ASSERT_EQ(startup.Logo().Window() != nullptr, withWindow);
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
  static int CodeLeftInLibrary() {
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
    const HWND window = startup.Logo().Window();
    EXPECT_EQ(Run(script.steps), script.results);
    EXPECT_FALSE(IsWindow(window)) << "the logo outlived its thread's pump";
    // Nothing a worker did reached the logo thread's text.
    if (startup.OwnModule() != nullptr) {
      EXPECT_STREQ(startup.Logo().StatusText(), kLine);
    }
    startup.OnProcessDetach();
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Window), 0);
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GdiObject), 0);
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GlobalMemory), 0);
    EXPECT_EQ(CodeLeftInLibrary(), 0);
    AttachAgain(startup, ownModule);
  }
}

// Unloaded on a worker while the logo is up: before the logo thread pumps,
// the window still stands, but no message of it runs the library's code and
// everything the library made is gone; the pump takes the window down.
TEST_F(LogoThreadsTest, TheUnloadOnAWorkerLetsGoOfTheWindowAndItsClass) {
  ShowLogo();
  const HWND window = startup.Logo().Window();
  OnWorker([&] { startup.OnProcessDetach(); });
  EXPECT_TRUE(IsWindow(window)) << "destroyed on a thread that does not own it";
  EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(DefWindowProcA));
  EXPECT_EQ(CodeLeftInLibrary(), 0);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GdiObject), 0);
  EXPECT_EQ(startup.Logo().Window(), nullptr);
  // A paint and a message of the orphan reach only the system.
  InvalidateRect(window, nullptr, TRUE);
  SendMessageA(window, WM_USER + 1, 0, 0);
  Pump();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Window), 0);
}

// LogoClose, row by row as the header's table has it: who calls, what logo
// there is, the result, and what is left. The palette always stays.
enum class Logo { Shown, WindowFailed, ClosedByWmClose, CloseAskedByWorker, None, ClosedAlready };

struct CloseRow {
  const char* what;
  Logo logo;
  bool fromWorker;
  int result;
  bool bitmapLeft;  // and the font: both go together
};

TEST_F(LogoThreadsTest, LogoCloseRowByRow) {
  const CloseRow rows[] = {
      {"here, shown", Logo::Shown, false, 1, false},
      {"here, the window failed", Logo::WindowFailed, false, 1, false},
      {"here, closed by WM_CLOSE", Logo::ClosedByWmClose, false, 1, false},
      {"here, a worker asked first", Logo::CloseAskedByWorker, false, 0, false},
      {"here, none", Logo::None, false, 0, false},
      {"here, closed already", Logo::ClosedAlready, false, 0, false},
      {"worker, shown", Logo::Shown, true, 1, true},
      {"worker, the window failed", Logo::WindowFailed, true, 1, false},
      {"worker, closed by WM_CLOSE", Logo::ClosedByWmClose, true, 1, false},
      {"worker, a worker asked first", Logo::CloseAskedByWorker, true, 0, true},
      {"worker, none", Logo::None, true, 0, false},
      {"worker, closed already", Logo::ClosedAlready, true, 0, false},
  };
  for (const CloseRow& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.logo == Logo::WindowFailed) winsim::InjectFailure("CreateWindowExA");
    if (row.logo != Logo::None) ShowLogo(row.logo != Logo::WindowFailed);
    const HWND window = startup.Logo().Window();
    const HPALETTE palette = startup.Logo().Palette();
    if (row.logo == Logo::ClosedByWmClose) SendMessageA(window, WM_CLOSE, 0, 0);
    if (row.logo == Logo::CloseAskedByWorker) OnWorker([] { LogoClose(); });
    if (row.logo == Logo::ClosedAlready) LogoClose();
    int result = -1;
    if (row.fromWorker) {
      OnWorker([&] { result = LogoClose(); });
    } else {
      result = LogoClose();
    }
    EXPECT_EQ(result != 0 ? 1 : 0, row.result);
    EXPECT_EQ(startup.Logo().Bitmap() != nullptr, row.bitmapLeft);
    EXPECT_EQ(startup.Logo().Font() != nullptr, row.bitmapLeft);
    EXPECT_EQ(startup.Logo().Palette(), palette);
    // What a worker asked for happens at the logo thread's next pump.
    Pump();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(startup.Logo().Bitmap(), nullptr);
    startup.OnProcessDetach();
    AttachAgain(startup, ownModule);
  }
}

// Loads and unloads in any order, on the logo's thread or a worker's, with
// or without a pump between: each load shows a logo with the library's
// procedure, and once the last unload has returned no window or class is
// left whose procedure lies in the unmapped library (winsim reports any
// message that would still reach it).
enum class Reload { LoadHere, UnloadHere, UnloadOnWorker, Pump };

TEST_F(LogoThreadsTest, ReloadInAnyOrderLeavesNothingOfAnUnmappedLoad) {
  using R = Reload;
  const std::vector<Reload> orders[] = {
      {R::LoadHere, R::UnloadOnWorker, R::Pump, R::LoadHere, R::UnloadHere},
      {R::LoadHere, R::UnloadOnWorker, R::LoadHere, R::Pump, R::UnloadHere},
      {R::LoadHere, R::UnloadOnWorker, R::LoadHere, R::UnloadHere, R::Pump},
      {R::LoadHere, R::UnloadOnWorker, R::LoadHere, R::UnloadOnWorker, R::Pump},
      {R::LoadHere, R::UnloadHere, R::LoadHere, R::UnloadOnWorker, R::LoadHere, R::UnloadHere},
  };
  for (size_t row = 0; row < std::size(orders); ++row) {
    SCOPED_TRACE("order " + std::to_string(row));
    for (Reload step : orders[row]) {
      if (step == R::LoadHere) {
        winsim::MapModuleCode(ownModule, ::LibraryProcedures());
        AttachAgain(startup, ownModule);
        ShowLogo();
        EXPECT_EQ(GetWindowLongPtrA(startup.Logo().Window(), GWLP_WNDPROC),
                  reinterpret_cast<LONG_PTR>(LogoWindowProcedure));
      } else if (step == R::Pump) {
        Pump();
      } else {
        const auto unload = [&] { startup.OnProcessDetach(); };
        if (step == R::UnloadHere) unload();
        if (step == R::UnloadOnWorker) OnWorker(unload);
        winsim::UnmapModuleCode(ownModule);
        EXPECT_EQ(CodeLeftInLibrary(), 0);
      }
    }
    Pump();
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Window), 0);
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GdiObject), 0);
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
  while ((running > 0 || startup.Logo().Window() != nullptr) && std::chrono::steady_clock::now() < deadline) {
    Pump();
    std::this_thread::yield();
  }
  for (std::thread& worker : workers) worker.join();
  EXPECT_EQ(closed, 1) << "one close answers for the logo";
  EXPECT_EQ(startup.Logo().Window(), nullptr);
  startup.OnProcessDetach();
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Window), 0);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GdiObject), 0);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GlobalMemory), 0);
}

}  // namespace
