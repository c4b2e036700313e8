// Fuzzes the bitmap-with-palette loader on arbitrary resource bytes, checked
// against a plain restatement of the layout rules done in 128-bit arithmetic:
// what a palette must hold, where the pixels start, and that nothing leaks.
//
// Input: byte 0 picks the display depth, whether the asked name exists and
// which call (if any) fails; byte 1 picks how much of the resource the view
// helpers see; the rest is the resource.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <vector>

#include <winsim/control.h>

#include "logo/dib_palette.h"

namespace {

using Wide = unsigned __int128;

// ---- a plain model of the layout rules

DWORD Le16(const std::vector<BYTE>& b, size_t at) { return DWORD(b[at]) | DWORD(b[at + 1]) << 8; }
DWORD Le32(const std::vector<BYTE>& b, size_t at) { return Le16(b, at) | Le16(b, at + 2) << 16; }
DWORD Pow2(DWORD bits) { return bits < 32 ? DWORD{1} << bits : 0; }

bool KnownHeader(DWORD size) { return size == 12 || size == 40 || size == 108 || size == 124; }

// Header size when the header is a known form wholly inside the bytes, else 0.
DWORD ModelHeader(const std::vector<BYTE>& b) {
  if (b.size() < 4) return 0;
  DWORD size = Le32(b, 0);
  return KnownHeader(size) && size <= b.size() ? size : 0;
}

DWORD ModelColourCount(const std::vector<BYTE>& b) {
  DWORD header = ModelHeader(b);
  if (header == 0) return 0;
  if (header == 12) return Pow2(Le16(b, 10));
  DWORD used = Le32(b, 32);
  return used != 0 ? used : Pow2(Le16(b, 14));
}

DWORD ModelTableSize(const std::vector<BYTE>& b) {
  return ModelColourCount(b) * (ModelHeader(b) == 12 ? 3u : 4u);  // wraps in 32 bits, as stated
}

struct Model {
  bool valid = false;  // a form we draw, every part inside the bytes
  bool planes = false;  // a non-zero plane count (GDI wants one)
  DWORD entries = 0;    // palette entries
  size_t tableOffset = 0, entrySize = 0, bitsOffset = 0;
  LONG width = 0, rows = 0;
  WORD bitCount = 0;
};

Model ModelOf(const std::vector<BYTE>& b) {
  Model m;
  DWORD header = ModelHeader(b);
  if (header == 0) return m;
  const bool core = header == 12;
  long long width, height;
  DWORD bits, compression, planes, used;
  if (core) {
    width = Le16(b, 4);
    height = Le16(b, 6);
    planes = Le16(b, 8);
    bits = Le16(b, 10);
    compression = BI_RGB;
    used = 0;
  } else {
    width = static_cast<int32_t>(Le32(b, 4));
    height = static_cast<int32_t>(Le32(b, 8));
    planes = Le16(b, 12);
    bits = Le16(b, 14);
    compression = Le32(b, 16);
    used = Le32(b, 32);
  }
  // Run-length data: 8 or 4 bits behind a 40-byte header, bottom-up, with a size.
  const bool runLength = compression == BI_RLE8 || compression == BI_RLE4;
  const DWORD encodedSize = runLength ? Le32(b, 20) : 0;
  bool form = ((bits == 1 || bits == 4 || bits == 8 || bits == 24) && compression == BI_RGB) ||
              ((bits == 16 || bits == 32) && (compression == BI_RGB || compression == BI_BITFIELDS)) ||
              (runLength && bits == (compression == BI_RLE8 ? 8u : 4u) && header == 40 && height > 0 &&
               encodedSize != 0);
  if (!form || width <= 0 || height == 0) return m;
  const size_t masks = compression == BI_BITFIELDS && header == 40 ? 12 : 0;
  m.entrySize = core ? 3 : 4;
  m.tableOffset = header + masks;
  m.entries = ModelColourCount(b) & 0xFFFF;
  m.bitsOffset = header + masks + (ModelTableSize(b) & 0xFFFF);
  // GDI reads the colour entries an image of up to 8 bits can use.
  Wide gdiEntries = 0;
  if (bits <= 8) gdiEntries = used != 0 && used < Pow2(bits) ? used : Pow2(bits);
  Wide tableEntries = gdiEntries > m.entries ? gdiEntries : Wide(m.entries);
  Wide rows = static_cast<Wide>(height < 0 ? -height : height);
  Wide stride = (Wide(width) * bits + 31) / 32 * 4;
  if (m.tableOffset + tableEntries * m.entrySize > b.size()) return m;
  if (m.bitsOffset + (runLength ? Wide(encodedSize) : stride * rows) > b.size()) return m;
  m.valid = true;
  // GDI draws run-length data whatever the plane count says.
  m.planes = planes != 0 || runLength;
  m.width = static_cast<LONG>(width);
  m.rows = static_cast<LONG>(rows);
  m.bitCount = static_cast<WORD>(bits);
  return m;
}

[[noreturn]] void Fail(const char* what, long long actual, long long expected) {
  std::fprintf(stderr, "dib_palette_fuzz: %s: actual %lld, expected %lld\n", what, actual, expected);
  std::abort();
}

void Expect(bool ok, const char* what) {
  if (!ok) Fail(what, 0, 1);
}

void ExpectEqual(long long actual, long long expected, const char* what) {
  if (actual != expected) Fail(what, actual, expected);
}

// ---- the view helpers on a view of `size` bytes of its own allocation, so
// that a read past the view shows under AddressSanitizer.
void CheckView(const std::vector<BYTE>& resource, size_t size) {
  std::vector<BYTE> cut(resource.begin(), resource.begin() + static_cast<std::ptrdiff_t>(size));
  cut.shrink_to_fit();
  DibView view{cut.empty() ? nullptr : cut.data(), static_cast<DWORD>(cut.size())};
  ExpectEqual(DibColourCount(view), ModelColourCount(cut), "DibColourCount");
  ExpectEqual(DibColourTableSize(view), ModelTableSize(cut), "DibColourTableSize");
  DibLayout layout{true, 0xdeadbeef, 0x0badf00d, 0x0badf00d, 0xbeef, 0xdeadbeef, 0xdeadbeef,
                   0xdeadbeef, 0xdeadbeef, 0xdeadbeef, 0xdeadbeef, 0xdeadbeef};
  const Model m = ModelOf(cut);
  const bool described = DescribeDib(view, &layout);
  ExpectEqual(described, m.valid, "DescribeDib");
  if (!described) {
    Expect(layout.headerSize == 0xdeadbeef && layout.width == 0x0badf00d && layout.bitsOffset == 0xdeadbeef &&
               layout.bitsSize == 0xdeadbeef,
           "DescribeDib touched its output on failure");
    return;
  }
  ExpectEqual(layout.paletteEntries, m.entries, "DibLayout.paletteEntries");
  ExpectEqual(layout.colourTableOffset, static_cast<long long>(m.tableOffset), "DibLayout.colourTableOffset");
  ExpectEqual(layout.bitsOffset, static_cast<long long>(m.bitsOffset), "DibLayout.bitsOffset");
  Expect(Wide(layout.bitsOffset) + layout.bitsSize <= cut.size(), "DibLayout pixel rows inside the view");
}

// Calls that can be made to fail, and which output each one costs.
enum class Costs { Nothing, Result, Everything, Palette, Bitmap, PaletteInDc };
struct Injection {
  const char* function;
  Costs costs;
};
const Injection kInjections[] = {
    {nullptr, Costs::Nothing},
    {"FindResourceA", Costs::Result},
    {"LoadResource", Costs::Result},
    {"SizeofResource", Costs::Everything},
    {"GlobalAlloc", Costs::Palette},
    {"GlobalLock", Costs::Palette},
    {"CreatePalette", Costs::Palette},
    {"GetDC", Costs::Bitmap},
    {"CreateDIBitmap", Costs::Bitmap},
    {"SelectPalette", Costs::PaletteInDc},
    {"RealizePalette", Costs::Nothing},
};
constexpr size_t kInjectionCount = sizeof kInjections / sizeof kInjections[0];

const int kDepths[] = {8, 4, 24, 32};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const BYTE options = data[0];
  const BYTE viewPick = data[1];
  const std::vector<BYTE> resource(data + 2, data + size);

