// Small scoped owners of device contexts, selections and global memory: each
// gives back what it took when its scope ends, in the reverse order of
// declaration. None of them can be copied or moved.
#pragma once

#include <windows.h>

// Which device context of a window GetDC or GetWindowDC hands out.
enum class WindowDcArea { Client, WholeWindow };

// A window's device context (GetDC or GetWindowDC), released with ReleaseDC
// and the same window. get() is null when none could be had.
class ScopedWindowDC {
 public:
  ScopedWindowDC(HWND window, WindowDcArea area)
      : window_(window), dc_(area == WindowDcArea::Client ? GetDC(window) : GetWindowDC(window)) {}
  ~ScopedWindowDC() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  ScopedWindowDC(const ScopedWindowDC&) = delete;
  ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;

  HDC get() const { return dc_; }

 private:
  const HWND window_;
  const HDC dc_;
};

// BeginPaint and EndPaint around the handling of one WM_PAINT. dc() is null
// when BeginPaint gave no device context.
class ScopedPaint {
 public:
  explicit ScopedPaint(HWND window) : window_(window), paint_(), dc_(BeginPaint(window, &paint_)) {}
  ~ScopedPaint() { EndPaint(window_, &paint_); }
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;

  HDC dc() const { return dc_; }

 private:
  const HWND window_;
  PAINTSTRUCT paint_;
  const HDC dc_;
};

// A memory device context compatible with another, deleted with DeleteDC.
class ScopedMemoryDC {
 public:
  explicit ScopedMemoryDC(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
  ~ScopedMemoryDC() {
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  ScopedMemoryDC(const ScopedMemoryDC&) = delete;
  ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;

  HDC get() const { return dc_; }

 private:
  const HDC dc_;
};

// Selects an object into a device context and selects the previous one back.
// A null object selects nothing.
class ScopedSelectObject {
 public:
  ScopedSelectObject(HDC dc, HGDIOBJ object)
      : dc_(dc), old_(object != nullptr ? SelectObject(dc, object) : nullptr) {}
  ~ScopedSelectObject() {
    if (old_ != nullptr) SelectObject(dc_, old_);
  }
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

 private:
  const HDC dc_;
  const HGDIOBJ old_;
};

// Selects a palette into a device context and, when SelectPalette returned a
// previous palette, selects that one back as a foreground palette. A null
// palette selects nothing.
class ScopedSelectPalette {
 public:
  ScopedSelectPalette(HDC dc, HPALETTE palette, BOOL forceBackground)
      : dc_(dc), old_(palette != nullptr ? SelectPalette(dc, palette, forceBackground) : nullptr) {}
  ~ScopedSelectPalette() {
    if (old_ != nullptr) SelectPalette(dc_, old_, FALSE);
  }
  ScopedSelectPalette(const ScopedSelectPalette&) = delete;
  ScopedSelectPalette& operator=(const ScopedSelectPalette&) = delete;

 private:
  const HDC dc_;
  const HPALETTE old_;
};

// Sets a device context's background mode (SetBkMode) and puts the previous
// one back; nothing to put back when the call failed.
class ScopedBkMode {
 public:
  ScopedBkMode(HDC dc, int mode) : dc_(dc), old_(SetBkMode(dc, mode)) {}
  ~ScopedBkMode() {
    if (old_ != 0) SetBkMode(dc_, old_);
  }
  ScopedBkMode(const ScopedBkMode&) = delete;
  ScopedBkMode& operator=(const ScopedBkMode&) = delete;

 private:
  const HDC dc_;
  const int old_;
};

// Sets a device context's text colour (SetTextColor) and puts the previous
// one back; nothing to put back when the call failed.
class ScopedTextColor {
 public:
  ScopedTextColor(HDC dc, COLORREF colour) : dc_(dc), old_(SetTextColor(dc, colour)) {}
  ~ScopedTextColor() {
    if (old_ != CLR_INVALID) SetTextColor(dc_, old_);
  }
  ScopedTextColor(const ScopedTextColor&) = delete;
  ScopedTextColor& operator=(const ScopedTextColor&) = delete;

 private:
  const HDC dc_;
  const COLORREF old_;
};

// Sets a device context's stretching mode (SetStretchBltMode) and puts the
// previous one back; nothing to put back when the call failed.
class ScopedStretchBltMode {
 public:
  ScopedStretchBltMode(HDC dc, int mode) : dc_(dc), old_(SetStretchBltMode(dc, mode)) {}
  ~ScopedStretchBltMode() {
    if (old_ != 0) SetStretchBltMode(dc_, old_);
  }
  ScopedStretchBltMode(const ScopedStretchBltMode&) = delete;
  ScopedStretchBltMode& operator=(const ScopedStretchBltMode&) = delete;

 private:
  const HDC dc_;
  const int old_;
};

// Sets a device context's brush origin (SetBrushOrgEx) and puts the previous
// one back; nothing to put back when the call failed.
class ScopedBrushOrg {
 public:
  ScopedBrushOrg(HDC dc, int x, int y) : dc_(dc), old_(), set_(SetBrushOrgEx(dc, x, y, &old_) != FALSE) {}
  ~ScopedBrushOrg() {
    if (set_) SetBrushOrgEx(dc_, old_.x, old_.y, nullptr);
  }
  ScopedBrushOrg(const ScopedBrushOrg&) = delete;
  ScopedBrushOrg& operator=(const ScopedBrushOrg&) = delete;

 private:
  const HDC dc_;
  POINT old_;
  const bool set_;
};

// A global memory block (GlobalAlloc), freed with GlobalFree. get() is null
// when the block could not be had.
class ScopedGlobalMemory {
 public:
  ScopedGlobalMemory(UINT flags, SIZE_T bytes) : memory_(GlobalAlloc(flags, bytes)) {}
  ~ScopedGlobalMemory() {
    if (memory_ != nullptr) GlobalFree(memory_);
  }
  ScopedGlobalMemory(const ScopedGlobalMemory&) = delete;
  ScopedGlobalMemory& operator=(const ScopedGlobalMemory&) = delete;

  HGLOBAL get() const { return memory_; }

 private:
  const HGLOBAL memory_;
};

// A lock on a global memory block (GlobalLock), undone with GlobalUnlock.
// address() is null when the lock failed.
class ScopedGlobalLock {
 public:
  explicit ScopedGlobalLock(HGLOBAL memory)
      : memory_(memory), address_(memory != nullptr ? GlobalLock(memory) : nullptr) {}
  ~ScopedGlobalLock() {
    if (address_ != nullptr) GlobalUnlock(memory_);
  }
  ScopedGlobalLock(const ScopedGlobalLock&) = delete;
  ScopedGlobalLock& operator=(const ScopedGlobalLock&) = delete;

  void* address() const { return address_; }

 private:
  const HGLOBAL memory_;
  void* const address_;
};
