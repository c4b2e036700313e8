// Names of the edition codes, and the mode dialog's procedure.
#pragma once

#include <windows.h>

// "TAMIR" (13), "ZOLT" (15), "KIRVANE" (16), "DRUVA" (17), and "MEREL" for
// every other code; static text, never null.
const char* EditionName(int edition);

// The mode dialog's procedure: forwards to the start-up object's ModeDialogProc.
INT_PTR CALLBACK ModeDialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
