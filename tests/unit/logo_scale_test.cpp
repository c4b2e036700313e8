// The logo at the display's DPI: its scale and size, how it is drawn, the
// status line at that scale, and the line's colour on dark and light logos.
#include "logo/logo_scale.h"

#include <gtest/gtest.h>
#include <winsim/control.h>

#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "logo/logo_window.h"
#include "logo/status_line.h"
#include "startup_fixture.h"
#include "test_dib.h"

namespace {

// ---- the scale, with the frame winsim gives WS_POPUP | WS_DLGFRAME and the client edge

struct ScaleCase {
  const char* what;
  int dpi;
  SIZE bitmap;
  RECT workArea;
  SIZE client;  // the bitmap's size at the chosen scale
};

class LogoScaleTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(LogoScaleTest, DpiOver96HeldTo90PercentOfTheWorkAreaNeverBelowOne) {
  const ScaleCase& c = GetParam();
  const LogoScale scale = ChooseLogoScale(c.dpi, c.bitmap, SIZE{10, 10}, c.workArea);
  EXPECT_EQ(ScaledLength(c.bitmap.cx, scale), c.client.cx) << c.what;
  EXPECT_EQ(ScaledLength(c.bitmap.cy, scale), c.client.cy) << c.what;
}

const RECT kScreen{0, 0, 1024, 768};
INSTANTIATE_TEST_SUITE_P(
    Table, LogoScaleTest,
    ::testing::Values(ScaleCase{"96 is the bitmap's own size", 96, {400, 300}, kScreen, {400, 300}},
                      ScaleCase{"under 96 is never smaller", 72, {400, 300}, kScreen, {400, 300}},
                      ScaleCase{"144 rounds 7.5 up", 144, {5, 3}, kScreen, {8, 5}},
                      ScaleCase{"192 doubles", 192, {400, 300}, kScreen, {800, 600}},
                      // 921 - 10 pixels of room across: 911 / 500.
                      ScaleCase{"too wide is held to the work area", 192, {500, 300}, kScreen, {911, 547}},
                      ScaleCase{"a low work area holds the height", 192, {400, 300}, {0, 40, 1024, 540}, {587, 440}},
                      ScaleCase{"larger than the screen stays as it is", 192, {1100, 300}, kScreen, {1100, 300}},
                      ScaleCase{"no width is never scaled", 192, {0, 300}, kScreen, {0, 300}},
                      ScaleCase{"no height is never scaled", 192, {400, 0}, kScreen, {400, 0}},
                      ScaleCase{"one row high is scaled", 192, {1, 1}, kScreen, {2, 2}}),
    [](const ::testing::TestParamInfo<ScaleCase>& info) { return "Case" + std::to_string(info.index); });

// ---- the window and its painting at a DPI

// A resource library with the main mode's logo: 400 by 300 pixels of one
// colour, 24 bits per pixel, or the noisy 8-bit one.
winsim::ModuleImage OneLogo(const std::vector<BYTE>& dib) {
  winsim::ModuleImage image;
  image.bitmaps["SVGA_LOGO_ZOLT"] = dib;
  return image;
}

std::vector<BYTE> UniformDib(COLORREF colour) {
  std::vector<BYTE> dib = test_dib::Plain(400, 300, 24);
  for (size_t i = 40; i + 2 < dib.size(); i += 3) {
    dib[i] = GetBValue(colour), dib[i + 1] = GetGValue(colour), dib[i + 2] = GetRValue(colour);
  }
  return dib;
}

class ScaledLogoTest : public StartupTest {
 protected:
  void Show(const std::vector<BYTE>& dib) {
    PrepareMainModeLogo(startup, ownModule, OneLogo(dib));
    startup.CreateLogoWindow();
    ASSERT_NE(startup.Logo().Window(), nullptr);
  }
};

struct DrawCase {
  int bitsPerPixel;
  int stretchMode;
};

class ScaledDrawTest : public ScaledLogoTest, public ::testing::WithParamInterface<DrawCase> {};

TEST_P(ScaledDrawTest, At192TheWindowFramesTheDoubledBitmapAndStretchesIt) {
  winsim::SetDisplayBitsPerPixel(GetParam().bitsPerPixel);
  winsim::SetDisplayDpi(192);
  Show(test_dib::Plain(400, 300, 8));
  // 800 by 600 with the dialog frame and the client edge: 810 by 610, centred.
  const RECT window = winsim::WindowsCreated().back().rect;
  RECT client{};
  GetClientRect(startup.Logo().Window(), &client);
  EXPECT_EQ(std::make_tuple(window.left, window.top, window.right, window.bottom, client.right, client.bottom),
            std::make_tuple(107, 79, 107 + 810, 79 + 610, 800, 600));

  ASSERT_EQ(winsim::BitBlts().size(), 1u);
  ASSERT_NE(startup.Logo().Palette(), nullptr) << "the palette rules hold at 8 bits too";
  const winsim::BitBltRecord& blit = winsim::BitBlts()[0];
  EXPECT_EQ(std::make_tuple(blit.stretched, blit.destinationWindow, blit.width, blit.height, blit.sourceWidth,
                            blit.sourceHeight, blit.sourceBitmap, blit.stretchMode, blit.brushOrigin.x,
                            blit.brushOrigin.y, blit.destinationPalette),
            std::make_tuple(true, startup.Logo().Window(), 800, 600, 400, 300, startup.Logo().Bitmap(),
                            GetParam().stretchMode, 0, 0, startup.Logo().Palette()));
  const winsim::FontRecord& font = winsim::FontsCreated().back();
  EXPECT_EQ(std::make_pair(font.height, font.width), std::make_pair(22, 10));
  startup.OnProcessDetach();
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::DeviceContext), 0);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GdiObject), 0);
}

