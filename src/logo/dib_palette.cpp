// Bitmap resources with their own palette.
#include "logo/dib_palette.h"

#include <cstdint>


namespace {

constexpr DWORD kCoreHeaderSize = 12;
constexpr DWORD kInfoHeaderSize = 40;
constexpr DWORD kV4HeaderSize = 108;
constexpr DWORD kV5HeaderSize = 124;
// Red, green and blue masks follow a 40-byte header; the larger headers hold them.
constexpr DWORD kBitFieldMasksSize = 12;

// Resource bytes have no alignment promise: read fields byte by byte, little-endian.
WORD ReadWord(const BYTE* at) { return static_cast<WORD>(at[0] | (at[1] << 8)); }
DWORD ReadDword(const BYTE* at) {
  return static_cast<DWORD>(at[0]) | (static_cast<DWORD>(at[1]) << 8) | (static_cast<DWORD>(at[2]) << 16) |
         (static_cast<DWORD>(at[3]) << 24);
}

bool IsInfoHeaderSize(DWORD size) { return size == kInfoHeaderSize || size == kV4HeaderSize || size == kV5HeaderSize; }

// The header's size field when the header is one we read and lies wholly
// inside the view; 0 otherwise.
DWORD HeaderSizeInside(const DibView& dib) {
  if (dib.bytes == nullptr || dib.size < 4) return 0;
  DWORD size = ReadDword(dib.bytes);
  if (size != kCoreHeaderSize && !IsInfoHeaderSize(size)) return 0;
  return size <= dib.size ? size : 0;
}

// 2 to the power `bitCount`, as a 32-bit value holds it.
DWORD PowerOfTwo(WORD bitCount) { return bitCount < 32 ? DWORD{1} << bitCount : 0; }

bool IsRunLength(DWORD compression) { return compression == BI_RLE8 || compression == BI_RLE4; }

bool IsDrawableForm(WORD bitCount, DWORD compression) {
  if (IsRunLength(compression)) return bitCount == (compression == BI_RLE8 ? 8 : 4);
  switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
      return compression == BI_RGB;
    case 16:
    case 32:
      return compression == BI_RGB || compression == BI_BITFIELDS;
    default:
      return false;
  }
}

}  // namespace

DWORD DibColourCount(const DibView& dib) {
  DWORD headerSize = HeaderSizeInside(dib);
  if (headerSize == 0) return 0;
  if (headerSize == kCoreHeaderSize) return PowerOfTwo(ReadWord(dib.bytes + 10));
  DWORD used = ReadDword(dib.bytes + 32);
  return used != 0 ? used : PowerOfTwo(ReadWord(dib.bytes + 14));
}

DWORD DibColourTableSize(const DibView& dib) {
  DWORD entrySize = HeaderSizeInside(dib) == kCoreHeaderSize ? 3 : 4;
  return DibColourCount(dib) * entrySize;
}

