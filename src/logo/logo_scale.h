// How large the logo is drawn: the display's DPI against 96, held back so
// the window stays within the work area.
#pragma once

#include <windows.h>

// A scale of numerator / denominator, both positive; 1/1 is the bitmap's own size.
struct LogoScale {
  int numerator;
  int denominator;
};

constexpr LogoScale kUnscaled{1, 1};
// The DPI at which a logo is drawn at its bitmap's size.
constexpr int kBaseDpi = 96;

// True when `scale` draws every pixel as one pixel.
bool IsUnscaled(const LogoScale& scale);

// `length` pixels at `scale`, rounded half away from zero; `length` itself at 1/1.
int ScaledLength(int length, const LogoScale& scale);

// Logical pixels per inch of the screen as this process sees it (LOGPIXELSX
// of the desktop window's device context); 96 when it cannot be read.
int ScreenDpi();

// The scale for a bitmap of `bitmap` pixels at `dpi`, whose window adds
// `frame` pixels to the client area: dpi / 96, reduced until the window is at
// most 90% of `workArea` each way, never below 1/1.
LogoScale ChooseLogoScale(int dpi, SIZE bitmap, SIZE frame, const RECT& workArea);
