// The installation's forms setting, the mode dialog's identifiers, and the
// mode dialog's procedure.
#pragma once

#include <windows.h>

#include "core/startup_policy.h"
#include "settings/reg_key.h"

// The mode dialog in the resource library: its template and the controls that
// end it. The resource scripts use the same numbers (resources/dialogs/mode_dialog_ids.h).
constexpr WORD kModeDialogTemplate = 152;
constexpr int kModeDialogForms = 392;        // forms mode
constexpr int kModeDialogMain = 391;         // main mode
constexpr int kModeDialogContinue = 397;     // main mode as well
// A cancelled or closed mode dialog ends the process with this code.
constexpr UINT kModeDialogCancelledExitCode = 2;

// 1 unless the machine's "DisableForms" begins with "1"; *found, `text`
// (kTextSize bytes) and *openError (when given) receive what the read found,
// the value's text and the product key's open result.
int FormsEnabled(StoredString* found = nullptr, char* text = nullptr, long* openError = nullptr);

// The mode dialog's procedure: forwards the four arguments unchanged to the
// start-up object's ModeDialogProc and returns its result.
INT_PTR CALLBACK ModeDialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
