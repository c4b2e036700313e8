// The edition and the working mode: the installation's "DisableForms"
// setting, the command-line rules, and the mode dialog that asks the user
// when neither decides.
#include "core/edition_and_mode.h"

#include "core/command_line.h"
#include "core/logo_startup.h"
#include "core/product_startup.h"
#include "diagnostics/diagnostics.h"
#include "settings/reg_key.h"
#include "text/bounded_text.h"

namespace {

// Reports the rule that settled the mode, with its line of the table, and
// passes the mode on.
template <const char* Rule>
Mode Settled(Mode settled) {
  Diagnose(Rule, ModeNumber(settled));
  return settled;
}

// Why the mode dialog could not be shown, in words: its template comes from
// the resource library.
void DiagnoseDialogFailure(bool ownModuleServes, DWORD error) {
  if (ownModuleServes) {
    Diagnose(diagnostic_form::ModeDialogWithoutLibrary, kModeDialogTemplate);
  } else if (error == ERROR_RESOURCE_NAME_NOT_FOUND || error == ERROR_RESOURCE_TYPE_NOT_FOUND) {
    Diagnose(diagnostic_form::ModeDialogWithoutTemplate, kModeDialogTemplate);
  } else {
    const SystemError why(error);
    Diagnose(diagnostic_form::ModeDialogRefused, why.text, why.code);
  }
}

// Each build reads the registry view of its own bitness; on 64-bit Windows
// a 32-bit program's HKLM\SOFTWARE is WOW6432Node.
const char* RegistryView() { return sizeof(void*) == 8 ? "64-bit" : "32-bit"; }

// The edition line's lead: the edition and what it says of the forms mode.
struct EditionLead {
  int edition;
  const char* forms;
};

// What a "DisableForms" that was found holds: a printable ASCII character as
// it is (the whole text "is" it when it is the only one); any other byte (a
// blank, a control, an ANSI letter) by its value, so the line stays UTF-8. A
// UTF-8 byte-order mark, which some editors put first, is named.
void DiagnoseFoundText(EditionLead lead, const char* text) {
  const auto first = static_cast<unsigned char>(text[0]);
  const bool printable = first > 0x20 && first < 0x7F && first != '"';
  const bool byteOrderMark =
      first == 0xEF && static_cast<unsigned char>(text[1]) == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF;
  const char* view = RegistryView();
  if (first == '\0') {
    Diagnose(diagnostic_form::EditionValueEmpty, lead.edition, lead.forms, kMachineSettingsKey, view);
  } else if (printable && text[1] == '\0') {
    Diagnose(diagnostic_form::EditionValueIs, lead.edition, lead.forms, kMachineSettingsKey, view, text[0]);
  } else if (printable) {
    Diagnose(diagnostic_form::EditionValueBegins, lead.edition, lead.forms, kMachineSettingsKey, view, text[0]);
  } else {
    Diagnose(diagnostic_form::EditionValueByte, lead.edition, lead.forms, kMachineSettingsKey, view,
             static_cast<unsigned>(first), byteOrderMark ? " (a UTF-8 byte-order mark, EF BB BF)" : "");
  }
}

// The edition, and where and how "DisableForms" was found, so that a wrong
// edition points at the value to mend. A key that is there but cannot be
// opened (denied to the user, say) is told apart from a missing one.
void DiagnoseEdition(Edition settled, StoredString found, const char* text, long openError) {
  const EditionLead lead{EditionNumber(settled),
                         settled == Edition::Zolt ? TARVEX_DIAG_FORMS_ENABLED : TARVEX_DIAG_FORMS_DISABLED};
  const char* view = RegistryView();
  switch (found) {
    case StoredString::NoKey:
      if (openError == ERROR_FILE_NOT_FOUND || openError == ERROR_SUCCESS) {
        Diagnose(diagnostic_form::EditionWithoutKey, lead.edition, lead.forms, kMachineSettingsKey, view);
      } else {
        const SystemError why(static_cast<unsigned long>(openError));
        Diagnose(diagnostic_form::EditionKeyUnopened, lead.edition, lead.forms, kMachineSettingsKey, view, why.text,
                 why.code);
      }
      break;
    case StoredString::Missing:
      Diagnose(diagnostic_form::EditionValueAbsent, lead.edition, lead.forms, kMachineSettingsKey, view);
      break;
    case StoredString::Text:
      DiagnoseFoundText(lead, text);
      break;
    case StoredString::TooLong:
      Diagnose(diagnostic_form::EditionValueTooLong, lead.edition, lead.forms, kMachineSettingsKey, view);
      break;
    case StoredString::NotText:
      Diagnose(diagnostic_form::EditionValueNotText, lead.edition, lead.forms, kMachineSettingsKey, view);
      break;
    case StoredString::Unreadable:
      Diagnose(diagnostic_form::EditionValueUnreadable, lead.edition, lead.forms, kMachineSettingsKey, view);
      break;
  }
}

}  // namespace

