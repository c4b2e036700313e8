// The edition and the working mode: the installation's "DisableForms"
// setting, the command-line rules, and the mode dialog that asks the user
// when neither decides.
#include "core/edition_and_mode.h"

#include "core/logo_startup.h"
#include "core/product_startup.h"
#include "settings/reg_key.h"

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
  // The start-up object exists from static construction on, and the dialog
  // only runs inside its AskMode.
  return TheStartup()->ModeDialogProc(window, message, wParam, lParam);
}

int LogoStartup::FormsEnabled() const {
  char setting[kTextSize];
  // Empty unless the reader fills it, so a reader that gives up leaves the
  // forms mode enabled.
  setting[0] = '\0';
  ReadMachineSetting(setting, "DisableForms");
  // Only the first character counts: "1", "10" and "1 yes" all disable.
  return setting[0] == '1' ? 0 : 1;
}

int LogoStartup::AskMode() {
  const INT_PTR answer = DialogBoxParamA(resourceModule, MAKEINTRESOURCEA(kModeDialogTemplate), nullptr,
                                         ModeDialogProcedure, 0);
  // The user chose not to start at all; the host must not go on.
  if (answer == IDCANCEL) ExitProcess(kModeDialogCancelledExitCode);
  // 391, 397, and -1 when the dialog cannot be shown, all mean the main mode.
  return answer == kModeDialogForms ? 1 : 0;
}

INT_PTR LogoStartup::ModeDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      // Nothing to set up; TRUE lets the dialog manager place the focus.
      return TRUE;
    case WM_CLOSE:
      // The close box counts as Cancel.
      EndDialog(window, IDCANCEL);
      return TRUE;
    case WM_COMMAND: {
      // Only a click (notification 0) on one of the answering buttons ends it.
      if (HIWORD(wParam) != 0) return FALSE;
      const int control = LOWORD(wParam);
      if (control != IDCANCEL && control != kModeDialogMain && control != kModeDialogForms &&
          control != kModeDialogContinue) {
        return FALSE;
      }
      EndDialog(window, control);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

int ProductStartup::QueryEdition() { return FormsEnabled() ? 15 : 14; }

int ProductStartup::QueryMode() {
  // An installation without the forms mode never asks and never reads the line.
  if (!FormsEnabled()) return 0;
  // The first rule that applies decides.
  if (HasSwitch("form")) return 1;
  if (HasSwitch("standard")) return 0;
  if (CommandLineHasFileType(".pac")) return 0;
  if (CommandLineHasFileType(".frm")) return 1;
  // A host started for automation or without a logo must not be held up by a question.
  if (!LogoAllowed()) return 0;
  return AskMode();
}
