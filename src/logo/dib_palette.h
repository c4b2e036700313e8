// A bitmap resource turned into the two objects a palette display needs: a
// logical palette from the bitmap's own colour table, and a device bitmap made
// for the screen while that palette is realized.
//
// The resource is a DIB without the file header: header, optional bit-field
// masks, colour table, pixel bits. Every part is checked against the size of
// the resource before anything is read from it, so a damaged resource gives no
// palette and no bitmap instead of a read past its end.
#pragma once

#include <windows.h>

#include "scoped_gdi.h"

// The bytes of a loaded bitmap resource.
struct DibView {
  const BYTE* bytes;  // the header's first byte, or null
  DWORD size;         // in bytes; nothing at or past bytes + size is read
};

// Where the parts of a DIB lie, in bytes from the header's first byte.
struct DibLayout {
  bool coreHeader;          // the 12-byte header, with 3-byte colour entries
  DWORD headerSize;         // 12, 40, 108 or 124
  LONG width;               // in pixels, above 0
  LONG height;              // in pixels; below 0 for rows stored top-down
  WORD bitCount;            // 1, 4, 8, 16, 24 or 32
  DWORD compression;        // BI_RGB; BI_BITFIELDS for 16 and 32 bits; BI_RLE8 or BI_RLE4
  DWORD colourCount;        // DibColourCount
  DWORD paletteEntries;     // entries of the logical palette: the low 16 bits of colourCount
  DWORD colourTableOffset;  // first colour entry
  DWORD colourEntrySize;    // 3 or 4
  DWORD bitsOffset;         // first byte of the pixel rows
  DWORD bitsSize;           // bytes of the pixel rows, each padded to 4 bytes, or of the encoded data
};

// Describes a DIB whose header, masks, colour table and pixel rows all lie
// inside the view, and whose form is one GDI draws: a 12-byte core header or
// a 40, 108 or 124-byte header; 1, 4, 8, 16, 24 or 32 bits per pixel;
// uncompressed, or bit-field masks for 16 and 32 bits; or run-length encoded
// 8 or 4 bits (BI_RLE8, BI_RLE4) behind a 40-byte header, bottom-up, with
// biSizeImage bytes of encoded data inside the view. Returns false for
// anything else, leaving *layout untouched.
bool DescribeDib(const DibView& dib, DibLayout* layout);

// Colour count: biClrUsed when not zero, else 2 to the power of the bit count
// (0 from 32 bits on, as a 32-bit value holds it); 2 to the power of the bit
// count for a core header. 0 when the header is not wholly inside the view or
// its size is not one of 12, 40, 108, 124.
DWORD DibColourCount(const DibView& dib);

// Colour-table size in bytes, in 32-bit arithmetic: the colour count times 4,
// or times 3 for a core header.
DWORD DibColourTableSize(const DibView& dib);

// A palette with the low 16 bits of the colour count as entries, taken from
// the colour table; null when that is 0, the DIB is damaged, or GDI fails.
UniquePalette CreatePaletteFromDib(const DibView& resource);

// Largest width and height a logo bitmap may declare, in pixels: the larger
// of 4096 and twice the screen's, in each direction. No real logo comes near
// it; a run-length encoded bitmap is small whatever size it declares, and must
// not have the platform make a device bitmap of that size.
SIZE LogoBitmapLimit();

// True when the DIB described by `layout` is no wider or taller than `limit`.
bool DibWithinLimit(const DibLayout& layout, const SIZE& limit);

// A device bitmap of the DIB for the screen, made with `palette` (may be null)
// selected and realized in the screen's device context; null when the DIB is
// damaged, larger than LogoBitmapLimit, or GDI fails.
UniqueBitmap CreateBitmapFromDib(const DibView& resource, HPALETTE palette);

// A bitmap resource made into a palette from its colour table and a device
// bitmap made with that palette realized.
struct BitmapWithPalette {
  bool found = false;     // the resource was found and loaded
  UniqueBitmap bitmap;    // null when it could not be made
  UniquePalette palette;  // null without a colour table, or when it could not be made
};

// Loads the bitmap resource `name` of `module`: found, with what could be
// made of it; or, when it is missing or does not load, not found and nothing
// made.
BitmapWithPalette LoadBitmapWithPalette(HMODULE module, const char* name);

// What bitmap resource `name` of `module` is: missing (or not loadable),
// damaged, too large (whole, but past LogoBitmapLimit), or whole, that is one
// DescribeDib accepts, so that a loader reading as far as its header says
// stays inside it. *declared (when given) gets the width and height, in
// pixels, of a too large or whole one, and is untouched otherwise.
enum class BitmapResourceState { Missing, Damaged, TooLarge, Whole };
BitmapResourceState CheckBitmapResource(HMODULE module, const char* name, SIZE* declared = nullptr);
