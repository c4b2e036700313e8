// Construction, destruction and the global pointer of the start-up object.
#include "core/logo_startup.h"

#include "core/bounded_text.h"
#include "core/edition_and_mode.h"

namespace {
// Every entry into the library (the entry, the exports, the window and dialog
// procedures) reaches the one start-up object through this pointer.
LogoStartup* g_startup = nullptr;
}  // namespace

LogoStartup* TheStartup() { return g_startup; }

LogoStartup::LogoStartup()
    : module(nullptr),
      title(),
      mode(0),
      edition(16),
      language(0),
      resourceModule(nullptr),
      resourceIdLookup(nullptr),
      exitCommands(),
      resourcePath() {
  CopyBoundedText(title, "Tarvex 4.0", sizeof title);
  g_startup = this;
}

LogoStartup::~LogoStartup() { g_startup = nullptr; }

void LogoStartup::PaintExtras(HWND, HDC) {}

void LogoStartup::CreateLogoWindow() {
  logo_.Show(LogoSource{module, resourceModule, title, LogoWindowProcedure, &logoQuestions_});
}

int LogoStartup::CloseLogo() { return logo_.Close(); }

LRESULT LogoStartup::LogoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return logo_.HandleMessage(window, message, wParam, lParam);
}

void LogoStartup::LogoBitmapName(bool svga, char* name) {
  CopyBoundedText(name, svga ? "SVGA_LOGO_" : "VGA_LOGO_", kTextSize);
  switch (mode) {
    case 0:
      AppendBoundedText(name, EditionName(edition), kTextSize);
      break;
    case 1:
      AppendBoundedText(name, "PELTRA", kTextSize);
      break;
    case 2:
      AppendBoundedText(name, "DRUVA", kTextSize);
      break;
    default:  // the bare prefix
      break;
  }
}

int LogoStartup::SetStatusText(const char* text) { return logo_.SetStatusText(text); }

LRESULT CALLBACK LogoWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LogoStartup* startup = TheStartup();
  // A message after the start-up object is gone still gets an answer.
  if (startup == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return startup->LogoWindowProc(window, message, wParam, lParam);
}
