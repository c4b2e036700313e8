// The centred logo window. (Filled in with the logo issue.)
#include "core/logo_startup.h"

void LogoStartup::CreateLogoWindow() {}

int LogoStartup::CloseLogo() {
  if (logoWindow != nullptr) {
    DestroyWindow(logoWindow);
    logoWindow = nullptr;
  }
  if (logoBitmap != nullptr) {
    DeleteObject(logoBitmap);
    logoBitmap = nullptr;
  }
  if (logoFont == nullptr) return 0;
  int deleted = DeleteObject(logoFont);
  logoFont = nullptr;
  return deleted;
}

LRESULT LogoStartup::LogoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

void LogoStartup::LogoBitmapName(bool, char* name) { name[0] = '\0'; }

void LogoStartup::CreateLogoFont() {}
