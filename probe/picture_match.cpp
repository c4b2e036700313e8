#include "picture_match.h"

#include <cstdint>
#include <vector>

#include "scoped_gdi.h"

namespace {

// Reads a bitmap's pixels as 32-bit top-down rows.
bool ReadPixels(HDC dc, HBITMAP bitmap, int width, int height, std::vector<std::uint32_t>* pixels) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  pixels->assign(static_cast<size_t>(width) * height, 0);
  return GetDIBits(dc, bitmap, 0, height, pixels->data(), &info, DIB_RGB_COLORS) == height;
}

// The reference for a logo drawn larger than its bitmap: `whole` (width by
// height) resampled bilinearly to columns by rows, pixel centres aligned.
std::vector<std::uint32_t> Resampled(const std::vector<std::uint32_t>& whole, int width, int height, int columns,
                                     int rows) {
  std::vector<std::uint32_t> out;
  out.reserve(static_cast<size_t>(columns) * rows);
  auto at = [&](int x, int y) {
    x = x < 0 ? 0 : (x >= width ? width - 1 : x);
    y = y < 0 ? 0 : (y >= height ? height - 1 : y);
    return whole[static_cast<size_t>(y) * width + x];
  };
  for (int row = 0; row < rows; ++row) {
    const double fy = (row + 0.5) * height / rows - 0.5;
    const int y0 = static_cast<int>(fy < 0 ? -1 : fy);
    const double wy = fy - y0;
    for (int column = 0; column < columns; ++column) {
      const double fx = (column + 0.5) * width / columns - 0.5;
      const int x0 = static_cast<int>(fx < 0 ? -1 : fx);
      const double wx = fx - x0;
      std::uint32_t pixel = 0;
      for (int shift = 0; shift < 24; shift += 8) {
        auto channel = [&](int x, int y) { return static_cast<double>((at(x, y) >> shift) & 0xFF); };
        const double top = channel(x0, y0) * (1 - wx) + channel(x0 + 1, y0) * wx;
        const double bottom = channel(x0, y0 + 1) * (1 - wx) + channel(x0 + 1, y0 + 1) * wx;
        pixel |= static_cast<std::uint32_t>(top * (1 - wy) + bottom * wy + 0.5) << shift;
      }
      out.push_back(pixel);
    }
  }
  return out;
}

// The share of the pixels of `seen` (rows of `width`) whose channels differ
// from `expected` by at most a palette display's rounding: over the whole,
// in the rows from `bandTop` on, and above them.
BitmapMatch Compare(const std::vector<std::uint32_t>& seen, const std::vector<std::uint32_t>& expected, int width,
                    int bandTop) {
  BitmapMatch match;
  size_t matching[2] = {0, 0};  // outside the band, in it
  size_t counted[2] = {0, 0};
  for (size_t i = 0; i < seen.size(); ++i) {
    int worst = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      int a = (seen[i] >> shift) & 0xFF, b = (expected[i] >> shift) & 0xFF;
      int difference = a > b ? a - b : b - a;
      if (difference > worst) worst = difference;
    }
    const int inBand = static_cast<int>(i / static_cast<size_t>(width)) >= bandTop ? 1 : 0;
    ++counted[inBand];
    if (worst <= 48) ++matching[inBand];
  }
  match.whole = static_cast<int>((matching[0] + matching[1]) * 100 / seen.size());
  if (counted[1] > 0) match.band = static_cast<int>(matching[1] * 100 / counted[1]);
  if (counted[0] > 0) match.outsideBand = static_cast<int>(matching[0] * 100 / counted[0]);
  return match;
}

// `whole` (width by height) as the client's top-left width by height pixels
// show it: resampled when `scaled`, else cut.
std::vector<std::uint32_t> Expected(const std::vector<std::uint32_t>& whole, const BITMAP& info, bool scaled, int width,
                                    int height) {
  if (scaled) return Resampled(whole, info.bmWidth, info.bmHeight, width, height);
  std::vector<std::uint32_t> expected;
  expected.reserve(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) expected.push_back(whole[static_cast<size_t>(y) * info.bmWidth + x]);
  }
  return expected;
}

}  // namespace

BitmapMatch ClientMatchesBitmap(HWND window, HMODULE module, const std::string& name, int bandHeight) {
  const UniqueBitmap picture(
      static_cast<HBITMAP>(LoadImageA(module, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!picture) return BitmapMatch();
  BITMAP info = {};
  GetObjectA(picture.get(), sizeof info, &info);
  RECT client = {};
  GetClientRect(window, &client);
  // Larger than the bitmap: the logo was scaled for the display's DPI.
  const bool scaled = client.right > info.bmWidth || client.bottom > info.bmHeight;
  const int width = scaled || info.bmWidth > client.right ? client.right : info.bmWidth;
  const int height = scaled || info.bmHeight > client.bottom ? client.bottom : info.bmHeight;
  const ScopedWindowDC windowDc(WindowDcOf(window, WindowDcArea::Client));
  const ScopedMemoryDC memory(CreateCompatibleDC(windowDc.get()));
  const UniqueBitmap shot(CreateCompatibleBitmap(windowDc.get(), width, height));
  if (width <= 0 || height <= 0 || !memory || !shot) return BitmapMatch();
  {
    const ScopedSelectObject selected(memory.get(), shot.get());
    BitBlt(memory.get(), 0, 0, width, height, windowDc.get(), 0, 0, SRCCOPY);
  }
  std::vector<std::uint32_t> seen, whole;
  if (!ReadPixels(memory.get(), shot.get(), width, height, &seen) ||
      !ReadPixels(memory.get(), picture.get(), info.bmWidth, info.bmHeight, &whole)) {
    return BitmapMatch();
  }
  return Compare(seen, Expected(whole, info, scaled, width, height), width, client.bottom - bandHeight);
}
