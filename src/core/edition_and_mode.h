// Names of the edition codes, the mode dialog's identifiers, and the mode
// dialog's procedure.
#pragma once

#include <windows.h>

// The mode dialog in the resource library: its template and the controls that
// end it. The resource scripts use the same numbers (resources/dialogs/mode_dialog_ids.h).
constexpr WORD kModeDialogTemplate = 152;
constexpr int kModeDialogForms = 392;        // forms mode
constexpr int kModeDialogMain = 391;         // main mode
constexpr int kModeDialogContinue = 397;     // main mode as well
// A cancelled or closed mode dialog ends the process with this code.
constexpr UINT kModeDialogCancelledExitCode = 2;

// "TAMIR" (13), "ZOLT" (15), "KIRVANE" (16), "DRUVA" (17), and "MEREL" for
// every other code; static text, never null.
const char* EditionName(int edition);

// The mode dialog's procedure: forwards the four arguments unchanged to the
// start-up object's ModeDialogProc and returns its result.
INT_PTR CALLBACK ModeDialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