INSTANTIATE_TEST_SUITE_P(Displays, ScaledDrawTest,
                         ::testing::Values(DrawCase{32, HALFTONE}, DrawCase{8, COLORONCOLOR}));

// The work area, not the screen, holds the logo back: 450 - 10 pixels of room down.
TEST_F(ScaledLogoTest, AWorkAreaTooLowForTheDoubledLogoHoldsItToNinetyPercent) {
  winsim::SetDisplayDpi(192);
  winsim::SetWorkArea(RECT{0, 0, 1024, 500});
  Show(test_dib::Plain(400, 300, 8));
  RECT client{};
  GetClientRect(startup.Logo().Window(), &client);
  EXPECT_EQ(std::make_pair(client.right, client.bottom), std::make_pair(LONG(587), LONG(440)));
}

TEST_F(ScaledLogoTest, At96NoneOfTheScaledCallsIsMade) {
  Show(test_dib::Plain(400, 300, 8));
  for (const char* call : {"AdjustWindowRectEx", "SystemParametersInfoA", "StretchBlt", "SetStretchBltMode"}) {
    EXPECT_EQ(winsim::CallCount(call), 0) << call;
  }
  EXPECT_EQ(winsim::CallCount("BitBlt"), 1);
}

// ---- the status line at 192 DPI, and its colour

struct ColourCase {
  const char* what;
  COLORREF logo;
  COLORREF text;
};

class StatusColourTest : public ScaledLogoTest, public ::testing::WithParamInterface<ColourCase> {};

TEST_P(StatusColourTest, TheBandFontAndColourFollowTheLogo) {
  winsim::SetDisplayDpi(192);
  Show(UniformDib(GetParam().logo));
  ASSERT_EQ(startup.SetStatusText("Loading modules"), 1);
  const winsim::TextRecord& drawn = winsim::TextDrawn().back();
  // The band: 12 pixels in from each side, its 36 rows at the foot of the 800 by 600 client.
  EXPECT_EQ(std::make_tuple(drawn.rect.left, drawn.rect.top, drawn.rect.right, drawn.textColour),
            std::make_tuple(LONG(12), LONG(600 - 36), LONG(800 - 12), GetParam().text))
      << GetParam().what;
  EXPECT_GE(ContrastRatio(drawn.textColour, GetParam().logo), 4.5) << GetParam().what;
  const winsim::InvalidateRecord& invalidated = winsim::Invalidations().back();
  EXPECT_EQ(invalidated.rect.top, 600 - 36);
}

