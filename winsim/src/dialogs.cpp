// Simulated modal dialogs. (Filled in with the mode dialog.)
#include "internal.h"

using winsim::detail::EnterCall;

INT_PTR WINAPI DialogBoxParamA(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM) { EnterCall("DialogBoxParamA"); return -1; }
BOOL WINAPI EndDialog(HWND, INT_PTR) { EnterCall("EndDialog"); return FALSE; }
