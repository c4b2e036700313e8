// Simulated GDI: palettes, bitmaps, device contexts, fonts. (Filled in with the
// logo window.)
#include "internal.h"

using winsim::detail::EnterCall;

int WINAPI GetDeviceCaps(HDC, int) { EnterCall("GetDeviceCaps"); return 0; }
HPALETTE WINAPI CreatePalette(const LOGPALETTE*) { EnterCall("CreatePalette"); return nullptr; }
HPALETTE WINAPI SelectPalette(HDC, HPALETTE, BOOL) { EnterCall("SelectPalette"); return nullptr; }
UINT WINAPI RealizePalette(HDC) { EnterCall("RealizePalette"); return GDI_ERROR; }
HBITMAP WINAPI CreateDIBitmap(HDC, const BITMAPINFOHEADER*, DWORD, LPCVOID, const BITMAPINFO*, UINT) { EnterCall("CreateDIBitmap"); return nullptr; }
HDC WINAPI CreateCompatibleDC(HDC) { EnterCall("CreateCompatibleDC"); return nullptr; }
BOOL WINAPI DeleteDC(HDC) { EnterCall("DeleteDC"); return FALSE; }
HGDIOBJ WINAPI SelectObject(HDC, HGDIOBJ) { EnterCall("SelectObject"); return nullptr; }
BOOL WINAPI DeleteObject(HGDIOBJ) { EnterCall("DeleteObject"); return FALSE; }
int WINAPI GetObjectA(HANDLE, int, LPVOID) { EnterCall("GetObjectA"); return 0; }
HGDIOBJ WINAPI GetStockObject(int) { EnterCall("GetStockObject"); return nullptr; }
BOOL WINAPI BitBlt(HDC, int, int, int, int, HDC, int, int, DWORD) { EnterCall("BitBlt"); return FALSE; }
HFONT WINAPI CreateFontA(int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, LPCSTR) { EnterCall("CreateFontA"); return nullptr; }
