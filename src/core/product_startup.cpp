// The product class's names for its resource library and per-user settings.
#include "core/product_startup.h"

ProductStartup::~ProductStartup() = default;

const char* ProductStartup::ResourceBaseName() { return "OxaRes"; }

const char* ProductStartup::UserSettingsKeyPath() {
  switch (Policy().GetMode()) {
    case Mode::Main:
      return "Software\\Vornek\\Tarvex4\\Helmex";
    case Mode::Forms:
      return "Software\\Vornek\\Brindo4\\Helmex";
    default:
      return nullptr;
  }
}

void ProductStartup::PaintExtras(HWND window, HDC dc) { Logo().DrawStatusLine(window, dc); }
