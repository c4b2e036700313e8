// Compares what a window shows with a bitmap of a module.
#pragma once

#include <windows.h>

#include <string>

// Shares of matching pixels, in percent; -1 when they cannot be read.
struct BitmapMatch {
  int whole = -1;
  int band = -1;         // the bottom rows of the client area (the status band)
  int outsideBand = -1;  // the rest
};

// Compares the window's client area, as the screen shows it, with bitmap
// `name` of `module` drawn at its top-left corner, or, when the client area
// is larger (a logo scaled for the DPI), with the bitmap resampled
// bilinearly to it: the share of the pixels whose colour channels differ by
// at most a palette display's rounding, over the whole, over the bottom
// `bandHeight` rows of the client area and over the rest.
BitmapMatch ClientMatchesBitmap(HWND window, HMODULE module, const std::string& name, int bandHeight);
