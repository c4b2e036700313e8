#include "logo/dib_palette.h"

#include <gtest/gtest.h>
#include <winsim/control.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "startup_fixture.h"
#include "test_dib.h"

namespace {

using test_dib::Shape;

class DibPaletteTest : public ::testing::Test {
 protected:
  FreshMachine machine;

  // Puts `dib` as bitmap "LOGO" into a loaded module and loads it into
  // `loaded`; `bitmap` and `palette` show what it holds.
  int Load(const std::vector<BYTE>& dib) {
    winsim::ModuleImage image;
    image.bitmaps["LOGO"] = dib;
    module = winsim::AddLoadedModule("C:\\Program Files\\Tarvex\\OxaRes0.dll", image);
    loaded = LoadBitmapWithPalette(module, "LOGO");
    bitmap = loaded.bitmap.get();
    palette = loaded.palette.get();
    return loaded.found ? 1 : 0;
  }

  // What was loaded is all there is, and goes with its owners.
  void ExpectNothingLeftAfterDeleting() {
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GdiObject), (bitmap != nullptr) + (palette != nullptr));
    loaded = BitmapWithPalette();
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GdiObject), 0);
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::DeviceContext), 0);
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GlobalMemory), 0);
  }

  HMODULE module = nullptr;
  BitmapWithPalette loaded;
  HBITMAP bitmap = nullptr;
  HPALETTE palette = nullptr;
};

// ---- header forms, bit counts and colour counts

struct FormCase {
  const char* label;
  Shape shape;
  size_t tableOffset;
  size_t paletteEntries;  // 0: no palette
  size_t bitsOffset;
};

class DibFormTest : public DibPaletteTest, public ::testing::WithParamInterface<FormCase> {};

TEST_P(DibFormTest, PaletteAndBitsWhereTheHeaderPutsThem) {
  const FormCase& c = GetParam();
  std::vector<BYTE> dib = test_dib::Build(c.shape, c.tableOffset, c.paletteEntries, c.bitsOffset);

  DibLayout layout{};
  ASSERT_TRUE(DescribeDib(DibView{dib.data(), static_cast<DWORD>(dib.size())}, &layout));
  EXPECT_EQ(layout.bitsOffset, c.bitsOffset);
  EXPECT_EQ(layout.paletteEntries, c.paletteEntries);

  ASSERT_EQ(Load(dib), 1);
  if (c.paletteEntries == 0) {
    EXPECT_EQ(palette, nullptr);
  } else {
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(winsim::PaletteEntries(palette).size(), c.paletteEntries);
  }
  ASSERT_NE(bitmap, nullptr);
  ASSERT_EQ(winsim::BitmapsCreated().size(), 1u);
  const winsim::BitmapRecord& made = winsim::BitmapsCreated().back();
  EXPECT_EQ(made.bitsOffset, static_cast<std::ptrdiff_t>(c.bitsOffset));
  EXPECT_EQ(made.dibBitCount, c.shape.bitCount);
  EXPECT_EQ(made.width, c.shape.width);
  EXPECT_EQ(made.height, c.shape.height < 0 ? -c.shape.height : c.shape.height);
  ExpectNothingLeftAfterDeleting();
}

