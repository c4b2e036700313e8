// The edition and the working mode: the installation's "DisableForms"
// setting, the command-line rules, and the mode dialog that asks the user
// when neither decides.
#include "core/edition_and_mode.h"

#include "core/diagnostics.h"
#include "core/logo_startup.h"
#include "core/product_startup.h"
#include "settings/reg_key.h"

namespace {

// Reports which rule settled the mode, and passes the mode on.
int Settled(int settled, const char* rule) {
  Diagnose("mode %d%s", settled, rule);
  return settled;
}

}  // namespace

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
  if (answer == IDCANCEL) {
    Diagnose("mode dialog cancelled: the process ends with exit code %u", kModeDialogCancelledExitCode);
    ExitProcess(kModeDialogCancelledExitCode);
  }
  // 391, 397, and -1 when the dialog cannot be shown, all mean the main mode.
  if (answer == -1) {
    Diagnose("mode 0: the mode dialog could not be shown (error %u)", static_cast<unsigned>(GetLastError()));
    return 0;
  }
  const int chosen = answer == kModeDialogForms ? 1 : 0;
  Diagnose("mode %d from the mode dialog (control %d)", chosen, static_cast<int>(answer));
  return chosen;
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

int ProductStartup::QueryEdition() {
  const int settled = FormsEnabled() ? 15 : 14;
  Diagnose("edition %d (forms %s)", settled, settled == 15 ? "enabled" : "disabled");
  return settled;
}

int ProductStartup::QueryMode() {
  // An installation without the forms mode never asks and never reads the line.
  if (!FormsEnabled()) return Settled(0, ": forms disabled");
  // The first rule that applies decides.
  if (HasSwitch("form")) return Settled(1, " from the /form switch");
  if (HasSwitch("standard")) return Settled(0, " from the /standard switch");
  if (CommandLineHasFileType(".pac")) return Settled(0, " from a .pac file");
  if (CommandLineHasFileType(".frm")) return Settled(1, " from a .frm file");
  // A host started for automation or without a logo must not be held up by a question.
  if (!LogoAllowed()) return Settled(0, ": logo switches forbid asking");
  return AskMode();
}
