// Reading device-independent bitmaps as GDI reads them: the header forms, the
// formats it draws, how many bytes it takes from behind the header, and the
// colours of the pixels.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

namespace winsim::detail {

// The header fields GDI takes from either header form.
struct DibHeader {
  DWORD size;
  LONG width;
  LONG height;
  WORD planes;
  WORD bitCount;
  DWORD compression;
  DWORD sizeImage;
  DWORD clrUsed;
};

// Reads a header: the 12-byte core form, or the first 40 bytes of any larger
// form; false for a smaller size field. Reads 12 or 40 bytes.
bool ReadDibHeader(const void* at, DibHeader* header);

// True for the formats CreateDIBitmap draws: 1, 4, 8 and 24 bits, 16 and 32
// with or without bit-field masks, run-length encoded 8 and 4 bits bottom-up
// with a data size; a width above 0 and a height other than 0.
bool IsValidDibFormat(const DibHeader& header);

// Bytes of colour data GDI reads from ColourDataOffset on: bit-field masks,
// or the colour table of an image of up to 8 bits (`usage` DIB_RGB_COLORS or
// DIB_PAL_COLORS).
std::size_t ColourBytesRead(const DibHeader& header, UINT usage);
// Where the colour data starts: masks sit right after the first 40 bytes even
// in the larger headers.
std::size_t ColourDataOffset(const DibHeader& header);
// Bytes of pixel data GDI reads: whole rows padded to 4 bytes, or the encoded
// size of a run-length encoded image.
std::size_t BitsRead(const DibHeader& header);
// Rows of the image, whichever way up it is stored.
std::size_t DibRows(const DibHeader& header);

// The colours of a valid DIB's pixels, top row first (width x rows). `colours`
// is the colour data (ColourBytesRead bytes, DIB_RGB_COLORS), `bits` the
// BitsRead bytes of pixels. Pixels that run-length data skips stay black.
std::vector<COLORREF> DecodeDibPixels(const DibHeader& header, const BYTE* colours, const BYTE* bits);

}  // namespace winsim::detail
