// Simulated windows, device contexts and GDI: set-up and inspection for tests.
//
// What the simulation covers: window classes; pop-up windows with their class,
// text, styles and rectangle; the messages of a window's life as Wine sends
// them (WM_NCCREATE, WM_NCCALCSIZE and WM_CREATE inside CreateWindowExA;
// WM_SHOWWINDOW, activation with WM_QUERYNEWPALETTE and WM_ACTIVATE, WM_NCPAINT
// and WM_ERASEBKGND inside ShowWindow; WM_DESTROY and WM_NCDESTROY, the
// activation passing on, inside DestroyWindow), but not those of sizes, focus
// or input; update regions as "needs painting" and "needs erasing" flags;
// display and memory device contexts; palettes, device bitmaps made from DIBs
// with their pixels (BitBlt copies them between bitmaps, GetPixel reads them;
// what a display shows is not simulated; a bitmap of more than 2^24 pixels
// fails as if memory ran out), fonts and stock objects. Window handles come back as Wine's do: a freed
// slot is taken again under a new high word, and a handle cut to its low word
// names whatever window holds the slot.
#pragma once

#include <windows.h>

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace winsim {

// ---- the display
// Screen size in pixels (SM_CXSCREEN, SM_CYSCREEN); default 1024 by 768.
void SetScreenSize(int width, int height);
// BITSPIXEL of every display device context; default 32.
void SetDisplayBitsPerPixel(int bitsPerPixel);
// LOGPIXELSX and LOGPIXELSY of every device context; default 96. As under
// Wine, every process sees it and no window is stretched; frame metrics stay
// those of 96.
void SetDisplayDpi(int dpi);
// The work area SPI_GETWORKAREA gives; by default the whole screen.
void SetWorkArea(const RECT& area);
// What RealizePalette returns from now on. By default, on a display of up to
// 8 bits per pixel: the selected palette's entry count the first time it is
// realized, and again once a realization in the foreground (selected without
// forcing the background, in a device context of the active window) has put
// another palette in its place; else 0, and always 0 for the default palette
// and on a display of more bits. A foreground realization that maps entries
// sends WM_PALETTECHANGED to every top-level window. How a palette realized in
// the background shares the system palette is not simulated.
void SetRealizePaletteResult(UINT result);

// ---- window classes and windows
struct WindowClassRecord {
  std::string name;
  UINT style;
  WNDPROC windowProc;
  int classExtra;
  int windowExtra;
  HINSTANCE instance;
  HICON icon;
  HCURSOR cursor;
  HBRUSH background;
  bool hasMenuName;
};
std::vector<WindowClassRecord> RegisteredClasses();
inline bool operator==(const WindowClassRecord& a, const WindowClassRecord& b) {
  return a.name == b.name && a.style == b.style && a.windowProc == b.windowProc && a.classExtra == b.classExtra &&
         a.windowExtra == b.windowExtra && a.instance == b.instance && a.icon == b.icon && a.cursor == b.cursor &&
         a.background == b.background && a.hasMenuName == b.hasMenuName;
}
inline void PrintTo(const WindowClassRecord& r, std::ostream* os) {
  *os << "{" << r.name << ", style " << r.style << ", procedure " << reinterpret_cast<const void*>(r.windowProc)
      << ", extra " << r.classExtra << "/" << r.windowExtra << ", instance " << r.instance << ", icon " << r.icon
      << ", cursor " << r.cursor << ", brush " << r.background << (r.hasMenuName ? ", a menu" : "") << "}";
}

struct WindowRecord {
  HWND handle;
  std::string className;
  std::string text;
  DWORD style;    // as given to CreateWindowExA
  DWORD exStyle;  // as given; the procedure sees WS_EX_WINDOWEDGE added to a dialog frame
  RECT rect;  // screen coordinates, as given to CreateWindowExA
  HWND parent;
  HINSTANCE instance;
  bool visible;
  bool alive;  // false once destroyed
};
// Every window created since the last Reset, in creation order.
std::vector<WindowRecord> WindowsCreated();
inline bool operator==(const WindowRecord& a, const WindowRecord& b) {
  return a.handle == b.handle && a.className == b.className && a.text == b.text && a.style == b.style &&
         a.exStyle == b.exStyle && a.rect.left == b.rect.left && a.rect.top == b.rect.top &&
         a.rect.right == b.rect.right && a.rect.bottom == b.rect.bottom && a.parent == b.parent &&
         a.instance == b.instance && a.visible == b.visible && a.alive == b.alive;
}
inline void PrintTo(const WindowRecord& r, std::ostream* os) {
  *os << "{" << r.handle << ", " << r.className << ", \"" << r.text << "\", style " << std::hex << r.style << "/"
      << r.exStyle << std::dec << ", (" << r.rect.left << "," << r.rect.top << ")-(" << r.rect.right << ","
      << r.rect.bottom << "), parent " << r.parent << ", instance " << r.instance << (r.visible ? ", visible" : "")
      << (r.alive ? ", alive" : "") << "}";
}

// A message handed to a window procedure.
struct MessageRecord {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
const std::vector<MessageRecord>& WindowMessages();
// Messages of `window` with number `message` delivered so far.
int MessageCount(HWND window, UINT message);

struct InvalidateRecord {
  HWND window;
  bool wholeClientArea;  // rect was null
  BOOL erase;
  RECT rect;             // the rectangle given; the whole client area for null
};
const std::vector<InvalidateRecord>& Invalidations();
// Messages other threads sent to windows of `thread` that it has not handled
// yet: their senders wait for its next message retrieval.
int MessagesSentTo(DWORD thread);

// ---- GDI
struct PaletteRecord {
  HPALETTE handle;
  WORD version;
  std::vector<PALETTEENTRY> entries;
};
// Every palette CreatePalette made, with the entries it was given.
const std::vector<PaletteRecord>& PalettesCreated();
// Entries of a palette that is still alive; empty for any other handle.
std::vector<PALETTEENTRY> PaletteEntries(HPALETTE palette);

struct SelectPaletteRecord {
  HDC dc;
  HPALETTE palette;
  BOOL forceBackground;
  HPALETTE previous;  // what SelectPalette returned
};
const std::vector<SelectPaletteRecord>& PaletteSelections();

struct BitmapRecord {
  HBITMAP handle;
  LONG width;             // in pixels
  LONG height;            // in pixels, always positive
  WORD dibBitCount;       // bits per pixel of the DIB it was made from
  WORD deviceBitCount;    // bits per pixel of the device bitmap
  std::ptrdiff_t bitsOffset;  // pixel bits minus header, in bytes; -1 without CBM_INIT
  HPALETTE paletteInDc;   // palette selected in the device context at creation
};
// Every bitmap made by CreateDIBitmap or LoadBitmapA.
const std::vector<BitmapRecord>& BitmapsCreated();

struct BitBltRecord {
  HDC destination;
  HWND destinationWindow;  // window of a display device context, else null
  int x, y, width, height;
  HDC source;
  HBITMAP sourceBitmap;    // bitmap selected in a memory source, else null
  int sourceX, sourceY;
  DWORD rop;
  HPALETTE destinationPalette;  // palette selected in the destination then
  // StretchBlt only: the source's size, and the destination's stretching
  // mode and brush origin then.
  bool stretched = false;
  int sourceWidth = 0, sourceHeight = 0;
  int stretchMode = 0;
  POINT brushOrigin{0, 0};
};
const std::vector<BitBltRecord>& BitBlts();

struct FontRecord {
  HFONT handle;
  int height, width, escapement, orientation, weight;
  DWORD italic, underline, strikeOut, charSet, outputPrecision, clipPrecision, quality, pitchAndFamily;
  std::string faceName;
};
const std::vector<FontRecord>& FontsCreated();

// A DrawTextA call: what was drawn where, with which font, colour and mode.
// Where a bitmap is selected, the text's cell boxes are inked in the text
// colour (and, OPAQUE, the line's box filled white first), clipped to `rect`:
// glyph shapes are not simulated.
struct TextRecord {
  HDC dc;
  HWND window;  // of a display device context, else null
  std::string text;
  RECT rect;
  UINT format;
  HGDIOBJ font;
  COLORREF textColour;
  int bkMode;
};
const std::vector<TextRecord>& TextDrawn();

// A device context's text state: its selected font, text colour and
// background mode.
struct DcTextState {
  HGDIOBJ font;
  COLORREF textColour;
  int bkMode;
};
DcTextState TextStateOf(HDC dc);

// True while `object` names a GDI object that has not been deleted.
bool IsLiveGdiObject(HGDIOBJ object);

}  // namespace winsim