INSTANTIATE_TEST_SUITE_P(
    Forms, DibFormTest,
    ::testing::Values(
        FormCase{"Info8Bit", {40, 5, 3, 8, BI_RGB, 0}, 40, 256, 1064},
        FormCase{"Info8BitWith200Colours", {40, 5, 3, 8, BI_RGB, 200}, 40, 200, 840},
        FormCase{"Core4Bit", {12, 5, 3, 4, BI_RGB, 0}, 12, 16, 60},
        FormCase{"Info1Bit", {40, 9, 2, 1, BI_RGB, 0}, 40, 2, 48},
        FormCase{"Info24Bit", {40, 5, 3, 24, BI_RGB, 0}, 40, 0, 40},
        FormCase{"Core24Bit", {12, 5, 3, 24, BI_RGB, 0}, 12, 0, 12},
        FormCase{"Info16Bit", {40, 5, 3, 16, BI_RGB, 0}, 40, 0, 40},
        FormCase{"Info24BitWith256Colours", {40, 5, 3, 24, BI_RGB, 256}, 40, 256, 1064},
        FormCase{"Info32Bit", {40, 5, 3, 32, BI_RGB, 0}, 40, 0, 40},
        FormCase{"Info8BitTopDown", {40, 5, -3, 8, BI_RGB, 0}, 40, 256, 1064},
        // Masks behind a 40-byte header come before the pixels.
        FormCase{"Info16BitBitFields", {40, 5, 3, 16, BI_BITFIELDS, 0}, 52, 0, 52},
        FormCase{"Info32BitBitFields", {40, 5, 3, 32, BI_BITFIELDS, 0}, 52, 0, 52},
        // The larger headers hold their masks themselves.
        FormCase{"V5Header32BitBitFields", {124, 5, 3, 32, BI_BITFIELDS, 0}, 124, 0, 124},
        FormCase{"V4Header8Bit", {108, 5, 3, 8, BI_RGB, 0}, 108, 256, 1132},
        FormCase{"Info8BitWith300Colours", {40, 5, 3, 8, BI_RGB, 300}, 40, 300, 1240}),
    [](const ::testing::TestParamInfo<FormCase>& info) { return std::string(info.param.label); });

// Run-length encoded images: their pixels are biSizeImage bytes of runs.
TEST_F(DibPaletteTest, RunLengthDataIsTakenAsLongAsItsHeaderSays) {
  struct Case {
    const char* label;
    WORD bitCount;
    DWORD compression;
    DWORD clrUsed;
    size_t entries;
  };
  const Case cases[] = {{"Rle8", 8, BI_RLE8, 0, 256}, {"Rle8With200Colours", 8, BI_RLE8, 200, 200},
                        {"Rle4", 4, BI_RLE4, 0, 16}};
  for (const Case& c : cases) {
    FreshMachine fresh;
    const size_t bitsOffset = 40 + 4 * c.entries;
    const std::vector<BYTE> runs = {5, 1, 0, 0, 5, 2, 0, 0, 5, 3, 0, 1};
    std::vector<BYTE> dib = test_dib::Build({40, 5, 3, c.bitCount, c.compression, c.clrUsed}, 40, c.entries, bitsOffset);
    dib.resize(bitsOffset);
    dib.insert(dib.end(), runs.begin(), runs.end());
    // Bytes past the data, which nothing reads.
    dib.insert(dib.end(), 16, 0xEE);
    test_dib::Put32(dib, 20, static_cast<DWORD>(runs.size()));

    DibLayout layout{};
    ASSERT_TRUE(DescribeDib(DibView{dib.data(), static_cast<DWORD>(dib.size())}, &layout)) << c.label;
    EXPECT_EQ(layout.bitsOffset, bitsOffset) << c.label;
    EXPECT_EQ(layout.bitsSize, runs.size()) << c.label;
    EXPECT_EQ(layout.paletteEntries, c.entries) << c.label;
    // The data may end exactly where the resource does.
    EXPECT_TRUE(DescribeDib(DibView{dib.data(), static_cast<DWORD>(bitsOffset + runs.size())}, &layout)) << c.label;

    ASSERT_EQ(Load(dib), 1) << c.label;
    ASSERT_NE(bitmap, nullptr) << c.label;
    ASSERT_NE(palette, nullptr) << c.label;
    EXPECT_EQ(winsim::PaletteEntries(palette).size(), c.entries) << c.label;
    EXPECT_EQ(winsim::BitmapsCreated().back().bitsOffset, static_cast<std::ptrdiff_t>(bitsOffset)) << c.label;
    ExpectNothingLeftAfterDeleting();
  }
}

