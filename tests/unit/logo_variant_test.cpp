// The logo's bitmap for the display's scale: which variant is chosen, how it
// is drawn, and the fall-back past a variant that cannot serve.
#include "logo/logo_variant.h"

#include <gtest/gtest.h>
#include <winsim/control.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "guarded_buffer.h"
#include "logo/status_colour.h"
#include "startup_fixture.h"
#include "test_dib.h"

namespace {

struct ChoiceCase {
  const char* what;
  std::vector<SIZE> sizes;
  SIZE target;
  int chosen;
};

TEST(LogoVariantTest, ChoosesTheExactThenTheNearestLargerThenTheLargest) {
  const ChoiceCase cases[] = {
      {"none", {}, {800, 600}, -1},
      {"exact among others", {{500, 375}, {800, 600}, {1000, 750}}, {800, 600}, 1},
      {"the nearest larger, to shrink", {{1000, 750}, {600, 450}, {800, 600}}, {700, 525}, 2},
      {"the nearest larger listed first", {{800, 600}, {1000, 750}}, {700, 525}, 0},
      {"larger one way only does not cover", {{900, 500}, {1000, 750}}, {800, 600}, 1},
      {"as wide and taller covers", {{1000, 750}, {800, 700}}, {800, 600}, 1},
      {"as tall and wider covers", {{1000, 750}, {900, 600}}, {800, 600}, 1},
      {"as tall but narrower is not exact", {{700, 600}, {1000, 750}}, {800, 600}, 1},
      {"none larger: the largest, to enlarge", {{500, 375}, {600, 450}}, {800, 600}, 1},
      {"one pixel short is not exact", {{799, 600}}, {800, 600}, 0},
  };
  for (const ChoiceCase& c : cases) {
    EXPECT_EQ(ChooseLogoVariant(c.sizes.data(), static_cast<int>(c.sizes.size()), c.target), c.chosen) << c.what;
  }
}

TEST(LogoVariantTest, TheNameIsTheBitmapsWithItsScaleInPercent) {
  GuardedBuffer<char, 32> name;
  LogoVariantName("SVGA_LOGO_ZOLT", 200, name.data(), 32);
  EXPECT_EQ(std::string(name.data()), "SVGA_LOGO_ZOLT_200");
  GuardedBuffer<char, 8> cut;
  LogoVariantName("SVGA_LOGO_ZOLT", 200, cut.data(), 8);
  EXPECT_EQ(std::string(cut.data()), "SVGA_LO");
  EXPECT_TRUE(cut.UntouchedFrom());
  // One byte holds the terminator only; none is never written.
  GuardedBuffer<char, 1> one;
  LogoVariantName("SVGA_LOGO_ZOLT", 200, one.data(), 1);
  EXPECT_EQ(one.data()[0], '\0');
  EXPECT_TRUE(one.UntouchedFrom());
  GuardedBuffer<char, 0> none;
  LogoVariantName("SVGA_LOGO_ZOLT", 200, none.data(), 0);
  EXPECT_TRUE(none.UntouchedFrom(0));
}

// ---- the logo window with variants in the resource library

// A 4 by 4 DIB of 8-bit pixels that declares itself 10000 pixels
// square, run-length encoded: whole, but past a logo's size limit.
std::vector<BYTE> Oversized() {
  std::vector<BYTE> dib = test_dib::Plain(4, 4, 8);
  test_dib::Put32(dib, 4, 10000);
  test_dib::Put32(dib, 8, 10000);
  test_dib::Put32(dib, 16, BI_RLE8);
  test_dib::Put32(dib, 20, 16);
  return dib;
}

std::vector<BYTE> Damaged() {
  std::vector<BYTE> dib = test_dib::Plain(800, 600, 8);
  dib.resize(100);
  return dib;
}

struct DrawnCase {
  const char* what;
  int dpi;
  int bitsPerPixel;                                         // the display's
  std::vector<std::pair<int, std::vector<BYTE>>> variants;  // scale in percent, DIB
  std::vector<std::string> lines;                           // the library's lines on the variants
  int stretches;                                            // StretchBlt calls of the first paint
  bool refuseFirstVariant = false;                          // the platform makes no bitmap of it
};

class LogoVariantDrawTest : public StartupTest {
 protected:
  // Shows the main mode's logo of a 400 by 300 bitmap and `c`'s variants at `c.dpi`.
  static void Show(ProductStartup& shown, HMODULE own, const DrawnCase& c) {
    winsim::SetDisplayDpi(c.dpi);
    winsim::SetDisplayBitsPerPixel(c.bitsPerPixel);
    winsim::ModuleImage image;
    for (const std::string base : {"SVGA_LOGO_ZOLT", "VGA_LOGO_ZOLT"}) {
      image.bitmaps[base] = test_dib::Plain(400, 300, 8);
      for (const auto& variant : c.variants) image.bitmaps[base + "_" + std::to_string(variant.first)] = variant.second;
    }
    // The logo's own bitmap is made first, then the variant.
    if (c.refuseFirstVariant) winsim::InjectFailure("CreateDIBitmap", 1);
    PrepareMainModeLogo(shown, own, image);
    shown.CreateLogoWindow();
  }
  // The lines on the variants and the drawn bitmap, without "TarvexLogo: ".
  static std::vector<std::string> VariantLines() {
    std::vector<std::string> lines;
    for (const std::string& line : winsim::DebugOutput()) {
      for (const char* start : {"TarvexLogo: logo variant ", "TarvexLogo: logo drawn at "}) {
        if (line.rfind(start, 0) == 0) lines.push_back(line.substr(12, line.size() - 13));
      }
    }
    return lines;
  }
};

TEST_F(LogoVariantDrawTest, TheVariantThatFitsIsDrawnAndOneThatCannotServeIsLeftAside) {
  const std::string drawn = "logo drawn at ";
  const DrawnCase cases[] = {
      {"200% at 192: pixel for pixel",
       192,
       24,
       {{200, test_dib::Plain(800, 600, 8)}},
       {drawn + "192 DPI: 800x600 pixels from bitmap SVGA_LOGO_ZOLT_200 of 800x600, pixel for pixel"},
       0},
      {"150% at 144 beside 200%",
       144,
       24,
       {{150, test_dib::Plain(600, 450, 8)}, {200, test_dib::Plain(800, 600, 8)}},
       {drawn + "144 DPI: 600x450 pixels from bitmap SVGA_LOGO_ZOLT_150 of 600x450, pixel for pixel"},
       0},
      {"200% shrunk at 144",
       144,
       24,
       {{200, test_dib::Plain(800, 600, 8)}},
       {drawn + "144 DPI: 600x450 pixels from bitmap SVGA_LOGO_ZOLT_200 of 800x600, stretched"},
       1},
      {"the largest enlarged at 192",
       192,
       24,
       {{125, test_dib::Plain(500, 375, 8)}, {150, test_dib::Plain(600, 450, 8)}},
       {drawn + "192 DPI: 800x600 pixels from bitmap SVGA_LOGO_ZOLT_150 of 600x450, stretched"},
       1},
      {"no variant: the bitmap stretched",
       192,
       24,
       {},
       {drawn + "192 DPI: 800x600 pixels from bitmap SVGA_LOGO_ZOLT of 400x300, stretched"},
       1},
      {"a damaged 200%: the 150% enlarged",
       192,
       24,
       {{150, test_dib::Plain(600, 450, 8)}, {200, Damaged()}},
       {"logo variant SVGA_LOGO_ZOLT_200 left aside: damaged",
        drawn + "192 DPI: 800x600 pixels from bitmap SVGA_LOGO_ZOLT_150 of 600x450, stretched"},
       1},
      {"an oversized 200%: the bitmap itself",
       192,
       24,
       {{200, Oversized()}},
       {"logo variant SVGA_LOGO_ZOLT_200 left aside: larger than a logo may be",
        drawn + "192 DPI: 800x600 pixels from bitmap SVGA_LOGO_ZOLT of 400x300, stretched"},
       1},
      {"96 looks at none", 96, 24, {{200, test_dib::Plain(800, 600, 8)}}, {}, 0},
      {"a 200% the platform refuses: the 150% enlarged",
       192,
       24,
       {{150, test_dib::Plain(600, 450, 8)}, {200, test_dib::Plain(800, 600, 8)}},
       {"logo variant SVGA_LOGO_ZOLT_200 left aside: it could not be made into a picture",
        drawn + "192 DPI: 800x600 pixels from bitmap SVGA_LOGO_ZOLT_150 of 600x450, stretched"},
       1,
       true},
      {"a VGA display keeps the VGA bitmap's size",
       192,
       4,
       {{200, test_dib::Plain(800, 600, 8)}},
       {drawn + "192 DPI: 800x600 pixels from bitmap VGA_LOGO_ZOLT of 400x300, stretched"},
       1},
  };
  for (const DrawnCase& c : cases) {
    winsim::Reset();
    const HMODULE own = winsim::AddLoadedModule("C:\\Program Files\\Tarvex\\TarvexLogo.dll", OwnModuleImage());
    ProductStartup shown;
    Show(shown, own, c);
    ASSERT_NE(shown.Logo().Window(), nullptr) << c.what;
    EXPECT_EQ(VariantLines(), c.lines) << c.what;
    EXPECT_EQ(std::make_pair(winsim::CallCount("StretchBlt"), winsim::CallCount("BitBlt")),
              std::make_pair(c.stretches, 1 - c.stretches))
        << c.what;
    shown.CloseLogo();
  }
}

// At 96 DPI a library with variants is read as one without: the same calls.
TEST_F(LogoVariantDrawTest, At96TheVariantsChangeNoCall) {
  std::vector<std::string> calls[2];
  const DrawnCase libraries[] = {
      {"without variants", 96, 24, {}, {}, 0},
      {"with variants", 96, 24, {{150, test_dib::Plain(600, 450, 8)}, {200, test_dib::Plain(800, 600, 8)}}, {}, 0}};
  for (int i = 0; i < 2; ++i) {
    winsim::Reset();
    const HMODULE own = winsim::AddLoadedModule("C:\\Program Files\\Tarvex\\TarvexLogo.dll", OwnModuleImage());
    ProductStartup shown;
    winsim::ClearCalls();
    Show(shown, own, libraries[i]);
    calls[i] = winsim::Calls();
    shown.CloseLogo();
  }
  EXPECT_EQ(calls[1], calls[0]);
}

// The line's colour comes from the rows of the drawn picture under the band:
// at 200% the band is 36 rows of the variant, half white and half black here,
// a mid grey on which black reads; its bottom 18 rows alone would be white.
TEST_F(LogoVariantDrawTest, TheStatusColourReadsTheVariantsRowsUnderTheBand) {
  std::vector<BYTE> variant = test_dib::Plain(800, 600, 24);
  constexpr size_t kRow = 800 * 3;
  for (size_t row = 0; row < 600; ++row) {
    // Rows run bottom-up: the 18 above the lowest 18 are black.
    std::fill_n(variant.begin() + 40 + static_cast<long>(row * kRow), kRow, BYTE(row >= 18 && row < 36 ? 0 : 255));
  }
  Show(startup, ownModule, DrawnCase{"", 192, 24, {{200, variant}}, {}, 0});
  ASSERT_EQ(startup.SetStatusText("Loading modules"), 1);
  EXPECT_EQ(winsim::TextDrawn().back().textColour, kStatusDarkColour);
}

}  // namespace
