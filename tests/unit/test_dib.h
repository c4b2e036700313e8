// Builds bitmap resources (DIBs without file header) for the logo tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace test_dib {

struct Shape {
  DWORD headerSize;  // 12 writes a core header; anything else an info header of that size
  LONG width;
  LONG height;
  WORD bitCount;
  DWORD compression;
  DWORD clrUsed;
};

// Colour entry i: blue i, green 3i, red 255 - i (low bytes), reserved 0x77.
inline BYTE EntryBlue(size_t i) { return static_cast<BYTE>(i); }
inline BYTE EntryGreen(size_t i) { return static_cast<BYTE>(3 * i); }
inline BYTE EntryRed(size_t i) { return static_cast<BYTE>(255 - i); }

inline void Put16(std::vector<BYTE>& bytes, size_t at, WORD value) { std::memcpy(&bytes[at], &value, 2); }
inline void Put32(std::vector<BYTE>& bytes, size_t at, DWORD value) { std::memcpy(&bytes[at], &value, 4); }

inline size_t RowBytes(const Shape& shape) {
  return (static_cast<size_t>(shape.width) * shape.bitCount + 31) / 32 * 4;
}

// A DIB of `shape` with `tableEntries` colour entries from `tableOffset`, and
// the pixel rows from `bitsOffset` (rows of the image's size, patterned).
inline std::vector<BYTE> Build(const Shape& shape, size_t tableOffset, size_t tableEntries, size_t bitsOffset) {
  const size_t entrySize = shape.headerSize == 12 ? 3 : 4;
  const size_t rows = static_cast<size_t>(shape.height < 0 ? -static_cast<int64_t>(shape.height) : shape.height);
  size_t end = tableOffset + tableEntries * entrySize;
  if (bitsOffset > end) end = bitsOffset;
  const size_t bitsEnd = bitsOffset + RowBytes(shape) * rows;
  std::vector<BYTE> bytes(end > bitsEnd ? end : bitsEnd, 0);
  if (shape.headerSize == 12) {
    Put32(bytes, 0, 12);
    Put16(bytes, 4, static_cast<WORD>(shape.width));
    Put16(bytes, 6, static_cast<WORD>(shape.height));
    Put16(bytes, 8, 1);
    Put16(bytes, 10, shape.bitCount);
  } else {
    Put32(bytes, 0, shape.headerSize);
    Put32(bytes, 4, static_cast<DWORD>(shape.width));
    Put32(bytes, 8, static_cast<DWORD>(shape.height));
    Put16(bytes, 12, 1);
    Put16(bytes, 14, shape.bitCount);
    Put32(bytes, 16, shape.compression);
    Put32(bytes, 32, shape.clrUsed);
  }
  for (size_t i = 0; i < tableEntries; ++i) {
    BYTE* entry = &bytes[tableOffset + i * entrySize];
    entry[0] = EntryBlue(i);
    entry[1] = EntryGreen(i);
    entry[2] = EntryRed(i);
    if (entrySize == 4) entry[3] = 0x77;
  }
  for (size_t i = bitsOffset; i < bitsEnd; ++i) bytes[i] = static_cast<BYTE>(i * 7);
  return bytes;
}

// The usual form: an info header, a full colour table right behind it.
inline std::vector<BYTE> Plain(LONG width, LONG height, WORD bitCount) {
  Shape shape{40, width, height, bitCount, BI_RGB, 0};
  size_t entries = bitCount <= 8 ? (size_t{1} << bitCount) : 0;
  return Build(shape, 40, entries, 40 + 4 * entries);
}

}  // namespace test_dib