struct CountCase {
  Shape shape;
  DWORD colourCount;
  DWORD tableSize;
};

class DibColourCountTest : public ::testing::TestWithParam<CountCase> {};

TEST_P(DibColourCountTest, CountsAndTableSizes) {
  const CountCase& c = GetParam();
  std::vector<BYTE> header = test_dib::Build(c.shape, c.shape.headerSize, 0, c.shape.headerSize);
  DibView view{header.data(), static_cast<DWORD>(header.size())};
  EXPECT_EQ(DibColourCount(view), c.colourCount);
  EXPECT_EQ(DibColourTableSize(view), c.tableSize);
}

INSTANTIATE_TEST_SUITE_P(Table, DibColourCountTest,
                         ::testing::Values(CountCase{{40, 1, 1, 1, BI_RGB, 0}, 2, 8},
                                           CountCase{{40, 1, 1, 8, BI_RGB, 0}, 256, 1024},
                                           CountCase{{40, 1, 1, 8, BI_RGB, 17}, 17, 68},
                                           CountCase{{12, 1, 1, 8, BI_RGB, 0}, 256, 768},
                                           CountCase{{12, 1, 1, 24, BI_RGB, 0}, 16777216, 50331648},
                                           CountCase{{40, 1, 1, 16, BI_RGB, 0}, 65536, 262144},
                                           CountCase{{40, 1, 1, 24, BI_RGB, 0}, 16777216, 67108864},
                                           CountCase{{40, 1, 1, 32, BI_RGB, 0}, 0, 0},
                                           CountCase{{40, 1, 1, 24, BI_RGB, 65535}, 65535, 262140},
                                           // The size wraps in 32 bits, as the count does.
                                           CountCase{{40, 1, 1, 8, BI_RGB, 0x40000001}, 0x40000001, 4},
                                           // Bit counts past 31 must not shift out of range.
                                           CountCase{{40, 1, 1, 200, BI_RGB, 0}, 0, 0},
                                           CountCase{{64, 1, 1, 8, BI_RGB, 0}, 0, 0}));

TEST_F(DibPaletteTest, EntriesTakeRedGreenBlueFromBothEntryForms) {
  for (DWORD headerSize : {DWORD{40}, DWORD{12}}) {
    winsim::Reset();
    const size_t entrySize = headerSize == 12 ? 3 : 4;
    std::vector<BYTE> dib = test_dib::Build({headerSize, 2, 2, 4, BI_RGB, 0}, headerSize, 16, headerSize + 16 * entrySize);
    // Entry 5: blue 0x10, green 0x20, red 0x30.
    dib[headerSize + 5 * entrySize + 0] = 0x10;
    dib[headerSize + 5 * entrySize + 1] = 0x20;
    dib[headerSize + 5 * entrySize + 2] = 0x30;
    ASSERT_EQ(Load(dib), 1);
    std::vector<PALETTEENTRY> entries = winsim::PaletteEntries(palette);
    ASSERT_EQ(entries.size(), 16u) << "header " << headerSize;
    EXPECT_EQ(entries[5].peRed, 0x30);
    EXPECT_EQ(entries[5].peGreen, 0x20);
    EXPECT_EQ(entries[5].peBlue, 0x10);
    for (size_t i = 0; i < entries.size(); ++i) {
      if (i == 5) continue;
      EXPECT_EQ(entries[i].peRed, test_dib::EntryRed(i)) << "header " << headerSize << " entry " << i;
      EXPECT_EQ(entries[i].peGreen, test_dib::EntryGreen(i)) << "header " << headerSize << " entry " << i;
      EXPECT_EQ(entries[i].peBlue, test_dib::EntryBlue(i)) << "header " << headerSize << " entry " << i;
      EXPECT_EQ(entries[i].peFlags, 0) << "header " << headerSize << " entry " << i;
    }
    EXPECT_EQ(winsim::PalettesCreated().back().version, 0x300);
    ExpectNothingLeftAfterDeleting();
  }
}