INSTANTIATE_TEST_SUITE_P(
    Logos, StatusColourTest,
    ::testing::Values(ColourCase{"dark logo", RGB(20, 24, 40), kStatusLightColour},
                      ColourCase{"light logo", RGB(236, 238, 232), kStatusColour},
                      // Slate 2.96:1, white 4.17:1: black, at 5.0:1, is the one that reads.
                      ColourCase{"mid-grey logo", RGB(124, 124, 124), kStatusDarkColour},
                      ColourCase{"darker mid-grey logo", RGB(100, 100, 100), kStatusLightColour}));

// ---- the scale at the edge of the work area, as a whole record

TEST(ChooseLogoScale, AWindowOfExactly90PercentKeepsTheDpiScale) {
  const struct {
    const char* what;
    int workWidth;
    LogoScale scale;
  } cases[] = {
      // 900 * 9 / 10 - 10 leaves 800 pixels: the doubled 400 just fits.
      {"exactly 90%", 900, {192, 96}},
      {"one pixel short", 899, {799, 400}},
      {"one pixel to spare", 901, {192, 96}},
  };
  for (const auto& c : cases) {
    const LogoScale scale = ChooseLogoScale(192, SIZE{400, 300}, SIZE{10, 10}, RECT{0, 0, c.workWidth, 1024});
    EXPECT_EQ(std::make_pair(scale.numerator, scale.denominator),
              std::make_pair(c.scale.numerator, c.scale.denominator))
        << c.what;
  }
}

// ---- the band's mean colour, read from the bitmap's own pixels

// A 24-bit DIB of `width` by `height` pixels, each of the colour
// `colourAt(x, row)` gives; row 0 is the bottom one.
template <typename ColourAt>
std::vector<BYTE> PaintedDib(LONG width, LONG height, ColourAt colourAt) {
  std::vector<BYTE> dib = test_dib::Plain(width, height, 24);
  const size_t row = test_dib::RowBytes({40, width, height, 24, BI_RGB, 0});
  for (LONG y = 0; y < height; ++y) {
    for (LONG x = 0; x < width; ++x) {
      const COLORREF colour = colourAt(x, y);
      BYTE* pixel = &dib[40 + y * row + 3 * x];
      pixel[0] = GetBValue(colour), pixel[1] = GetGValue(colour), pixel[2] = GetRValue(colour);
    }
  }
  return dib;
}

// Column 0 `first`, the others `rest`.
std::vector<BYTE> TwoColourDib(LONG width, LONG height, COLORREF first, COLORREF rest) {
  return PaintedDib(width, height, [&](LONG x, LONG) { return x == 0 ? first : rest; });
}

TEST(BandMeanColour, EveryChannelAndColumnCountsAndAnUnreadableBandGivesTheFallback) {
  FreshMachine machine;
  const COLORREF kFallback = RGB(1, 2, 3);
  const struct {
    const char* what;
    LONG width;
    int rows;
    const char* failing;  // null: none
    COLORREF mean;
  } cases[] = {
      // Columns 0 and 1: (200, 40, 8) and (100, 20, 4).
      {"two columns, each channel its own", 2, 18, nullptr, RGB(150, 30, 6)},
      {"a one-row band", 2, 1, nullptr, RGB(150, 30, 6)},
      {"no rows", 2, 0, nullptr, kFallback},
      {"no pixel can be read", 2, 18, "GetPixel", kFallback},
      {"no memory device context", 2, 18, "CreateCompatibleDC", kFallback},
  };
  for (const auto& c : cases) {
    const std::vector<BYTE> dib = TwoColourDib(c.width, 30, RGB(200, 40, 8), RGB(100, 20, 4));
    HDC screen = GetDC(nullptr);
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
    HBITMAP bitmap = CreateDIBitmap(screen, header, CBM_INIT, dib.data() + 40,
                                    reinterpret_cast<const BITMAPINFO*>(dib.data()), DIB_RGB_COLORS);
    ASSERT_NE(bitmap, nullptr);
    if (c.failing != nullptr) winsim::InjectFailure(c.failing, 0, -1);
    EXPECT_EQ(BandMeanColour(screen, bitmap, nullptr, c.rows, kFallback), c.mean) << c.what;
    winsim::Reset();
  }
}

