// Reading a device bitmap back, pixel by pixel.
#pragma once

#include <windows.h>

#include <cstring>
#include <vector>

// The size of `bitmap` as GetObjectA gives it (zeros when it gives nothing).
inline BITMAP BitmapSize(HBITMAP bitmap) {
  BITMAP size;
  std::memset(&size, 0, sizeof size);
  GetObjectA(bitmap, sizeof size, &size);
  return size;
}

// Every pixel of `bitmap`, top row first, read through a memory device context.
inline std::vector<COLORREF> BitmapPixels(HBITMAP bitmap) {
  const BITMAP size = BitmapSize(bitmap);
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  std::vector<COLORREF> pixels;
  for (LONG y = 0; y < size.bmHeight; ++y) {
    for (LONG x = 0; x < size.bmWidth; ++x) pixels.push_back(GetPixel(memory, x, y));
  }
  SelectObject(memory, previous);
  DeleteDC(memory);
  return pixels;
}