// ---- damaged and unsupported resources: no palette, no bitmap, nothing read past the end

struct DamagedCase {
  const char* label;
  std::vector<BYTE> (*make)();
};

std::vector<BYTE> Truncated(std::vector<BYTE> dib, size_t size) {
  dib.resize(size);
  return dib;
}

std::vector<BYTE> WithDword(std::vector<BYTE> dib, size_t at, DWORD value) {
  test_dib::Put32(dib, at, value);
  return dib;
}

std::vector<BYTE> WithWord(std::vector<BYTE> dib, size_t at, WORD value) {
  test_dib::Put16(dib, at, value);
  return dib;
}

const DamagedCase kDamagedCases[] = {
    {"Empty", [] { return std::vector<BYTE>(); }},
    {"SizeFieldCut", [] { return Truncated(test_dib::Plain(4, 4, 8), 3); }},
    {"InfoHeaderCut", [] { return Truncated(test_dib::Plain(4, 4, 8), 20); }},
    {"CoreHeaderCut", [] {
       return Truncated(test_dib::Build({12, 4, 4, 4, BI_RGB, 0}, 12, 16, 60), 8);
     }},
    {"ColourTablePastTheEnd", [] { return Truncated(test_dib::Plain(4, 4, 8), 40 + 100); }},
    {"CoreColourTablePastTheEnd", [] {
       return Truncated(test_dib::Build({12, 4, 4, 8, BI_RGB, 0}, 12, 256, 12 + 768), 12 + 700);
     }},
    {"ColourCount65535InASmallResource", [] { return WithDword(test_dib::Plain(4, 4, 8), 32, 65535); }},
    {"BitsShorterThanTheImage", [] {
       std::vector<BYTE> dib = test_dib::Plain(4, 4, 8);
       return Truncated(dib, dib.size() - 1);
     }},
    {"BitsMissing", [] { return Truncated(test_dib::Plain(4, 4, 8), 1064); }},
    {"HeightBeyondTheResource", [] { return WithDword(test_dib::Plain(4, 4, 8), 8, 0x7fffffff); }},
    {"HeightMostNegative", [] { return WithDword(test_dib::Plain(4, 4, 8), 8, 0x80000000); }},
    {"WidthBeyondTheResource", [] { return WithDword(test_dib::Plain(4, 4, 24), 4, 0x7fffffff); }},
    {"ZeroWidth", [] { return WithDword(test_dib::Plain(4, 4, 8), 4, 0); }},
    {"NegativeWidth", [] { return WithDword(test_dib::Plain(4, 4, 8), 4, 0xfffffffc); }},
    {"ZeroHeight", [] { return WithDword(test_dib::Plain(4, 4, 8), 8, 0); }},
    // GDI reads up to 256 entries of an 8-bit image even when the low 16
    // bits of biClrUsed ask for one.
    {"GdiTablePastTheEnd", [] {
       return test_dib::Build({40, 4, 4, 8, BI_RGB, 0x10001}, 40, 1, 44);
     }},
    {"UnknownHeaderSize", [] { return WithDword(test_dib::Plain(4, 4, 8), 0, 64); }},
    {"ZeroHeaderSize", [] { return WithDword(test_dib::Plain(4, 4, 8), 0, 0); }},
    {"HugeHeaderSize", [] { return WithDword(test_dib::Plain(4, 4, 8), 0, 0xffffffff); }},
    {"HeaderLargerThanTheResource", [] { return WithDword(test_dib::Plain(1, 1, 24), 0, 124); }},
    {"BitCountZero", [] { return WithWord(test_dib::Plain(4, 4, 8), 14, 0); }},
    {"BitCountTwo", [] { return WithWord(test_dib::Plain(4, 4, 8), 14, 2); }},
    {"BitCount64", [] { return WithWord(test_dib::Plain(4, 4, 8), 14, 64); }},
    {"RunLengthEncodedWithoutItsSize", [] { return WithDword(test_dib::Plain(4, 4, 8), 16, BI_RLE8); }},
    {"RunLengthDataPastTheEnd", [] {
       return WithDword(WithDword(test_dib::Plain(4, 4, 8), 16, BI_RLE8), 20, 4 * 4 + 1);
     }},
    {"RunLengthTopDown", [] {
       return WithDword(WithDword(WithDword(test_dib::Plain(4, 4, 8), 16, BI_RLE8), 20, 8), 8, 0xfffffffc);
     }},
    {"RunLengthBehindALargerHeader", [] {
       return WithDword(WithDword(test_dib::Build({108, 4, 4, 8, BI_RGB, 0}, 108, 256, 108 + 1024), 16, BI_RLE8), 20,
                        8);
     }},
    {"FourBitRunsOn8Bits", [] { return WithDword(WithDword(test_dib::Plain(4, 4, 8), 16, BI_RLE4), 20, 8); }},
    {"BitFieldsOn8Bits", [] { return WithDword(test_dib::Plain(4, 4, 8), 16, BI_BITFIELDS); }},
    {"BitFieldMasksCut", [] {
       return Truncated(test_dib::Build({40, 1, 1, 32, BI_BITFIELDS, 0}, 52, 0, 52), 48);
     }},
};

