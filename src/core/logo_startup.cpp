// Construction, destruction and the global pointer of the start-up object.
#include "core/logo_startup.h"

#include "core/bounded_text.h"

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
      logoWindow(nullptr),
      logoBitmap(),
      logoPalette(),
      logoFont(),
      language(0),
      resourceModule(nullptr),
      resourceIdLookup(nullptr),
      exitCommand(),
      exitShowCommand(SW_SHOWNORMAL),
      resourcePath(),
      statusText(),
      handedOverStatusText(nullptr),
      logoScale(kUnscaled),
      logoDrawSize{0, 0},
      logoStretched(false),
      statusColour(CLR_INVALID),
      // Static construction runs inside the loading call, on the loading thread.
      loaderThread(GetCurrentThreadId()),
      logoCloseClaimed(0) {
  CopyBoundedText(title, "Tarvex 4.0", sizeof title);
  g_startup = this;
}

LogoStartup::~LogoStartup() { g_startup = nullptr; }

void LogoStartup::PaintExtras(HWND, HDC) {}
