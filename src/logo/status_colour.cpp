// The status line's colour from the logo's own pixels under its band.
#include "logo/status_colour.h"

#include "scoped_gdi.h"

namespace {

// x to the power 2.4 for x in (0, 1]: x squared times the fifth root of x
// squared, by Newton's steps. The C library's pow would be linked in whole.
double PowerOf2Point4(double x) {
  const double square = x * x;
  double root = 1.0;
  for (int step = 0; step < 40; ++step) root = (4 * root + square / (root * root * root * root)) / 5;
  return square * root;
}

// sRGB channel to linear light, as WCAG 2 gives it.
double Linear(BYTE channel) {
  const double value = channel / 255.0;
  return value <= 0.03928 ? value / 12.92 : PowerOf2Point4((value + 0.055) / 1.055);
}

double Luminance(COLORREF colour) {
  return 0.2126 * Linear(GetRValue(colour)) + 0.7152 * Linear(GetGValue(colour)) +
         0.0722 * Linear(GetBValue(colour));
}

// How many samples to take along `length` pixels.
int SampleCount(int length, int most) { return length < most ? length : most; }

}  // namespace

double ContrastRatio(COLORREF first, COLORREF second) {
  const double a = Luminance(first) + 0.05, b = Luminance(second) + 0.05;
  return a > b ? a / b : b / a;
}

COLORREF StatusColourOn(COLORREF band) {
  if (ContrastRatio(kStatusColour, band) >= kStatusContrast) return kStatusColour;
  // White or black reaches 4.5:1 on any band; whichever reads better.
  return ContrastRatio(kStatusLightColour, band) >= ContrastRatio(kStatusDarkColour, band)
             ? kStatusLightColour
             : kStatusDarkColour;
}

COLORREF BandMeanColour(HDC compatibleWith, HBITMAP bitmap, HPALETTE palette, int rows, COLORREF fallback) {
  if (bitmap == nullptr || rows <= 0) return fallback;
  BITMAP size{};
  if (GetObjectA(bitmap, sizeof size, &size) == 0 || size.bmWidth <= 0 || size.bmHeight <= 0) return fallback;
  if (rows > size.bmHeight) rows = size.bmHeight;
  ScopedMemoryDC memory(CreateCompatibleDC(compatibleWith));
  if (memory.get() == nullptr) return fallback;
  ScopedSelectObject selected(memory.get(), bitmap);
  // A palette bitmap's pixels read as colours through the logo's palette.
  ScopedSelectPalette colours(memory.get(), palette);
  const int columns = SampleCount(size.bmWidth, 64), lines = SampleCount(rows, 16);
  unsigned long long red = 0, green = 0, blue = 0, count = 0;
  for (int line = 0; line < lines; ++line) {
    const int y = size.bmHeight - rows + line * rows / lines;
    for (int column = 0; column < columns; ++column) {
      const COLORREF pixel = GetPixel(memory.get(), column * size.bmWidth / columns, y);
      if (pixel == CLR_INVALID) continue;
      red += GetRValue(pixel), green += GetGValue(pixel), blue += GetBValue(pixel), ++count;
    }
  }
  if (count == 0) return fallback;
  return static_cast<COLORREF>(red / count) | static_cast<COLORREF>(green / count) << 8 |
         static_cast<COLORREF>(blue / count) << 16;
}