namespace {

// The header's own fields: size, form, dimensions; false for a form GDI
// does not draw or an empty image.
bool ReadDibHeader(const DibView& dib, DWORD headerSize, DibLayout* found) {
  const BYTE* header = dib.bytes;
  found->coreHeader = headerSize == kCoreHeaderSize;
  found->headerSize = headerSize;
  if (found->coreHeader) {
    found->width = ReadWord(header + 4);
    found->height = ReadWord(header + 6);
    found->bitCount = ReadWord(header + 10);
    found->compression = BI_RGB;
  } else {
    found->width = static_cast<LONG>(ReadDword(header + 4));
    found->height = static_cast<LONG>(ReadDword(header + 8));
    found->bitCount = ReadWord(header + 14);
    found->compression = ReadDword(header + 16);
  }
  return IsDrawableForm(found->bitCount, found->compression) && found->width > 0 && found->height != 0;
}

// Where the colour table and the pixels lie; false when the table, as far
// as either reader takes it, runs past the resource.
bool PlaceColourTable(const DibView& dib, DibLayout* found) {
  const DWORD masksSize =
      (found->compression == BI_BITFIELDS && found->headerSize == kInfoHeaderSize) ? kBitFieldMasksSize : 0;
  found->colourCount = DibColourCount(dib);
  found->paletteEntries = found->colourCount & 0xFFFF;
  found->colourEntrySize = found->coreHeader ? 3 : 4;
  found->colourTableOffset = found->headerSize + masksSize;
  // The table's size counts in its low 16 bits only, so 16- and 24-bit images
  // without biClrUsed have their pixels right behind the header (and masks).
  found->bitsOffset = found->headerSize + masksSize + (DibColourTableSize(dib) & 0xFFFF);
  // The colour entries read: ours for the palette, and those GDI reads for
  // images of up to 8 bits (at most 2 to the power of the bit count).
  std::uint64_t gdiEntries = 0;
  if (found->bitCount <= 8) {
    const DWORD most = PowerOfTwo(found->bitCount);
    const DWORD used = found->coreHeader ? 0 : ReadDword(dib.bytes + 32);
    gdiEntries = (used != 0 && used < most) ? used : most;
  }
  const std::uint64_t entriesRead = found->paletteEntries > gdiEntries ? found->paletteEntries : gdiEntries;
  const std::uint64_t tableEnd = std::uint64_t{found->colourTableOffset} + entriesRead * found->colourEntrySize;
  return tableEnd <= dib.size && found->bitsOffset <= dib.size;
}

// The pixels' size: what run-length data says it is, or whole padded rows;
// false when they run past the resource.
bool MeasureBits(const DibView& dib, DibLayout* found) {
  const std::uint64_t available = dib.size - found->bitsOffset;
  if (IsRunLength(found->compression)) {
    const DWORD encodedSize = ReadDword(dib.bytes + 20);
    if (encodedSize > available) return false;
    found->bitsSize = encodedSize;
    return true;
  }
  // Rows are padded to 4 bytes; compare by division so that no product overflows.
  const std::uint64_t stride = (std::uint64_t(found->width) * found->bitCount + 31) / 32 * 4;
  const std::int64_t signedRows = found->height;
  const std::uint64_t rows = static_cast<std::uint64_t>(signedRows < 0 ? -signedRows : signedRows);
  if (rows > available / stride) return false;
  found->bitsSize = static_cast<DWORD>(rows * stride);
  return true;
}

}  // namespace

bool DescribeDib(const DibView& dib, DibLayout* layout) {
  const DWORD headerSize = HeaderSizeInside(dib);
  if (headerSize == 0) return false;
  DibLayout found{};
  if (!ReadDibHeader(dib, headerSize, &found)) return false;
  // Run-length data comes with a 40-byte header, bottom-up, and says how long
  // it is; GDI reads that many bytes.
  if (IsRunLength(found.compression) &&
      (headerSize != kInfoHeaderSize || found.height < 0 || ReadDword(dib.bytes + 20) == 0)) {
    return false;
  }
  if (!PlaceColourTable(dib, &found) || !MeasureBits(dib, &found)) return false;
  *layout = found;
  return true;
}

UniquePalette CreatePaletteFromDib(const DibView& resource) {
  DibLayout layout;
  if (!DescribeDib(resource, &layout)) return UniquePalette();
  const DWORD count = layout.paletteEntries;
  if (count == 0) return UniquePalette();  // 16- and 24-bit images without biClrUsed

  ScopedGlobalMemory block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, count * sizeof(PALETTEENTRY) + 8));
  if (block.get() == nullptr) return UniquePalette();
  ScopedGlobalLock lock(LockGlobal(block.get()));
  if (lock.get().address == nullptr) return UniquePalette();

  auto* palette = static_cast<LOGPALETTE*>(lock.get().address);
  palette->palVersion = 0x300;
  palette->palNumEntries = static_cast<WORD>(count);
  PALETTEENTRY* entries = palette->palPalEntry;
  const BYTE* entry = resource.bytes + layout.colourTableOffset;
  for (DWORD i = 0; i < count; ++i, entry += layout.colourEntrySize) {
    // Blue, green, red in both entry forms.
    entries[i].peRed = entry[2];
    entries[i].peGreen = entry[1];
    entries[i].peBlue = entry[0];
    entries[i].peFlags = 0;
  }
  return UniquePalette(CreatePalette(palette));
}