  // The view helpers on the whole resource and on a cut of it.
  CheckView(resource, resource.size());
  CheckView(resource, resource.size() * viewPick / 255);

  // Everything the simulated machine holds goes within the run, so that the
  // fuzzer's leak check has nothing to look into.
  struct ResetAtEnd {
    ~ResetAtEnd() { winsim::Reset(); }
  } resetAtEnd;
  winsim::Reset();
  winsim::SetDisplayBitsPerPixel(kDepths[options & 3]);
  const bool nameHeld = (options & 4) == 0;
  const Injection& injection = kInjections[(options >> 3) % kInjectionCount];
  winsim::ModuleImage image;
  image.bitmaps["SVGA_LOGO_PELTRA"] = resource;
  HMODULE module = winsim::AddLoadedModule("C:\\Program Files\\Tarvex\\OxaRes0.dll", image);
  if (injection.function != nullptr) winsim::InjectFailure(injection.function);

  const int gdiBefore = winsim::LiveHandles(winsim::HandleKind::GdiObject);
  const int dcsBefore = winsim::LiveHandles(winsim::HandleKind::DeviceContext);
  const int globalsBefore = winsim::LiveHandles(winsim::HandleKind::GlobalMemory);
  BitmapWithPalette loaded = LoadBitmapWithPalette(module, nameHeld ? "svga_logo_peltra" : "VGA_LOGO_PELTRA");
  const HBITMAP bitmap = loaded.bitmap.get();
  const HPALETTE palette = loaded.palette.get();