// The bottom `bandRows` rows `band`, the rows above black.
std::vector<BYTE> BandDib(LONG width, LONG height, LONG bandRows, COLORREF band) {
  return PaintedDib(width, height, [&](LONG, LONG row) { return row < bandRows ? band : RGB(0, 0, 0); });
}

// Only the band's rows are sampled, over the whole band: 16 lines spread
// over a band taller than 16 rows, and a band past the bitmap held to it.
TEST(BandMeanColour, SamplesTheBandsRowsOnly) {
  FreshMachine machine;
  const COLORREF kBand = RGB(160, 80, 16);
  const struct {
    const char* what;
    LONG width, bandRows;
    int rows;
    COLORREF mean;
  } cases[] = {
      {"exactly the band", 2, 10, 10, kBand},
      {"a band wider than 64 columns", 200, 10, 10, kBand},
      {"the band's top row only", 2, 1, 1, kBand},
      // Rows 0, 1, 3, ... 28 of 30 are sampled: 5 of the 16 lie in the bottom 10.
      {"a band past the bitmap", 2, 10, 40, RGB(50, 25, 5)},
      // Rows 10, 11, 12, 13, 15, ... 28 of 20 rows: 8 of the 16 lie in the bottom 10.
      {"16 lines spread over 20 rows", 2, 10, 20, RGB(80, 40, 8)},
  };
  HDC screen = GetDC(nullptr);
  for (const auto& c : cases) {
    const std::vector<BYTE> dib = BandDib(c.width, 30, c.bandRows, kBand);
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
    HBITMAP bitmap = CreateDIBitmap(screen, header, CBM_INIT, dib.data() + 40,
                                    reinterpret_cast<const BITMAPINFO*>(dib.data()), DIB_RGB_COLORS);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(BandMeanColour(screen, bitmap, nullptr, c.rows, RGB(1, 2, 3)), c.mean) << c.what;
    DeleteObject(bitmap);
  }
  ReleaseDC(nullptr, screen);
}

// A logo whose band cannot be measured is taken as white under the band: the slate reads there.
TEST_F(ScaledLogoTest, AnUnmeasurableBandGetsTheSlate) {
  Show(UniformDib(RGB(0, 0, 0)));
  winsim::InjectFailure("GetPixel", 0, -1);
  ASSERT_EQ(startup.SetStatusText("Loading modules"), 1);
  EXPECT_EQ(winsim::TextDrawn().back().textColour, kStatusColour);
}

TEST(ContrastRatio, AsWcagDefinesIt) {
  EXPECT_DOUBLE_EQ(ContrastRatio(RGB(0, 0, 0), RGB(255, 255, 255)), 21.0);
  EXPECT_DOUBLE_EQ(ContrastRatio(RGB(255, 255, 255), RGB(0, 0, 0)), 21.0);
  EXPECT_DOUBLE_EQ(ContrastRatio(RGB(90, 90, 90), RGB(90, 90, 90)), 1.0);
  // #777777 on white is the classic 4.48: just short.
  EXPECT_NEAR(ContrastRatio(RGB(0x77, 0x77, 0x77), RGB(255, 255, 255)), 4.48, 0.01);
}

}  // namespace
