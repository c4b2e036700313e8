// Scoped owners of GDI and USER handles, global memory and its locks, and the
// device-context settings a drawing changes, for the library and the probe:
// each an alias of UniqueHandle or DcSetting, giving back what it took when
// its scope ends.
#pragma once

#include <windows.h>

#include <climits>

#include "unique_handle.h"

// ---- what the owners hold where one handle is not enough to close it

// A window's device context and the window ReleaseDC wants with it.
struct WindowDc {
  HWND window;
  HDC dc;
  operator HDC() const { return dc; }
  bool operator==(const WindowDc& other) const { return dc == other.dc; }
};
// Which device context of a window GetDC or GetWindowDC hands out.
enum class WindowDcArea { Client, WholeWindow };
inline WindowDc WindowDcOf(HWND window, WindowDcArea area) {
  return WindowDc{window, area == WindowDcArea::Client ? GetDC(window) : GetWindowDC(window)};
}
inline void ReleaseWindowDc(WindowDc dc) { ReleaseDC(dc.window, dc.dc); }

// One WM_PAINT's BeginPaint, for EndPaint.
struct PaintSession {
  HWND window;
  PAINTSTRUCT paint;
  HDC dc;
  operator HDC() const { return dc; }
  bool operator==(const PaintSession& other) const { return window == other.window && dc == other.dc; }
};
inline PaintSession BeginPainting(HWND window) {
  PaintSession session{window, PAINTSTRUCT{}, nullptr};
  session.dc = BeginPaint(window, &session.paint);
  return session;
}
// EndPaint follows every BeginPaint, even one that gave no device context.
inline void EndPainting(PaintSession session) { EndPaint(session.window, &session.paint); }
struct NoPaintSession {
  static PaintSession Value() { return PaintSession{nullptr, PAINTSTRUCT{}, nullptr}; }
};

// A global memory block and its address while it is locked.
struct GlobalLocked {
  HGLOBAL memory;
  void* address;
  bool operator==(const GlobalLocked& other) const { return address == other.address; }
};
inline GlobalLocked LockGlobal(HGLOBAL memory) {
  return GlobalLocked{memory, memory != nullptr ? GlobalLock(memory) : nullptr};
}
inline void UnlockGlobal(GlobalLocked locked) { GlobalUnlock(locked.memory); }

// ---- the owners

// get() converts to the HDC; null when none could be had.
using ScopedWindowDC = UniqueHandle<WindowDc, ReleaseWindowDc>;
using ScopedPaint = UniqueHandle<PaintSession, EndPainting, NoPaintSession>;
using ScopedMemoryDC = UniqueHandle<HDC, DeleteDC>;
using UniqueBitmap = UniqueHandle<HBITMAP, DeleteObject>;
using UniqueFont = UniqueHandle<HFONT, DeleteObject>;
using UniquePalette = UniqueHandle<HPALETTE, DeleteObject>;
using ScopedGlobalMemory = UniqueHandle<HGLOBAL, GlobalFree>;
// get().address is null when the lock failed.
using ScopedGlobalLock = UniqueHandle<GlobalLocked, UnlockGlobal>;

// ---- the device-context settings

inline bool IsNullObject(HGDIOBJ object) { return object == nullptr; }
inline bool IsNullPalette(HPALETTE palette) { return palette == nullptr; }
inline bool IsNoMode(int mode) { return mode == 0; }
inline bool IsInvalidColour(COLORREF colour) { return colour == CLR_INVALID; }
// The palette as the foreground one, as the logo always selects it.
inline HPALETTE SelectForegroundPalette(HDC dc, HPALETTE palette) { return SelectPalette(dc, palette, FALSE); }
// The brush origin SetBrushOrgEx replaced, or kNoBrushOrigin when it failed.
constexpr POINT kNoBrushOrigin{INT_MIN, INT_MIN};
inline POINT SetBrushOrigin(HDC dc, POINT origin) {
  POINT previous{};
  return SetBrushOrgEx(dc, origin.x, origin.y, &previous) ? previous : kNoBrushOrigin;
}
inline bool IsNoBrushOrigin(POINT origin) { return origin.x == INT_MIN && origin.y == INT_MIN; }

using ScopedSelectObject = DcSetting<HGDIOBJ, SelectObject, IsNullObject>;
using ScopedSelectPalette = DcSetting<HPALETTE, SelectForegroundPalette, IsNullPalette>;
using ScopedBkMode = DcSetting<int, SetBkMode, IsNoMode>;
using ScopedTextColor = DcSetting<COLORREF, SetTextColor, IsInvalidColour>;
using ScopedStretchBltMode = DcSetting<int, SetStretchBltMode, IsNoMode>;
using ScopedBrushOrg = DcSetting<POINT, SetBrushOrigin, IsNoBrushOrigin>;
