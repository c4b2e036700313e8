// The logo drawn for the display's scale: beside each SVGA logo bitmap a
// resource library may carry the same picture drawn larger, named after it
// with the scale in percent ("SVGA_LOGO_ZOLT_200" for 192 DPI). The library
// draws the one that fits the logo's size on this display.
#pragma once

#include <windows.h>

// The scales a variant may be drawn for, in percent, smallest first: the
// steps of the display scale a user can choose.
constexpr int kLogoVariantPercents[] = {125, 150, 175, 200, 225, 250, 300, 350, 400};
constexpr int kLogoVariantCount = sizeof kLogoVariantPercents / sizeof kLogoVariantPercents[0];

// `base` followed by "_" and `percent` into `name`, a buffer of `size` bytes,
// cut to fit and always terminated.
void LogoVariantName(const char* base, int percent, char* name, int size);

// Which of `count` bitmaps of `sizes` pixels to draw at `target` pixels: one of
// exactly that size, drawn pixel for pixel; else the smallest at least as
// large both ways, shrunk; else the largest, enlarged. -1 when count is 0.
int ChooseLogoVariant(const SIZE* sizes, int count, SIZE target);
