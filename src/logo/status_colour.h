// The colour of the status line, chosen to read on the band it is drawn on.
#pragma once

#include <windows.h>

// Dark slate: it reads on the light lower part of the library's own logos.
constexpr COLORREF kStatusColour = RGB(40, 52, 80);
// For a dark band.
constexpr COLORREF kStatusLightColour = RGB(255, 255, 255);
// For a mid-tone band on which neither of the others reaches the contrast.
constexpr COLORREF kStatusDarkColour = RGB(0, 0, 0);
// The contrast a line of small text needs, as WCAG 2 asks.
constexpr double kStatusContrast = 4.5;

// Contrast ratio of two colours as WCAG 2 defines it, from 1 to 21.
double ContrastRatio(COLORREF first, COLORREF second);

// kStatusColour when it has kStatusContrast against `band`, else white or
// black, whichever contrasts more (one of them always reaches kStatusContrast).
COLORREF StatusColourOn(COLORREF band);

// Mean colour of the bottom `rows` rows (bitmap pixels) of `bitmap`, read
// through `palette` (or none), sampled at most 64 by 16 times; `fallback`
// when it cannot be read.
COLORREF BandMeanColour(HDC compatibleWith, HBITMAP bitmap, HPALETTE palette, int rows, COLORREF fallback);
