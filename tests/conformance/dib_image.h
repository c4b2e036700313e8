// Device-independent bitmaps for the GDI and resource tests, drawn in colours
// every display shows exactly (the sixteen of the VGA palette, which are among
// the static colours of a palette display too), so that pixels read back are
// the same at 32 and at 8 bits per pixel.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <vector>

namespace dib_image {

// The sixteen VGA colours, in their usual order.
inline const std::vector<COLORREF>& VgaColours() {
  static const std::vector<COLORREF> colours = {
      RGB(0, 0, 0),     RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0), RGB(0, 0, 128),   RGB(128, 0, 128),
      RGB(0, 128, 128), RGB(192, 192, 192), RGB(128, 128, 128), RGB(255, 0, 0), RGB(0, 255, 0),   RGB(255, 255, 0),
      RGB(0, 0, 255),   RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};
  return colours;
}

struct Format {
  WORD bitCount;
  DWORD compression;  // BI_RGB, BI_RLE8, BI_RLE4 or BI_BITFIELDS
  DWORD headerSize;   // 12 (core), 40, or 108
  bool topDown;
  DWORD clrUsed;      // 0: the full table
};

// Pixel (x, y), top row first: index (x + 2y) into `colours`.
inline std::vector<COLORREF> Pattern(int width, int height, const std::vector<COLORREF>& colours) {
  std::vector<COLORREF> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels.push_back(colours[static_cast<size_t>(x + 2 * y) % colours.size()]);
  }
  return pixels;
}

inline void Put16(std::vector<BYTE>& bytes, size_t at, WORD value) { std::memcpy(&bytes[at], &value, 2); }
inline void Put32(std::vector<BYTE>& bytes, size_t at, DWORD value) { std::memcpy(&bytes[at], &value, 4); }

// The colour table an image of `format` gets: black and white for one bit
// per pixel, else the VGA colours then black, clrUsed entries or as many as
// the bit count allows; none above 8 bits.
inline std::vector<COLORREF> TableOf(const Format& format) {
  if (format.bitCount > 8) return {};
  std::vector<COLORREF> table = format.bitCount == 1 ? std::vector<COLORREF>{RGB(0, 0, 0), RGB(255, 255, 255)}
                                                     : VgaColours();
  table.resize(format.clrUsed != 0 ? format.clrUsed : size_t{1} << format.bitCount, RGB(0, 0, 0));
  return table;
}

inline size_t IndexIn(const std::vector<COLORREF>& table, COLORREF colour) {
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i] == colour) return i;
  }
  return 0;
}

// Run-length data for rows of table indices, bottom row first: a run per
// pixel pair of equal value at most, a line end after each row, the bitmap
// end last. Four-bit runs hold two pixels a byte.
inline std::vector<BYTE> RunLengthRows(const std::vector<std::vector<size_t>>& bottomUpRows, bool fourBits) {
  std::vector<BYTE> data;
  for (const auto& row : bottomUpRows) {
    size_t x = 0;
    while (x < row.size()) {
      size_t run = 1;
      while (x + run < row.size() && row[x + run] == row[x] && run < 255) ++run;
      data.push_back(static_cast<BYTE>(run));
      data.push_back(static_cast<BYTE>(fourBits ? (row[x] << 4) | row[x] : row[x]));
      x += run;
    }
    data.push_back(0);
    data.push_back(0);
  }
  data.push_back(0);
  data.push_back(1);
  return data;
}

