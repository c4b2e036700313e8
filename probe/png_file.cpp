#include "png_file.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "scoped_gdi.h"
#include "whole_file.h"

namespace {

std::uint32_t Crc32(const std::uint8_t* data, size_t size, std::uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char type[4], const std::vector<std::uint8_t>& data) {
  PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
  std::vector<std::uint8_t> typed(type, type + 4);
  typed.insert(typed.end(), data.begin(), data.end());
  out.insert(out.end(), typed.begin(), typed.end());
  PutBigEndian(out, Crc32(typed.data(), typed.size()));
}

// A zlib stream of stored (uncompressed) deflate blocks: larger files, no
// compressor needed.
std::vector<std::uint8_t> StoredZlib(const std::vector<std::uint8_t>& raw) {
  std::vector<std::uint8_t> out = {0x78, 0x01};
  size_t offset = 0;
  do {
    size_t block = raw.size() - offset < 65535 ? raw.size() - offset : 65535;
    bool last = offset + block == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<std::uint8_t>(block));
    out.push_back(static_cast<std::uint8_t>(block >> 8));
    out.push_back(static_cast<std::uint8_t>(~block));
    out.push_back(static_cast<std::uint8_t>(~block >> 8));
    out.insert(out.end(), raw.begin() + offset, raw.begin() + offset + block);
    offset += block;
  } while (offset < raw.size());
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian(out, (b << 16) | a);
  return out;
}

// The screen's pixels in `rect` (width by height), as the rows of an 8-bit
// RGB PNG image, each behind its filter byte; false when they cannot be read.
bool ReadScreenRows(const RECT& rect, int width, int height, std::vector<std::uint8_t>* raw) {
  const ScopedWindowDC screen(WindowDcOf(nullptr, WindowDcArea::Client));
  if (!screen) return false;
  const ScopedMemoryDC memory(CreateCompatibleDC(screen.get()));
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const UniqueBitmap section(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!memory || !section) return false;
  {
    const ScopedSelectObject selected(memory.get(), section.get());
    if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY)) return false;
    GdiFlush();
  }
  const auto* pixels = static_cast<const std::uint8_t*>(bits);
  raw->reserve(static_cast<size_t>(height) * (width * 3 + 1));
  for (int y = 0; y < height; ++y) {
    raw->push_back(0);  // no filter
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* bgra = pixels + (static_cast<size_t>(y) * width + x) * 4;
      raw->push_back(bgra[2]);
      raw->push_back(bgra[1]);
      raw->push_back(bgra[0]);
    }
  }
  return true;
}

}  // namespace

bool CaptureWindowToPng(HWND window, const std::string& path) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  std::vector<std::uint8_t> raw;
  if (!ReadScreenRows(rect, width, height, &raw)) return false;

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  PutBigEndian(header, static_cast<std::uint32_t>(width));
  PutBigEndian(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", StoredZlib(raw));
  PutChunk(png, "IEND", {});

  return WriteWholeFile(path, std::string(png.begin(), png.end()));
}