SIZE LogoBitmapLimit() {
  constexpr LONG kSmallestLimit = 4096;
  const LONG width = 2 * static_cast<LONG>(GetSystemMetrics(SM_CXSCREEN));
  const LONG height = 2 * static_cast<LONG>(GetSystemMetrics(SM_CYSCREEN));
  return SIZE{width > kSmallestLimit ? width : kSmallestLimit, height > kSmallestLimit ? height : kSmallestLimit};
}

bool DibWithinLimit(const DibLayout& layout, const SIZE& limit) {
  // A top-down DIB's height is negative; LONG_MIN has no positive twin.
  const std::int64_t height = layout.height < 0 ? -std::int64_t{layout.height} : layout.height;
  return layout.width <= limit.cx && height <= limit.cy;
}

UniqueBitmap CreateBitmapFromDib(const DibView& resource, HPALETTE palette) {
  DibLayout layout;
  if (!DescribeDib(resource, &layout)) return UniqueBitmap();
  // Checked before the platform is asked for a device bitmap of that size.
  if (!DibWithinLimit(layout, LogoBitmapLimit())) return UniqueBitmap();
  ScopedWindowDC screen(WindowDcOf(nullptr, WindowDcArea::Client));
  if (screen.get() == nullptr) return UniqueBitmap();
  // The pixels are mapped through the logo's own colours while the bitmap is made.
  ScopedSelectPalette selected(screen.get(), palette);
  if (palette != nullptr) RealizePalette(screen.get());
  const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(resource.bytes);
  return UniqueBitmap(CreateDIBitmap(screen.get(), header, CBM_INIT, resource.bytes + layout.bitsOffset,
                                     reinterpret_cast<const BITMAPINFO*>(resource.bytes), DIB_RGB_COLORS));
}

namespace {

using ScopedResource = UniqueHandle<HGLOBAL, FreeResource>;

// A bitmap resource found and loaded, and its bytes.
struct LoadedResource {
  ScopedResource handle;  // null when there is none or it does not load
  DibView dib;
};

LoadedResource LoadBitmapResource(HMODULE module, const char* name) {
  LoadedResource loaded{ScopedResource(), DibView{nullptr, 0}};
  HRSRC found = FindResourceA(module, name, RT_BITMAP);
  if (found == nullptr) return loaded;
  loaded.handle.reset(LoadResource(module, found));
  if (!loaded.handle) return loaded;
  // The size travels with the bytes so that nothing past the resource is read.
  loaded.dib = DibView{static_cast<const BYTE*>(LockResource(loaded.handle.get())), SizeofResource(module, found)};
  if (loaded.dib.bytes == nullptr) loaded.dib.size = 0;
  return loaded;
}

}  // namespace

BitmapWithPalette LoadBitmapWithPalette(HMODULE module, const char* name) {
  BitmapWithPalette made;
  const LoadedResource resource = LoadBitmapResource(module, name);
  if (!resource.handle) return made;
  made.found = true;
  made.palette = CreatePaletteFromDib(resource.dib);
  made.bitmap = CreateBitmapFromDib(resource.dib, made.palette.get());
  return made;
}

BitmapResourceState CheckBitmapResource(HMODULE module, const char* name, SIZE* declared) {
  DibLayout layout;
  bool whole = false;
  {
    const LoadedResource resource = LoadBitmapResource(module, name);
    if (!resource.handle) return BitmapResourceState::Missing;
    whole = DescribeDib(resource.dib, &layout);
  }
  if (!whole) return BitmapResourceState::Damaged;
  if (declared) *declared = SIZE{layout.width, layout.height < 0 ? -layout.height : layout.height};
  return DibWithinLimit(layout, LogoBitmapLimit()) ? BitmapResourceState::Whole : BitmapResourceState::TooLarge;
}
