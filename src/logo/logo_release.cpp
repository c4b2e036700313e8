// The logo closed and released: by the host's close from any thread, or at
// the unload from any thread. The window belongs to the thread that loaded
// the library, and only that thread may destroy it: another thread asks it
// to, and never waits for it but at the unload, and then only so long.
#include "diagnostics/diagnostics.h"
#include "logo/logo_window.h"

namespace {

// A frame that has just counted itself out still has its return to run.
constexpr DWORD kReturnGraceMs = 20;

bool Holds(LogoState state) { return state == LogoState::Shown || state == LogoState::CloseAsked; }

}  // namespace

int LogoWindow::Close() { return OnOwnerThread() ? CloseHere() : AskOwnerToClose(); }

int LogoWindow::CloseHere() {
  LogoState before = state_.load();
  do {
    if (!Holds(before)) return 0;
  } while (!state_.compare_exchange_weak(before, LogoState::Released));
  // After another thread's close was asked, the logo goes now, not at the next pump.
  const int result = Release();
  return before == LogoState::Shown ? result : 0;
}

int LogoWindow::AskOwnerToClose() {
  LogoState shown = LogoState::Shown;
  const HWND window = window_.load();
  if (window == nullptr) {
    // No window paints with the bitmap and font: they go here.
    return state_.compare_exchange_strong(shown, LogoState::Released) ? Release() : 0;
  }
  if (!state_.compare_exchange_strong(shown, LogoState::CloseAsked)) return 0;
  if (PostMessageA(window, kCloseLogoMessage, 0, 0)) return 1;
  // Nothing was asked; a later call may ask again.
  LogoState asked = LogoState::CloseAsked;
  state_.compare_exchange_strong(asked, LogoState::Shown);
  return 0;
}

int LogoWindow::Release() {
  const HWND window = window_.exchange(nullptr);
  // A handle that no longer names a window may since name another one.
  if (window != nullptr && IsWindow(window)) DestroyWindow(window);
  bitmap_.reset();
  const HFONT font = font_.release();
  return font != nullptr ? DeleteObject(font) : 0;
}

// The window and its class get the system's procedure, so that no new
// dispatch enters the library; the system's procedure then destroys the
// window on its own thread. A sent message is handled only inside a message
// retrieval, so once it is answered any dispatch that had read the old
// procedure has entered the library and been counted. False when the
// logo's thread did not answer in time.
bool LogoWindow::HandBack(HWND window) {
  // DefWindowProcA is the system's, imported by address: it stays after the unload.
  const LONG_PTR system = reinterpret_cast<LONG_PTR>(DefWindowProcA);
  SetClassLongPtrA(window, GCLP_WNDPROC, system);
  SetWindowLongPtrA(window, GWLP_WNDPROC, system);
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_BLOCK, kHandBackMs, &answer)) return true;
  // A message whose wait ran out is withdrawn: the window closes at its thread's next pump.
  if (IsWindow(window)) PostMessageA(window, WM_CLOSE, 0, 0);
  return false;
}

bool LogoWindow::WaitForNoFrames(DWORD start) {
  for (;;) {
    if (frames_.load() == 0) {
      Sleep(kReturnGraceMs);
      if (frames_.load() == 0) return true;
    }
    if (GetTickCount() - start >= kHandBackMs) return false;
    Sleep(1);
  }
}

void LogoWindow::UnregisterWindowClass() {
  if (source_.module == nullptr) return;
  // Fails harmlessly when the class was never registered, or while a window
  // of it still exists: that class then names the system's procedure, and a
  // later load replaces it or takes it over.
  UnregisterClassA(kLogoWindowClassName, source_.module);
}

bool LogoWindow::ReleaseAtUnload() {
  const DWORD start = GetTickCount();
  const LogoState before = state_.exchange(LogoState::Released);
  const HWND window = window_.exchange(nullptr);
  if (OnOwnerThread()) {
    // No frame of the procedure runs here: the host unloads from its own code.
    if (window != nullptr && IsWindow(window)) DestroyWindow(window);
  } else {
    if (window != nullptr && IsWindow(window)) HandBack(window);
    if (before != LogoState::None && !WaitForNoFrames(start)) {
      Diagnose(diagnostic_form::LogoLeftToItsThread, static_cast<unsigned>(kHandBackMs));
      return false;
    }
  }
  if (Holds(before)) {
    bitmap_.reset();
    font_.reset();
  }
  palette_.reset();
  const ScopedGlobalMemory handed(handedOver_.exchange(nullptr));
  UnregisterWindowClass();
  return true;
}