INT_PTR CALLBACK ModeDialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The start-up object exists from static construction on, and the dialog
  // only runs inside its AskMode.
  return TheStartup()->ModeDialogProc(window, message, wParam, lParam);
}

int FormsEnabled(StoredString* found, char* text, long* openError) {
  char setting[kTextSize];
  // Empty unless the reader fills it, so a reader that gives up leaves the
  // forms mode enabled.
  setting[0] = '\0';
  ReadMachineSetting(setting, "DisableForms", found, openError);
  if (text) CopyBoundedText(text, setting, kTextSize);
  // Only the first character counts: "1", "10" and "1 yes" all disable.
  return setting[0] == '1' ? 0 : 1;
}

Mode LogoStartup::AskMode() {
  const INT_PTR answer = DialogBoxParamA(resources_.Module(), MAKEINTRESOURCEA(kModeDialogTemplate), nullptr,
                                         ModeDialogProcedure, 0);
  // The user chose not to start at all; the host must not go on.
  if (answer == IDCANCEL) {
    Diagnose(diagnostic_form::ModeDialogCancelled, kModeDialogCancelledExitCode);
    ExitProcess(kModeDialogCancelledExitCode);
  }
  // 391, 397, and -1 when the dialog cannot be shown, all mean the main mode.
  if (answer == -1) {
    DiagnoseDialogFailure(resources_.OwnModuleServes(), GetLastError());
    return Mode::Main;
  }
  const Mode chosen = answer == kModeDialogForms ? Mode::Forms : Mode::Main;
  Diagnose(diagnostic_form::ModeFromDialog, ModeNumber(chosen), static_cast<int>(answer));
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

Edition ProductStartup::QueryEdition() {
  StoredString found = StoredString::NoKey;
  char setting[kTextSize];
  setting[0] = '\0';
  long openError = ERROR_FILE_NOT_FOUND;
  const Edition settled = FormsEnabled(&found, setting, &openError) ? Edition::Zolt : Edition::Merel;
  DiagnoseEdition(settled, found, setting, openError);
  return settled;
}

Mode ProductStartup::QueryMode() {
  // An installation without the forms mode never asks and never reads the line.
  if (!FormsEnabled()) return Settled<diagnostic_form::ModeFormsDisabled>(Mode::Main);
  // The first rule that applies decides.
  if (CommandLineHasSwitch("form")) return Settled<diagnostic_form::ModeFormSwitch>(Mode::Forms);
  if (CommandLineHasSwitch("standard")) return Settled<diagnostic_form::ModeStandardSwitch>(Mode::Main);
  if (CommandLineHasFileType(".pac")) return Settled<diagnostic_form::ModePacFile>(Mode::Main);
  if (CommandLineHasFileType(".frm")) return Settled<diagnostic_form::ModeFrmFile>(Mode::Forms);
  // A host started for automation or without a logo must not be held up by a question.
  if (!LogoAllowed()) return Settled<diagnostic_form::ModeLogoSwitches>(Mode::Main);
  return AskMode();
}