class DamagedDibTest : public DibPaletteTest, public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(DamagedDibTest, GivesNoPaletteAndNoBitmap) {
  const std::vector<BYTE> dib = GetParam().make();
  DibLayout layout{};
  layout.bitsOffset = 0xdeadbeef;
  EXPECT_FALSE(DescribeDib(DibView{dib.data(), static_cast<DWORD>(dib.size())}, &layout));
  EXPECT_EQ(layout.bitsOffset, 0xdeadbeefu) << "layout written for a damaged resource";

  // The resource was found and loaded, so both outputs are written.
  EXPECT_EQ(Load(dib), 1);
  EXPECT_EQ(palette, nullptr);
  EXPECT_EQ(bitmap, nullptr);
  EXPECT_EQ(winsim::CallCount("CreatePalette"), 0);
  EXPECT_EQ(winsim::CallCount("CreateDIBitmap"), 0);
  ExpectNothingLeftAfterDeleting();
}

INSTANTIATE_TEST_SUITE_P(Resources, DamagedDibTest, ::testing::ValuesIn(kDamagedCases),
                         [](const ::testing::TestParamInfo<DamagedCase>& info) { return std::string(info.param.label); });

TEST_F(DibPaletteTest, ANullViewIsDamaged) {
  EXPECT_FALSE(CreatePaletteFromDib(DibView{nullptr, 4096}));
  EXPECT_FALSE(CreateBitmapFromDib(DibView{nullptr, 4096}, nullptr));
  EXPECT_EQ(DibColourCount(DibView{nullptr, 4096}), 0u);
}

// ---- what is not found gives nothing

struct NotLoadedCase {
  const char* label;
  const char* name;
  const char* failingFunction;  // null: nothing injected
};

class NotLoadedTest : public DibPaletteTest, public ::testing::WithParamInterface<NotLoadedCase> {};

TEST_P(NotLoadedTest, IsNotFoundAndMakesNothing) {
  const NotLoadedCase& c = GetParam();
  winsim::ModuleImage image;
  image.bitmaps["LOGO"] = test_dib::Plain(4, 4, 8);
  module = winsim::AddLoadedModule("C:\\Program Files\\Tarvex\\OxaRes0.dll", image);
  if (c.failingFunction) winsim::InjectFailure(c.failingFunction);
  const BitmapWithPalette none = LoadBitmapWithPalette(module, c.name);
  EXPECT_FALSE(none.found);
  EXPECT_FALSE(none.bitmap);
  EXPECT_FALSE(none.palette);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GdiObject), 0);
  EXPECT_EQ(winsim::CallCount("FreeResource"), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, NotLoadedTest,
                         ::testing::Values(NotLoadedCase{"UnknownName", "SVGA_LOGO_ZOLT", nullptr},
                                           NotLoadedCase{"FindResourceFails", "LOGO", "FindResourceA"},
                                           NotLoadedCase{"LoadResourceFails", "LOGO", "LoadResource"}),
                         [](const ::testing::TestParamInfo<NotLoadedCase>& info) {
                           return std::string(info.param.label);
                         });

