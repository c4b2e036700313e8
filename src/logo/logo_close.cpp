// Closing the logo from any thread, and letting go of it at an unload on a
// thread that does not own it. The window belongs to the thread that loaded
// the library: only that thread may destroy it, and the library never waits
// for it, so other threads ask and that thread acts at its next pump.
#include "core/logo_startup.h"
#include "logo/logo_window.h"

HWND LogoStartup::SharedLogoWindow() {
  return static_cast<HWND>(
      InterlockedCompareExchangePointer(reinterpret_cast<PVOID volatile*>(&logoWindow), nullptr, nullptr));
}

void LogoStartup::PublishLogoWindow(HWND window) {
  InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&logoWindow), window);
}

bool LogoStartup::OnLoaderThread() const { return GetCurrentThreadId() == loaderThread; }

int LogoStartup::CloseLogo() {
  // One close answers for a logo, whichever thread comes first.
  if (InterlockedCompareExchange(&logoCloseClaimed, 1, 0) != 0) return 0;
  const HWND window = SharedLogoWindow();
  if (window != nullptr && !OnLoaderThread()) {
    // The logo's thread releases it at its next pump.
    if (PostMessageA(window, kCloseLogoMessage, 0, 0)) return 1;
    // Nothing was asked; a later call may ask again.
    InterlockedExchange(&logoCloseClaimed, 0);
    return 0;
  }
  // On the logo's thread, or without a window, which nothing then paints.
  return ReleaseLogo();
}

int LogoStartup::ReleaseLogo() {
  const HWND window = SharedLogoWindow();
  if (window != nullptr) {
    // A handle that no longer names a window may since name another one.
    if (IsWindow(window)) DestroyWindow(window);
    PublishLogoWindow(nullptr);
  }
  // Only one thread gets here for a logo: the one whose close answered for
  // it, the logo's own, or the unload.
  logoBitmap.reset();
  const HFONT font = logoFont.release();
  return font != nullptr ? DeleteObject(font) : 0;
}

void LogoStartup::LetGoOfLogoWindow(HWND window) {
  // DefWindowProcA is the system's, imported by address, not code of this
  // library: it stays valid after the unload, for the window and its class.
  const LONG_PTR system = reinterpret_cast<LONG_PTR>(DefWindowProcA);
  SetWindowLongPtrA(window, GWLP_WNDPROC, system);
  SetClassLongPtrA(window, GCLP_WNDPROC, system);
  // The system's procedure destroys the window on its own thread.
  PostMessageA(window, WM_CLOSE, 0, 0);
  PublishLogoWindow(nullptr);
}

void LogoStartup::UnregisterLogoWindowClass() {
  if (module == nullptr) return;
  // Fails harmlessly when the class was never registered, or while a window
  // of it still exists: that class then names the system's procedure, and a
  // later load replaces it or takes it over.
  UnregisterClassA(kLogoWindowClassName, module);
}
