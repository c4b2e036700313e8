// Device contexts, palettes and their realization, device bitmaps made from
// DIBs, object lifetimes, BitBlt and pixels, as the platform shows them on a
// 32-bit and on an 8-bit palette display.
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bitmap_pixels.h"
#include "dib_image.h"
#include "message_log.h"
#include "platform_test.h"

namespace {

using Lines = std::vector<std::string>;
using Pixels = std::vector<COLORREF>;

class GdiApi : public PlatformTest {};

HBITMAP MakeBitmap(HDC dc, const std::vector<BYTE>& dib) {
  return CreateDIBitmap(dc, reinterpret_cast<const BITMAPINFOHEADER*>(dib.data()), CBM_INIT,
                        dib.data() + dib_image::BitsOffset(dib), reinterpret_cast<const BITMAPINFO*>(dib.data()),
                        DIB_RGB_COLORS);
}

// A palette of `count` entries no other test uses.
HPALETTE MakePalette(int count, BYTE seed) {
  std::vector<BYTE> block(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
  auto* palette = reinterpret_cast<LOGPALETTE*>(block.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = static_cast<WORD>(count);
  for (int i = 0; i < count; ++i) {
    palette->palPalEntry[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(seed + 3 * i),
                                           static_cast<BYTE>(255 - i), 0};
  }
  return CreatePalette(palette);
}

UINT RealizeIn(HDC dc, HPALETTE palette, BOOL background = FALSE) {
  HPALETTE previous = SelectPalette(dc, palette, background);
  const UINT mapped = RealizePalette(dc);
  SelectPalette(dc, previous, FALSE);
  return mapped;
}

// ---- the display

TEST_F(GdiApi, TheScreenShowsTheDepthOfTheDisplay) {
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  const int bits = GetDeviceCaps(screen, BITSPIXEL);
  EXPECT_TRUE(bits == 32 || bits == 8) << bits;
  EXPECT_EQ(GetDeviceCaps(screen, PLANES), 1);
  // Wine gives -1 on a palette display too.
  EXPECT_EQ(GetDeviceCaps(screen, NUMCOLORS), -1);
  HDC desktop = GetWindowDC(GetDesktopWindow());
  EXPECT_EQ(GetDeviceCaps(desktop, BITSPIXEL), bits);
  ReleaseDC(GetDesktopWindow(), desktop);
  ReleaseDC(nullptr, screen);
}

// ---- palettes

TEST_F(GdiApi, APaletteMapsItsEntriesOnceOnAPaletteDisplay) {
  HDC screen = GetDC(nullptr);
  HPALETTE large = MakePalette(256, 1);
  HPALETTE small = MakePalette(10, 2);
  HPALETTE single = MakePalette(1, 3);
  HPALETTE stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  ASSERT_NE(large, nullptr);
  EXPECT_EQ(SelectPalette(screen, large, FALSE), stock) << "a fresh device context holds the default palette";
  SelectPalette(screen, stock, FALSE);

  const bool palettes = IsPaletteDisplay();
  struct Step {
    HPALETTE palette;
    UINT mapped;  // on a palette display; 0 on any other
  };
  const Step steps[] = {{large, 256}, {large, 0}, {small, 10}, {large, 0}, {small, 0},
                        {single, 1},  {stock, 0}, {single, 0}};
  int index = 0;
  for (const Step& step : steps) {
    EXPECT_EQ(RealizeIn(screen, step.palette), palettes ? step.mapped : 0u) << "step " << index++;
  }
  ReleaseDC(nullptr, screen);
  // No device context to realize in.
  EXPECT_EQ(RealizePalette(nullptr), 0u);
  SetLastError(0xdeadbeef);
  EXPECT_EQ(SelectPalette(nullptr, large, FALSE), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  for (HPALETTE palette : {large, small, single}) EXPECT_TRUE(DeleteObject(palette));
}

HPALETTE g_windowPalette;
UINT g_mappedAtActivation;

bool RealizeAtActivation(HWND window, UINT message, WPARAM, LPARAM, LRESULT* result) {
  if (message != WM_QUERYNEWPALETTE || g_windowPalette == nullptr) return false;
  HDC dc = GetDC(window);
  g_mappedAtActivation = RealizeIn(dc, g_windowPalette);
  ReleaseDC(window, dc);
  *result = g_mappedAtActivation != 0;
  return true;
}

TEST_F(GdiApi, AWindowThatChangesThePaletteInTheForegroundTellsEveryWindow) {
  LoggingWindowClass logged;
  CurrentMessageHook() = RealizeAtActivation;
  HWND a = logged.Create(WS_POPUP);
  HWND b = logged.Create(WS_POPUP);
  const std::map<HWND, std::string> names{{a, "A"}, {b, "B"}};
  HPALETTE first = MakePalette(16, 4);
  HPALETTE second = MakePalette(16, 5);
  const bool palettes = IsPaletteDisplay();

  // B's palette goes into the system palette as B becomes active.
  g_windowPalette = first;
  ClearMessageLog();
  ShowWindow(b, SW_SHOW);
  EXPECT_EQ(g_mappedAtActivation, palettes ? 16u : 0u);
  Lines expected{"B WM_SHOWWINDOW shown", "B WM_QUERYNEWPALETTE"};
  if (palettes) expected.insert(expected.end(), {"B WM_PALETTECHANGED by B", "A WM_PALETTECHANGED by B"});
  expected.insert(expected.end(), {"B WM_ACTIVATE active other 0", "B WM_NCPAINT", "B WM_ERASEBKGND"});
  EXPECT_EQ(DescribeMessages(names), expected);

  // A realizes the same palette: nothing changes, nobody is told.
  ClearMessageLog();
  ShowWindow(a, SW_SHOW);
  EXPECT_EQ(g_mappedAtActivation, 0u);
  EXPECT_EQ(DescribeMessages(names),
            (Lines{"A WM_SHOWWINDOW shown", "B WM_ACTIVATE inactive other A", "A WM_QUERYNEWPALETTE",
                   "A WM_ACTIVATE active other B", "A WM_NCPAINT", "A WM_ERASEBKGND"}));

  // A palette realized in a window that is not active maps its entries
  // without telling anyone.
  ClearMessageLog();
  HDC inactive = GetDC(b);
  EXPECT_EQ(RealizeIn(inactive, second), palettes ? 16u : 0u);
  ReleaseDC(b, inactive);
  EXPECT_EQ(DescribeMessages(names), Lines{});

  g_windowPalette = nullptr;
  EXPECT_TRUE(DestroyWindow(a));
  EXPECT_TRUE(DestroyWindow(b));
  EXPECT_TRUE(DeleteObject(first));
  EXPECT_TRUE(DeleteObject(second));
}

// ---- object lifetimes

TEST_F(GdiApi, ASelectedObjectIsDeletedWhenItLeavesTheDeviceContext) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = MakeBitmap(screen, dib_image::Encode({24, BI_RGB, 40, false, 0}, 4, 4,
                                                        dib_image::Pattern(4, 4, dib_image::VgaColours())));
  ASSERT_NE(bitmap, nullptr);
  HGDIOBJ original = SelectObject(memory, bitmap);
  ASSERT_NE(original, nullptr);
  HDC second = CreateCompatibleDC(screen);
  EXPECT_EQ(SelectObject(second, bitmap), nullptr) << "one device context at a time";
  DeleteDC(second);

  EXPECT_TRUE(DeleteObject(bitmap));
  BITMAP described;
  EXPECT_EQ(GetObjectA(bitmap, sizeof described, &described), int(sizeof(BITMAP))) << "it waits while selected";
  SelectObject(memory, original);
  EXPECT_EQ(GetObjectA(bitmap, sizeof described, &described), 0) << "gone once deselected";
  EXPECT_FALSE(DeleteObject(bitmap));

  HFONT font = CreateFontA(11, 5, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DRAFT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
  ASSERT_NE(font, nullptr);
  HGDIOBJ originalFont = SelectObject(memory, font);
  EXPECT_TRUE(DeleteObject(font));
  SelectObject(memory, originalFont);
  EXPECT_FALSE(DeleteObject(font)) << "gone once deselected";

  // A palette goes at once, selected or not.
  HPALETTE palette = MakePalette(4, 6);
  HPALETTE originalPalette = SelectPalette(memory, palette, FALSE);
  EXPECT_TRUE(DeleteObject(palette));
  WORD entries = 0;
  EXPECT_EQ(GetObjectA(palette, sizeof entries, &entries), 0);
  SelectPalette(memory, originalPalette, FALSE);

  HGDIOBJ brush = GetStockObject(NULL_BRUSH);
  EXPECT_TRUE(DeleteObject(brush)) << "stock objects say yes";
  EXPECT_EQ(GetStockObject(NULL_BRUSH), brush) << "and stay";
  EXPECT_FALSE(DeleteObject(nullptr));
  EXPECT_TRUE(DeleteDC(memory));
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

TEST_F(GdiApi, GetObjectDescribesWithinTheBuffer) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = MakeBitmap(screen, dib_image::Encode({8, BI_RGB, 40, false, 0}, 9, 5,
                                                        dib_image::Pattern(9, 5, dib_image::VgaColours())));
  ReleaseDC(nullptr, screen);
  ASSERT_NE(bitmap, nullptr);
  const int bits = ScreenBitsPerPixel();
  EXPECT_EQ(GetObjectA(bitmap, 0, nullptr), int(sizeof(BITMAP)));
  BYTE buffer[sizeof(BITMAP) + 8];
  std::memset(buffer, 0xEE, sizeof buffer);
  EXPECT_EQ(GetObjectA(bitmap, sizeof(BITMAP) - 1, buffer), 0);
  EXPECT_EQ(buffer[0], 0xEE) << "untouched when too small";
  EXPECT_EQ(GetObjectA(bitmap, sizeof buffer, buffer), int(sizeof(BITMAP)));
  EXPECT_EQ(buffer[sizeof(BITMAP)], 0xEE) << "nothing past the structure";
  BITMAP described;
  std::memcpy(&described, buffer, sizeof described);
  EXPECT_EQ(described.bmWidth, 9);
  EXPECT_EQ(described.bmHeight, 5);
  EXPECT_EQ(described.bmBitsPixel, bits);
  EXPECT_EQ(described.bmPlanes, 1);
  // Rows of a device bitmap are padded to 2 bytes.
  EXPECT_EQ(described.bmWidthBytes, (9 * bits + 15) / 16 * 2);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_EQ(GetObjectA(bitmap, sizeof buffer, buffer), 0);

  HPALETTE palette = MakePalette(7, 7);
  WORD entries = 0;
  EXPECT_EQ(GetObjectA(palette, sizeof entries, &entries), int(sizeof entries));
  EXPECT_EQ(entries, 7);
  EXPECT_TRUE(DeleteObject(palette));
}

// ---- device bitmaps from DIBs

struct DibCase {
  const char* name;
  dib_image::Format format;
  const std::vector<COLORREF>* colours;  // drawn from
};

TEST_F(GdiApi, CreateDIBitmapDrawsEveryFormatTheLogoMayHave) {
  const std::vector<COLORREF> blackAndWhite{RGB(0, 0, 0), RGB(255, 255, 255)};
  const std::vector<COLORREF>& vga = dib_image::VgaColours();
  // Five bits a channel hold full and no intensity only.
  const std::vector<COLORREF> bright{RGB(0, 0, 0),     RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(0, 0, 255),
                                     RGB(255, 255, 0), RGB(0, 255, 255), RGB(255, 0, 255), RGB(255, 255, 255)};
  const DibCase cases[] = {
      {"1 bit", {1, BI_RGB, 40, false, 0}, &blackAndWhite},
      {"4 bits", {4, BI_RGB, 40, false, 0}, &vga},
      {"4 bits, core header", {4, BI_RGB, 12, false, 0}, &vga},
      {"8 bits", {8, BI_RGB, 40, false, 0}, &vga},
      {"8 bits, 16 colours used", {8, BI_RGB, 40, false, 16}, &vga},
      {"8 bits, top down", {8, BI_RGB, 40, true, 0}, &vga},
      {"8 bits, 108-byte header", {8, BI_RGB, 108, false, 0}, &vga},
      {"16 bits", {16, BI_RGB, 40, false, 0}, &bright},
      {"16 bits, 5-6-5 masks", {16, BI_BITFIELDS, 40, false, 0}, &bright},
      {"24 bits", {24, BI_RGB, 40, false, 0}, &vga},
      {"32 bits", {32, BI_RGB, 40, false, 0}, &vga},
      {"8 bits, run-length encoded", {8, BI_RLE8, 40, false, 0}, &vga},
      {"4 bits, run-length encoded", {4, BI_RLE4, 40, false, 0}, &vga},
  };
  HDC screen = GetDC(nullptr);
  const int bits = ScreenBitsPerPixel();
  for (const DibCase& c : cases) {
    const Pixels pattern = dib_image::Pattern(7, 3, *c.colours);
    HBITMAP bitmap = MakeBitmap(screen, dib_image::Encode(c.format, 7, 3, pattern));
    ASSERT_NE(bitmap, nullptr) << c.name;
    const BITMAP described = BitmapSize(bitmap);
    EXPECT_EQ(described.bmWidth, 7) << c.name;
    EXPECT_EQ(described.bmHeight, 3) << c.name;
    EXPECT_EQ(described.bmBitsPixel, bits) << c.name << ": made for the screen";
    EXPECT_EQ(BitmapPixels(bitmap), pattern) << c.name;
    EXPECT_TRUE(DeleteObject(bitmap)) << c.name;
  }
  ReleaseDC(nullptr, screen);
}

TEST_F(GdiApi, RunLengthDataSkipsAndEndsAsEncoded) {
  const std::vector<COLORREF>& vga = dib_image::VgaColours();
  const COLORREF black = RGB(0, 0, 0), red = vga[9], blue = vga[12], white = vga[15], green = vga[10];
  struct Case {
    const char* name;
    dib_image::Format format;
    std::vector<BYTE> data;  // 5 by 3 pixels, bottom row first
    Pixels pixels;           // top row first; what the data skips stays black
  };
  const Case cases[] = {
      {"8 bits: runs, an absolute run, a line end, a delta, the end",
       {8, BI_RLE8, 40, false, 16},
       {2, 9, 0, 3, 12, 15, 10, 0, 0, 0, 0, 2, 3, 0, 2, 12, 0, 1},
       {black, black, black, black, black,  //
        black, black, black, blue, blue,    //
        red, red, blue, white, green}},
      {"4 bits: alternating runs and an absolute run",
       {4, BI_RLE4, 40, false, 16},
       {5, 0x9C, 0, 0, 0, 3, 0xFA, 0xC0, 0, 1},
       {black, black, black, black, black,  //
        white, green, blue, black, black,   //
        red, blue, red, blue, red}},
  };
  HDC screen = GetDC(nullptr);
  for (const Case& c : cases) {
    std::vector<BYTE> dib = dib_image::Encode(c.format, 5, 3, Pixels(15, black));
    dib.resize(dib_image::BitsOffset(dib));
    dib.insert(dib.end(), c.data.begin(), c.data.end());
    dib_image::Put32(dib, 20, static_cast<DWORD>(c.data.size()));
    HBITMAP bitmap = MakeBitmap(screen, dib);
    ASSERT_NE(bitmap, nullptr) << c.name;
    EXPECT_EQ(BitmapPixels(bitmap), c.pixels) << c.name;
    EXPECT_TRUE(DeleteObject(bitmap));
  }
  ReleaseDC(nullptr, screen);
}

TEST_F(GdiApi, CreateDIBitmapRefusesWhatItCannotDraw) {
  struct Case {
    const char* name;
    dib_image::Format format;
    int width;
    int height;
    void (*spoil)(std::vector<BYTE>&);
    bool made;
    LONG madeWidth;  // of what is made
    DWORD error;     // when nothing is made; 0: not looked at
  };
  const Case cases[] = {
      {"run-length data without a size", {8, BI_RLE8, 40, false, 0}, 4, 3,
       [](std::vector<BYTE>& d) { dib_image::Put32(d, 20, 0); }, false, 0, ERROR_INVALID_PARAMETER},
      {"run-length data top down", {8, BI_RLE8, 40, false, 0}, 4, 3,
       [](std::vector<BYTE>& d) { dib_image::Put32(d, 8, static_cast<DWORD>(-3)); }, false, 0,
       ERROR_INVALID_PARAMETER},
      {"4-bit encoding of 8-bit pixels", {8, BI_RLE8, 40, false, 0}, 4, 3,
       [](std::vector<BYTE>& d) { dib_image::Put32(d, 16, BI_RLE4); }, false, 0, ERROR_INVALID_PARAMETER},
      {"2 bits per pixel", {4, BI_RGB, 40, false, 4}, 4, 3, [](std::vector<BYTE>& d) { dib_image::Put16(d, 14, 2); },
       false, 0, ERROR_INVALID_PARAMETER},
      {"no planes", {8, BI_RGB, 40, false, 0}, 4, 3, [](std::vector<BYTE>& d) { dib_image::Put16(d, 12, 0); }, false,
       0, ERROR_INVALID_PARAMETER},
      // Nothing holds a bitmap of a billion rows.
      {"run-length data of a billion rows", {8, BI_RLE8, 40, false, 0}, 4, 3,
       [](std::vector<BYTE>& d) { dib_image::Put32(d, 8, 0x40000003); }, false, 0, 0},
      // Run-length data is drawn without a plane count.
      {"run-length data without planes", {8, BI_RLE8, 40, false, 0}, 4, 3,
       [](std::vector<BYTE>& d) { dib_image::Put16(d, 12, 0); }, true, 4, 0},
      {"negative width", {8, BI_RGB, 40, false, 0}, 4, 3,
       [](std::vector<BYTE>& d) { dib_image::Put32(d, 4, static_cast<DWORD>(-4)); }, false, 0, 0},
      // Nothing to draw: the stock 1 by 1 monochrome bitmap.
      {"zero width", {8, BI_RGB, 40, false, 0}, 4, 3, [](std::vector<BYTE>& d) { dib_image::Put32(d, 4, 0); }, true,
       1, 0},
      {"zero height", {8, BI_RGB, 40, false, 0}, 4, 3, [](std::vector<BYTE>& d) { dib_image::Put32(d, 8, 0); },
       true, 1, 0},
  };
  HDC screen = GetDC(nullptr);
  for (const Case& c : cases) {
    std::vector<BYTE> dib =
        dib_image::Encode(c.format, c.width, c.height, dib_image::Pattern(c.width, c.height, dib_image::VgaColours()));
    c.spoil(dib);
    SetLastError(0xdeadbeef);
    HBITMAP bitmap = MakeBitmap(screen, dib);
    EXPECT_EQ(bitmap != nullptr, c.made) << c.name;
    if (bitmap == nullptr) {
      if (c.error != 0) {
        EXPECT_EQ(GetLastError(), c.error) << c.name;
      }
      continue;
    }
    const BITMAP described = BitmapSize(bitmap);
    EXPECT_EQ(described.bmWidth, c.madeWidth) << c.name;
    // The empty ones are the monochrome stock bitmap.
    EXPECT_EQ(described.bmBitsPixel, c.madeWidth == 1 ? 1 : ScreenBitsPerPixel()) << c.name;
    DeleteObject(bitmap);
  }
  ReleaseDC(nullptr, screen);
}

TEST_F(GdiApi, WithoutADeviceContextTheBitmapIsMonochrome) {
  const std::vector<BYTE> dib =
      dib_image::Encode({8, BI_RGB, 40, false, 0}, 6, 2, dib_image::Pattern(6, 2, dib_image::VgaColours()));
  HBITMAP bitmap = MakeBitmap(nullptr, dib);
  ASSERT_NE(bitmap, nullptr);
  const BITMAP described = BitmapSize(bitmap);
  EXPECT_EQ(described.bmBitsPixel, 1);
  EXPECT_EQ(described.bmWidthBytes, 2);
  EXPECT_TRUE(DeleteObject(bitmap));
}

// ---- BitBlt and pixels

TEST_F(GdiApi, BitBltCopiesTheRectangleAskedForAndNoMore) {
  const std::vector<COLORREF>& vga = dib_image::VgaColours();
  HDC screen = GetDC(nullptr);
  const Pixels source = dib_image::Pattern(4, 3, vga);
  HBITMAP from = MakeBitmap(screen, dib_image::Encode({24, BI_RGB, 40, false, 0}, 4, 3, source));
  HBITMAP to = MakeBitmap(screen, dib_image::Encode({24, BI_RGB, 40, false, 0}, 5, 4, Pixels(20, vga[15])));
  HDC fromDc = CreateCompatibleDC(screen);
  HDC toDc = CreateCompatibleDC(screen);
  HGDIOBJ fromBefore = SelectObject(fromDc, from);
  HGDIOBJ toBefore = SelectObject(toDc, to);

  // Three by two from (1, 1) to (3, 2): the part outside the target is cut.
  EXPECT_TRUE(BitBlt(toDc, 3, 2, 3, 2, fromDc, 1, 1, SRCCOPY));
  const COLORREF w = vga[15];
  const Pixels expected{w, w, w, w, w,  //
                        w, w, w, w, w,  //
                        w, w, w, source[1 * 4 + 1], source[1 * 4 + 2],
                        w, w, w, source[2 * 4 + 1], source[2 * 4 + 2]};
  Pixels read;
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) read.push_back(GetPixel(toDc, x, y));
  }
  EXPECT_EQ(read, expected);
  EXPECT_EQ(GetPixel(toDc, 5, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(toDc, -1, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(nullptr, 0, 0), CLR_INVALID);
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(BitBlt(nullptr, 0, 0, 1, 1, fromDc, 0, 0, SRCCOPY));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));

  SelectObject(fromDc, fromBefore);
  SelectObject(toDc, toBefore);
  // A fresh memory device context holds a black 1 by 1 bitmap.
  EXPECT_EQ(GetPixel(fromDc, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(fromDc, 1, 0), CLR_INVALID);
  DeleteDC(fromDc);
  DeleteDC(toDc);
  DeleteObject(from);
  DeleteObject(to);
  ReleaseDC(nullptr, screen);
}

// Twice the size with COLORONCOLOR: each pixel becomes a 2 by 2 block, the
// pixels beside the target rectangle keep their colour; HALFTONE keeps an
// area of one colour as it is. The modes and the brush origin say what they were.
TEST_F(GdiApi, StretchBltScalesIntoTheRectangleAskedFor) {
  const std::vector<COLORREF>& vga = dib_image::VgaColours();
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
  const Pixels source = dib_image::Pattern(2, 2, vga);
  const COLORREF w = vga[15];
  HBITMAP from = MakeBitmap(screen, dib_image::Encode({24, BI_RGB, 40, false, 0}, 2, 2, source));
  HBITMAP to = MakeBitmap(screen, dib_image::Encode({24, BI_RGB, 40, false, 0}, 6, 5, Pixels(30, w)));
  HDC fromDc = CreateCompatibleDC(screen);
  HDC toDc = CreateCompatibleDC(screen);
  HGDIOBJ fromBefore = SelectObject(fromDc, from);
  HGDIOBJ toBefore = SelectObject(toDc, to);

  EXPECT_EQ(SetStretchBltMode(toDc, COLORONCOLOR), BLACKONWHITE);
  EXPECT_EQ(SetStretchBltMode(toDc, 0), 0);
  POINT origin{-7, -7};
  EXPECT_TRUE(SetBrushOrgEx(toDc, 1, 2, &origin));
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(origin.y, 0);
  EXPECT_TRUE(SetBrushOrgEx(toDc, 0, 0, &origin));
  EXPECT_EQ(origin.x, 1);
  EXPECT_EQ(origin.y, 2);
  EXPECT_FALSE(SetBrushOrgEx(nullptr, 0, 0, nullptr));

  EXPECT_TRUE(StretchBlt(toDc, 1, 1, 4, 4, fromDc, 0, 0, 2, 2, SRCCOPY));
  const COLORREF a = source[0], b = source[1], c = source[2], d = source[3];
  const Pixels expected{w, w, w, w, w, w,  //
                        w, a, a, b, b, w,  //
                        w, a, a, b, b, w,  //
                        w, c, c, d, d, w,  //
                        w, c, c, d, d, w};
  Pixels read;
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 6; ++x) read.push_back(GetPixel(toDc, x, y));
  }
  EXPECT_EQ(read, expected);

  if (!IsPaletteDisplay()) {
    EXPECT_EQ(SetStretchBltMode(toDc, HALFTONE), COLORONCOLOR);
    SetBrushOrgEx(toDc, 0, 0, nullptr);
    HBITMAP plain = MakeBitmap(screen, dib_image::Encode({24, BI_RGB, 40, false, 0}, 2, 2, Pixels(4, a)));
    SelectObject(fromDc, plain);
    EXPECT_TRUE(StretchBlt(toDc, 0, 0, 6, 5, fromDc, 0, 0, 2, 2, SRCCOPY));
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 6; ++x) EXPECT_EQ(GetPixel(toDc, x, y), a) << x << "," << y;
    }
    SelectObject(fromDc, from);
    DeleteObject(plain);
  }
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(StretchBlt(nullptr, 0, 0, 2, 2, fromDc, 0, 0, 1, 1, SRCCOPY));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));

  SelectObject(fromDc, fromBefore);
  SelectObject(toDc, toBefore);
  DeleteDC(fromDc);
  DeleteDC(toDc);
  DeleteObject(from);
  DeleteObject(to);
  ReleaseDC(nullptr, screen);
}

}  // namespace
