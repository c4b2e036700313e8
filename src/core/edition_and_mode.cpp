// The edition and the working mode. (The installation setting, the command
// line rules and the mode dialog come with the mode issue.)
#include "core/edition_and_mode.h"

#include "core/logo_startup.h"
#include "core/product_startup.h"

const char* EditionName(int edition) {
  switch (edition) {
    case 13:
      return "TAMIR";
    case 15:
      return "ZOLT";
    case 16:
      return "KIRVANE";
    case 17:
      return "DRUVA";
    default:
      return "MEREL";
  }
}

INT_PTR CALLBACK ModeDialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return TheStartup()->ModeDialogProc(window, message, wParam, lParam);
}

int LogoStartup::FormsEnabled() const { return 1; }

int LogoStartup::AskMode() { return 0; }

INT_PTR LogoStartup::ModeDialogProc(HWND, UINT, WPARAM, LPARAM) { return 0; }

int ProductStartup::QueryEdition() { return edition; }

int ProductStartup::QueryMode() { return mode; }
