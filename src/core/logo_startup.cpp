// Construction, destruction and the global pointer of the start-up object,
// and the logo it shows.
#include "core/logo_startup.h"

namespace {
// Every entry into the library (the entry, the exports, the window and dialog
// procedures) reaches the one start-up object through this pointer.
LogoStartup* g_startup = nullptr;
}  // namespace

LogoStartup* TheStartup() { return g_startup; }

LogoStartup::LogoStartup() { g_startup = this; }

LogoStartup::~LogoStartup() { g_startup = nullptr; }

void LogoStartup::PaintExtras(HWND, HDC) {}

void LogoStartup::CreateLogoWindow() {
  logo_.Show(
      LogoSource{resources_.OwnModule(), resources_.Module(), resources_.Title(), LogoWindowProcedure, &logoQuestions_});
}

int LogoStartup::CloseLogo() { return logo_.Close(); }

LRESULT LogoStartup::LogoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return logo_.HandleMessage(window, message, wParam, lParam);
}

int LogoStartup::SetStatusText(const char* text) { return logo_.SetStatusText(text); }

LRESULT CALLBACK LogoWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LogoStartup* startup = TheStartup();
  // A message after the start-up object is gone still gets an answer.
  if (startup == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return startup->LogoWindowProc(window, message, wParam, lParam);
}
