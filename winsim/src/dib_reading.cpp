// Reading device-independent bitmaps as GDI reads them.
#include "dib_reading.h"

#include <algorithm>
#include <cstring>

namespace winsim::detail {
namespace {

std::size_t Stride(const DibHeader& header) {
  return (static_cast<std::size_t>(header.width) * header.bitCount + 31) / 32 * 4;
}

bool IsRunLength(const DibHeader& header) {
  return header.compression == BI_RLE8 || header.compression == BI_RLE4;
}

DWORD ReadDword(const BYTE* at) {
  DWORD value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

// The colour table as colours; entries past it read as black.
std::vector<COLORREF> ColourTable(const DibHeader& header, const BYTE* colours) {
  const std::size_t entrySize = header.size == sizeof(BITMAPCOREHEADER) ? 3 : 4;
  const std::size_t count = ColourBytesRead(header, DIB_RGB_COLORS) / entrySize;
  std::vector<COLORREF> table(std::size_t{1} << header.bitCount, RGB(0, 0, 0));
  for (std::size_t i = 0; i < count && i < table.size(); ++i) {
    const BYTE* entry = colours + i * entrySize;
    table[i] = RGB(entry[2], entry[1], entry[0]);
  }
  return table;
}

// A channel of `mask` widened to 8 bits by repeating its bits, as GDI does
// (5 bits of 31 give 255).
BYTE Channel(DWORD value, DWORD mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  int width = 0;
  while (shift + width < 32 && ((mask >> (shift + width)) & 1) != 0) ++width;
  const DWORD field = (value & mask) >> shift;
  if (width >= 8) return static_cast<BYTE>(field >> (width - 8));
  DWORD wide = 0;
  for (int filled = 0; filled < 8; filled += width) wide = (wide << width) | field;
  const int extra = ((8 + width - 1) / width) * width - 8;
  return static_cast<BYTE>(wide >> extra);
}

COLORREF MaskedColour(DWORD value, const DWORD masks[3]) {
  return RGB(Channel(value, masks[0]), Channel(value, masks[1]), Channel(value, masks[2]));
}

void DecodeRows(const DibHeader& header, const BYTE* colours, const BYTE* bits, std::vector<COLORREF>& pixels) {
  const std::size_t width = static_cast<std::size_t>(header.width);
  const std::size_t rows = DibRows(header);
  const std::size_t stride = Stride(header);
  const bool bottomUp = header.height > 0;
  std::vector<COLORREF> table;
  if (header.bitCount <= 8) table = ColourTable(header, colours);
  DWORD masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (header.bitCount == 32) {
    masks[0] = 0xFF0000;
    masks[1] = 0x00FF00;
    masks[2] = 0x0000FF;
  }
  if (header.compression == BI_BITFIELDS) {
    for (int i = 0; i < 3; ++i) masks[i] = ReadDword(colours + 4 * i);
  }
  for (std::size_t row = 0; row < rows; ++row) {
    const BYTE* line = bits + row * stride;
    const std::size_t y = bottomUp ? rows - 1 - row : row;
    for (std::size_t x = 0; x < width; ++x) {
      COLORREF colour;
      switch (header.bitCount) {
        case 1:
          colour = table[(line[x / 8] >> (7 - x % 8)) & 1];
          break;
        case 4:
          colour = table[(line[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF];
          break;
        case 8:
          colour = table[line[x]];
          break;
        case 16:
          colour = MaskedColour(static_cast<DWORD>(line[2 * x] | (line[2 * x + 1] << 8)), masks);
          break;
        case 24:
          colour = RGB(line[3 * x + 2], line[3 * x + 1], line[3 * x]);
          break;
        default:
          colour = MaskedColour(ReadDword(line + 4 * x), masks);
          break;
      }
      pixels[y * width + x] = colour;
    }
  }
}

// Run-length encoded data, read no further than its size. Rows run from the
// bottom; pixels outside the image are dropped.
void DecodeRunLength(const DibHeader& header, const BYTE* colours, const BYTE* bits, std::vector<COLORREF>& pixels) {
  const std::size_t width = static_cast<std::size_t>(header.width);
  const std::size_t rows = DibRows(header);
  const std::vector<COLORREF> table = ColourTable(header, colours);
  const bool four = header.compression == BI_RLE4;
  const std::size_t size = header.sizeImage;
  std::size_t x = 0;
  std::size_t row = 0;  // from the bottom
  auto put = [&](unsigned index) {
    if (x < width && row < rows) pixels[(rows - 1 - row) * width + x] = table[index & (four ? 0xF : 0xFF)];
    ++x;
  };
  std::size_t at = 0;
  while (at + 1 < size && row < rows) {
    const BYTE count = bits[at];
    const BYTE value = bits[at + 1];
    at += 2;
    if (count > 0) {
      for (unsigned i = 0; i < count; ++i) put(four ? (i % 2 == 0 ? value >> 4 : value) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++row;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // delta
      if (at + 1 >= size) break;
      x += bits[at];
      row += bits[at + 1];
      at += 2;
    } else {  // absolute: `value` pixels, padded to a whole word
      const std::size_t bytes = four ? (value + 1u) / 2 : value;
      if (at + bytes > size) break;
      for (unsigned i = 0; i < value; ++i) {
        put(four ? (i % 2 == 0 ? bits[at + i / 2] >> 4 : bits[at + i / 2]) : bits[at + i]);
      }
      at += (bytes + 1) & ~std::size_t{1};
    }
  }
}

}  // namespace

bool ReadDibHeader(const void* at, DibHeader* header) {
  DWORD size;
  std::memcpy(&size, at, sizeof size);
  if (size == sizeof(BITMAPCOREHEADER)) {
    BITMAPCOREHEADER core;
    std::memcpy(&core, at, sizeof core);
    *header = DibHeader{size, core.bcWidth, core.bcHeight, core.bcPlanes, core.bcBitCount, BI_RGB, 0, 0};
    return true;
  }
  if (size < sizeof(BITMAPINFOHEADER)) return false;
  BITMAPINFOHEADER info;
  std::memcpy(&info, at, sizeof info);
  *header = DibHeader{size,        info.biWidth,         info.biHeight,    info.biPlanes,
                      info.biBitCount, info.biCompression, info.biSizeImage, info.biClrUsed};
  return true;
}

bool IsValidDibFormat(const DibHeader& header) {
  if (header.width <= 0 || header.height == 0) return false;
  if (IsRunLength(header)) {
    return header.height > 0 && header.sizeImage != 0 && header.bitCount == (header.compression == BI_RLE4 ? 4 : 8);
  }
  if (header.planes == 0 || header.bitCount == 0) return false;
  switch (header.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
      return header.compression == BI_RGB;
    case 16:
    case 32:
      return header.compression == BI_RGB || header.compression == BI_BITFIELDS;
    default:
      return false;
  }
}

std::size_t ColourBytesRead(const DibHeader& header, UINT usage) {
  if (header.compression == BI_BITFIELDS) return 3 * sizeof(DWORD);
  if (header.bitCount > 8) return 0;
  const DWORD most = DWORD{1} << header.bitCount;
  const DWORD colours = header.clrUsed != 0 ? std::min(header.clrUsed, most) : most;
  if (usage == 1) return colours * sizeof(WORD);  // DIB_PAL_COLORS
  return colours * (header.size == sizeof(BITMAPCOREHEADER) ? sizeof(RGBTRIPLE) : sizeof(RGBQUAD));
}

std::size_t ColourDataOffset(const DibHeader& header) {
  return header.compression == BI_BITFIELDS ? sizeof(BITMAPINFOHEADER) : header.size;
}

std::size_t BitsRead(const DibHeader& header) {
  if (IsRunLength(header)) return header.sizeImage;
  return Stride(header) * DibRows(header);
}

std::size_t DibRows(const DibHeader& header) {
  return static_cast<std::size_t>(header.height < 0 ? -static_cast<long long>(header.height) : header.height);
}

std::vector<COLORREF> DecodeDibPixels(const DibHeader& header, const BYTE* colours, const BYTE* bits) {
  std::vector<COLORREF> pixels(static_cast<std::size_t>(header.width) * DibRows(header), RGB(0, 0, 0));
  if (IsRunLength(header)) {
    DecodeRunLength(header, colours, bits, pixels);
  } else {
    DecodeRows(header, colours, bits, pixels);
  }
  return pixels;
}

}  // namespace winsim::detail
