// The logo's drawing as free functions: the display class, the bitmap drawn
// as it is or stretched, palette realization, and the window's placement.
#pragma once

#include <windows.h>

// True when the display has 8 or more bits per pixel; false as well when no
// device context can be had for the desktop window.
bool IsSvgaDisplay();

// Draws the whole of `bitmap` with its top-left corner at (x, y) of `dc`, in
// pixels; nothing when the bitmap is null or no memory device context can be had.
void DrawBitmap(HDC dc, int x, int y, HBITMAP bitmap);

// Draws the whole of `bitmap` stretched to width by height pixels at (0, 0)
// of `dc`: HALFTONE on displays of more than 8 bits per pixel, COLORONCOLOR
// (through the palette selected in `dc`) on the others; nothing when the
// bitmap is null or no memory device context can be had.
void DrawScaledBitmap(HDC dc, HBITMAP bitmap, int width, int height);

// Realizes `palette` in the window's client-area device context. Returns 1 when
// the realization changed the mapping, else 0 (always 0 for a null palette or
// when no device context can be had).
int RealizeWindowPalette(HWND window, HPALETTE palette);

// Position and size of the logo window, in pixels.
struct LogoPlacement {
  int x;
  int y;
  int width;
  int height;
};

// Places a window whose rectangle AdjustWindowRect widened to `widened` in the
// middle of a screen of screenWidth by screenHeight pixels, one dialog frame
// (frameWidth, frameHeight pixels) larger than the widened rectangle.
LogoPlacement PlaceLogoWindow(const RECT& widened, int frameWidth, int frameHeight, int screenWidth,
                              int screenHeight);