  const bool found = nameHeld && injection.costs != Costs::Result;
  ExpectEqual(loaded.found, found, "LoadBitmapWithPalette found");
  if (!found) {
    Expect(bitmap == nullptr && palette == nullptr, "something made although nothing was loaded");
    ExpectEqual(winsim::LiveHandles(winsim::HandleKind::GdiObject), gdiBefore, "live GDI objects");
    return 0;
  }

  Model m = ModelOf(resource);
  if (injection.costs == Costs::Everything) m.valid = false;
  // A palette holds exactly the table's entries, and only when the table lies inside the resource.
  const bool paletteExpected = m.valid && m.entries != 0 && injection.costs != Costs::Palette;
  ExpectEqual(palette != nullptr, paletteExpected, "palette made");
  if (palette != nullptr) {
    const std::vector<PALETTEENTRY> entries = winsim::PaletteEntries(palette);
    ExpectEqual(static_cast<long long>(entries.size()), m.entries, "palette entries");
    Expect(m.tableOffset + Wide(m.entries) * m.entrySize <= resource.size(), "palette table inside the resource");
    for (size_t i = 0; i < entries.size(); ++i) {
      const BYTE* entry = &resource[m.tableOffset + i * m.entrySize];
      const PALETTEENTRY& got = entries[i];
      if (got.peRed != entry[2] || got.peGreen != entry[1] || got.peBlue != entry[0] || got.peFlags != 0) {
        Fail("palette entry differs from the colour table at index", static_cast<long long>(i), -1);
      }
    }
    ExpectEqual(winsim::PalettesCreated().back().version, 0x300, "palette version");
  }

  // The bitmap exists exactly when the resource is whole, GDI takes its form
  // and it is no larger than a logo may be: run-length data may claim any
  // size, and the platform is never asked for more than 4096 pixels (twice
  // winsim's 1024 by 768 screen is less) in either direction.
  const bool fits = m.width <= 4096 && m.rows <= 4096;
  const bool bitmapExpected = m.valid && m.planes && fits && injection.costs != Costs::Bitmap;
  ExpectEqual(bitmap != nullptr, bitmapExpected, "bitmap made");
  if (bitmap != nullptr) {
    const winsim::BitmapRecord& made = winsim::BitmapsCreated().back();
    ExpectEqual(made.bitsOffset, static_cast<long long>(m.bitsOffset), "pixel bits offset");
    ExpectEqual(made.width, m.width, "bitmap width");
    ExpectEqual(made.height, m.rows, "bitmap height");
    ExpectEqual(made.dibBitCount, m.bitCount, "bitmap bit count");
    if (palette != nullptr && injection.costs != Costs::PaletteInDc) {
      Expect(made.paletteInDc == palette, "bitmap made without the logo palette selected");
    }
  }

  // Everything handed back belongs to the caller: once its owners go, nothing is left.
  ExpectEqual(winsim::LiveHandles(winsim::HandleKind::GdiObject), gdiBefore + (bitmap != nullptr) + (palette != nullptr),
              "live GDI objects before the owners go");
  loaded = BitmapWithPalette();
  ExpectEqual(winsim::LiveHandles(winsim::HandleKind::GdiObject), gdiBefore, "live GDI objects");
  ExpectEqual(winsim::LiveHandles(winsim::HandleKind::DeviceContext), dcsBefore, "live device contexts");
  ExpectEqual(winsim::LiveHandles(winsim::HandleKind::GlobalMemory), globalsBefore, "live global memory blocks");
  return 0;
}