// ---- platform failures after the resource is loaded

struct FailureCase {
  const char* label;
  const char* failingFunction;
  bool palette;
  bool bitmap;
};

class LoadFailureTest : public DibPaletteTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(LoadFailureTest, StillReturnsOneWithWhatCouldBeMade) {
  const FailureCase& c = GetParam();
  winsim::InjectFailure(c.failingFunction);
  EXPECT_EQ(Load(test_dib::Plain(4, 4, 8)), 1);
  EXPECT_EQ(palette != nullptr, c.palette);
  EXPECT_EQ(bitmap != nullptr, c.bitmap);
  ExpectNothingLeftAfterDeleting();
}

INSTANTIATE_TEST_SUITE_P(Cases, LoadFailureTest,
                         ::testing::Values(FailureCase{"NoGlobalBlock", "GlobalAlloc", false, true},
                                           FailureCase{"NoLock", "GlobalLock", false, true},
                                           FailureCase{"NoPalette", "CreatePalette", false, true},
                                           FailureCase{"NoScreenDC", "GetDC", true, false},
                                           FailureCase{"NoDeviceBitmap", "CreateDIBitmap", true, false}),
                         [](const ::testing::TestParamInfo<FailureCase>& info) {
                           return std::string(info.param.label);
                         });

TEST_F(DibPaletteTest, TheBitmapIsMadeWithThePaletteRealizedInTheScreenDC) {
  ASSERT_EQ(Load(test_dib::Plain(4, 4, 8)), 1);
  ASSERT_NE(palette, nullptr);
  EXPECT_EQ(winsim::BitmapsCreated().back().paletteInDc, palette);

  const auto& selections = winsim::PaletteSelections();
  ASSERT_EQ(selections.size(), 2u);
  EXPECT_EQ(selections[0].palette, palette);
  EXPECT_EQ(selections[0].forceBackground, FALSE);
  // The previous palette goes back, as a foreground palette, into the same DC.
  EXPECT_EQ(selections[1].dc, selections[0].dc);
  EXPECT_EQ(selections[1].palette, selections[0].previous);
  EXPECT_EQ(selections[1].forceBackground, FALSE);

  const auto& calls = winsim::Calls();
  auto position = [&](const char* name) { return std::find(calls.begin(), calls.end(), name) - calls.begin(); };
  EXPECT_LT(position("GlobalAlloc"), position("GlobalLock"));
  EXPECT_LT(position("GlobalLock"), position("CreatePalette"));
  EXPECT_LT(position("CreatePalette"), position("GlobalUnlock"));
  EXPECT_LT(position("GlobalUnlock"), position("GlobalFree"));
  EXPECT_LT(position("RealizePalette"), position("CreateDIBitmap"));
  // The resource is given back once, after the bitmap is made from it.
  EXPECT_EQ(winsim::CallCount("FreeResource"), 1);
  EXPECT_LT(position("CreateDIBitmap"), position("FreeResource"));
  ExpectNothingLeftAfterDeleting();
}

TEST_F(DibPaletteTest, WithoutAPaletteNothingIsSelected) {
  ASSERT_EQ(Load(test_dib::Plain(4, 4, 24)), 1);
  EXPECT_EQ(palette, nullptr);
  EXPECT_NE(bitmap, nullptr);
  EXPECT_TRUE(winsim::PaletteSelections().empty());
  EXPECT_EQ(winsim::CallCount("RealizePalette"), 0);
  ExpectNothingLeftAfterDeleting();
}

}  // namespace