// A DIB (header, colour data, pixels) of `width` by `height` holding `pixels`
// (top row first), in `format`. Colours missing from an indexed format's
// table come out as its first entry; 16-bit images keep 5 bits a channel (6
// for green with masks).
inline std::vector<BYTE> Encode(const Format& format, int width, int height, const std::vector<COLORREF>& pixels) {
  const std::vector<COLORREF> table = TableOf(format);
  const bool core = format.headerSize == 12;
  const size_t entrySize = core ? 3 : 4;
  const bool masks = format.compression == BI_BITFIELDS;
  // Masks follow a 40-byte header; the larger headers hold them.
  const size_t tableOffset = format.headerSize + (masks && format.headerSize == 40 ? 12 : 0);
  const size_t bitsOffset = tableOffset + table.size() * entrySize;

  std::vector<std::vector<size_t>> indices(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      indices[static_cast<size_t>(y)].push_back(IndexIn(table, pixels[static_cast<size_t>(y * width + x)]));
    }
  }
  std::vector<BYTE> bits;
  if (format.compression == BI_RLE8 || format.compression == BI_RLE4) {
    std::vector<std::vector<size_t>> bottomUp(indices.rbegin(), indices.rend());
    bits = RunLengthRows(bottomUp, format.compression == BI_RLE4);
  } else {
    const size_t stride = (static_cast<size_t>(width) * format.bitCount + 31) / 32 * 4;
    bits.assign(stride * static_cast<size_t>(height), 0);
    for (int row = 0; row < height; ++row) {
      const int y = format.topDown ? row : height - 1 - row;
      BYTE* line = &bits[static_cast<size_t>(row) * stride];
      for (int x = 0; x < width; ++x) {
        const COLORREF colour = pixels[static_cast<size_t>(y * width + x)];
        const size_t index = indices[static_cast<size_t>(y)][static_cast<size_t>(x)];
        const BYTE r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
        switch (format.bitCount) {
          case 1:
            line[x / 8] = static_cast<BYTE>(line[x / 8] | (index << (7 - x % 8)));
            break;
          case 4:
            line[x / 2] = static_cast<BYTE>(line[x / 2] | (index << (x % 2 == 0 ? 4 : 0)));
            break;
          case 8:
            line[x] = static_cast<BYTE>(index);
            break;
          case 16: {
            const WORD value = masks ? static_cast<WORD>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3))
                                     : static_cast<WORD>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
            line[2 * x] = static_cast<BYTE>(value);
            line[2 * x + 1] = static_cast<BYTE>(value >> 8);
            break;
          }
          case 24:
            line[3 * x] = b;
            line[3 * x + 1] = g;
            line[3 * x + 2] = r;
            break;
          default:
            line[4 * x] = b;
            line[4 * x + 1] = g;
            line[4 * x + 2] = r;
            break;
        }
      }
    }
  }

  std::vector<BYTE> bytes(bitsOffset + bits.size(), 0);
  if (core) {
    Put32(bytes, 0, 12);
    Put16(bytes, 4, static_cast<WORD>(width));
    Put16(bytes, 6, static_cast<WORD>(height));
    Put16(bytes, 8, 1);
    Put16(bytes, 10, format.bitCount);
  } else {
    Put32(bytes, 0, format.headerSize);
    Put32(bytes, 4, static_cast<DWORD>(width));
    Put32(bytes, 8, static_cast<DWORD>(format.topDown ? -height : height));
    Put16(bytes, 12, 1);
    Put16(bytes, 14, format.bitCount);
    Put32(bytes, 16, format.compression);
    Put32(bytes, 20, static_cast<DWORD>(bits.size()));
    Put32(bytes, 32, format.clrUsed);
  }
  if (masks) {
    // 5-6-5 for 16 bits, 8-8-8 for 32.
    const bool wide = format.bitCount == 32;
    Put32(bytes, 40, wide ? 0xFF0000 : 0xF800);
    Put32(bytes, 44, wide ? 0x00FF00 : 0x07E0);
    Put32(bytes, 48, wide ? 0x0000FF : 0x001F);
  }
  for (size_t i = 0; i < table.size(); ++i) {
    BYTE* entry = &bytes[tableOffset + i * entrySize];
    entry[0] = GetBValue(table[i]);
    entry[1] = GetGValue(table[i]);
    entry[2] = GetRValue(table[i]);
  }
  std::memcpy(&bytes[bitsOffset], bits.data(), bits.size());
  return bytes;
}

// Where the pixels of an Encode'd image start.
inline size_t BitsOffset(const std::vector<BYTE>& dib) {
  DWORD headerSize;
  std::memcpy(&headerSize, dib.data(), 4);
  if (headerSize == 12) {
    WORD bits;
    std::memcpy(&bits, &dib[10], 2);
    return 12 + (bits <= 8 ? 3u << bits : 0);
  }
  WORD bitCount;
  DWORD compression, used;
  std::memcpy(&bitCount, &dib[14], 2);
  std::memcpy(&compression, &dib[16], 4);
  std::memcpy(&used, &dib[32], 4);
  const size_t masks = compression == BI_BITFIELDS && headerSize == 40 ? 12 : 0;
  const size_t entries = used != 0 ? used : (bitCount <= 8 ? size_t{1} << bitCount : 0);
  return headerSize + masks + 4 * entries;
}

}  // namespace dib_image
