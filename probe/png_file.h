// Saves what a window shows as a PNG file.
#pragma once

#include <windows.h>

#include <string>

// Copies the window's pixels from the screen and writes them to `path` as a
// 24-bit PNG (`path` in UTF-8). Returns false when the window cannot be read or the file written.
bool CaptureWindowToPng(HWND window, const std::string& path);
