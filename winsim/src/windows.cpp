// Simulated windows, message dispatch, device contexts. (Filled in
// with the logo window.)
#include "internal.h"

using winsim::detail::EnterCall;

ATOM WINAPI RegisterClassA(const WNDCLASSA*) { EnterCall("RegisterClassA"); return 0; }
BOOL WINAPI UnregisterClassA(LPCSTR, HINSTANCE) { EnterCall("UnregisterClassA"); return FALSE; }
HWND WINAPI CreateWindowExA(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID) { EnterCall("CreateWindowExA"); return nullptr; }
BOOL WINAPI ShowWindow(HWND, int) { EnterCall("ShowWindow"); return FALSE; }
BOOL WINAPI UpdateWindow(HWND) { EnterCall("UpdateWindow"); return FALSE; }
BOOL WINAPI DestroyWindow(HWND) { EnterCall("DestroyWindow"); return FALSE; }
BOOL WINAPI IsWindow(HWND) { EnterCall("IsWindow"); return FALSE; }
BOOL WINAPI IsWindowVisible(HWND) { EnterCall("IsWindowVisible"); return FALSE; }
LRESULT WINAPI DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { EnterCall("DefWindowProcA"); return 0; }
LRESULT WINAPI SendMessageA(HWND, UINT, WPARAM, LPARAM) { EnterCall("SendMessageA"); return 0; }
HDC WINAPI BeginPaint(HWND, LPPAINTSTRUCT) { EnterCall("BeginPaint"); return nullptr; }
BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT*) { EnterCall("EndPaint"); return TRUE; }
BOOL WINAPI InvalidateRect(HWND, const RECT*, BOOL) { EnterCall("InvalidateRect"); return FALSE; }
HDC WINAPI GetDC(HWND) { EnterCall("GetDC"); return nullptr; }
HDC WINAPI GetWindowDC(HWND) { EnterCall("GetWindowDC"); return nullptr; }
int WINAPI ReleaseDC(HWND, HDC) { EnterCall("ReleaseDC"); return 0; }
HWND WINAPI GetDesktopWindow() { EnterCall("GetDesktopWindow"); return nullptr; }
int WINAPI GetSystemMetrics(int) { EnterCall("GetSystemMetrics"); return 0; }
BOOL WINAPI AdjustWindowRect(LPRECT, DWORD, BOOL) { EnterCall("AdjustWindowRect"); return FALSE; }
BOOL WINAPI GetWindowRect(HWND, LPRECT) { EnterCall("GetWindowRect"); return FALSE; }
int WINAPI GetWindowTextA(HWND, LPSTR, int) { EnterCall("GetWindowTextA"); return 0; }
int WINAPI GetClassNameA(HWND, LPSTR, int) { EnterCall("GetClassNameA"); return 0; }
HBITMAP WINAPI LoadBitmapA(HINSTANCE, LPCSTR) { EnterCall("LoadBitmapA"); return nullptr; }
