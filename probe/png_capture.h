// Saves what a window shows as a PNG file.
#pragma once

#include <windows.h>

#include <string>

// Copies the window's pixels from the screen and writes them to `path` as a
// 24-bit PNG (`path` in UTF-8). Returns false when the window cannot be read or the file written.
bool CaptureWindowToPng(HWND window, const std::string& path);

// Compares the window's client area, as the screen shows it, with bitmap
// `name` of `module` drawn at its top-left corner. Returns the share of the
// overlapping pixels whose colour channels differ by at most a palette
// display's rounding, in percent; -1 when either cannot be read.
int ClientMatchesBitmap(HWND window, HMODULE module, const std::string& name);
