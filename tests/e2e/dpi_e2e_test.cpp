// The logo at the DPI the prefix gives (LogPixels, set by the session): at
// DPI / 96 of its size in a frame that allows for every edge, centred, and
// showing the resource library's picture drawn for that scale pixel for
// pixel. At 96 it is today's logo. The DpiPalette8 test runs on an 8-bit
// palette display.
#include <gtest/gtest.h>

#include <cstdlib>

#include <ostream>
#include <string>
#include <utility>

#include "probe_session.h"

namespace {

// True when one of the library's diagnostics lines in `run` holds `text`.
bool Said(const ProbeResult& run, const std::string& text) {
  for (const JsonValue& line : run.report["diagnostics"].items) {
    if (line.text.find(text) != std::string::npos) return true;
  }
  return false;
}

// Where the logo stands and how large its client area is, in pixels.
struct LogoPlace {
  int x, y, width, height, clientWidth, clientHeight;
  bool operator==(const LogoPlace& other) const {
    return x == other.x && y == other.y && width == other.width && height == other.height &&
           clientWidth == other.clientWidth && clientHeight == other.clientHeight;
  }
};
void PrintTo(const LogoPlace& p, std::ostream* out) {
  *out << "{" << p.x << ", " << p.y << ", " << p.width << ", " << p.height << ", " << p.clientWidth << ", "
       << p.clientHeight << "}";
}

// The 400 by 300 logo centred on the session's 1024 by 768 screen, with
// Wine's frames of 5 pixels a side at every DPI: at 96 the window of old,
// whose client falls one pixel short of the bitmap; above it, the bitmap
// scaled by DPI / 96 and a frame that allows for every edge.
LogoPlace ExpectedPlace(int dpi) {
  switch (dpi) {
    case 96: return {307, 229, 409, 309, 399, 299};
    case 144: return {207, 154, 610, 460, 600, 450};
    case 192: return {107, 79, 810, 610, 800, 600};
    default: return {};
  }
}

class DpiE2eTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProductRegistry(); }
  void TearDown() override { ResetProductRegistry(); }

  // Runs the probe on the main mode's logo and checks its place and picture;
  // `minimumMatch` percent of the pixels within the probe's tolerance.
  void ExpectScaledLogo(int minimumMatch) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    const int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    // The session's DPI as the test command set it: a setting that did not
    // take would otherwise pass every case on the 96-DPI path.
    const char* intended = std::getenv("TARVEX_EXPECTED_DPI");
    ASSERT_NE(intended, nullptr) << "the ctest entry names the session's DPI";
    ASSERT_EQ(dpi, std::atoi(intended)) << "the session's DPI setting did not take";

    // The project's resource libraries carry the logo drawn at 150% and 200%.
    const std::string drawn = dpi == 96 ? "SVGA_LOGO_ZOLT" : "SVGA_LOGO_ZOLT_" + std::to_string(dpi * 100 / 96);
    InstallFolder install("dpi", {0});
    ProbeResult run = install.Run("/standard --expect-bitmap " + drawn + " --status \"Loading modules\"");
    ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
    const JsonValue& logo = run.report["logoWindow"];
    ASSERT_FALSE(logo.IsNull()) << run.out;
    EXPECT_EQ(logo["dpi"].number, dpi);
    const LogoPlace shown = {int(logo["x"].number),     int(logo["y"].number),
                             int(logo["width"].number), int(logo["height"].number),
                             int(logo["clientWidth"].number), int(logo["clientHeight"].number)};
    EXPECT_EQ(shown, ExpectedPlace(dpi)) << run.out;
    EXPECT_EQ(std::make_pair(logo["bitmapDrawn"].text, logo["stretched"].boolean), std::make_pair(drawn, false))
        << run.out;
    // Every pixel outside the status line as the bitmap has it; a palette
    // display shows the nearest colours it has.
    EXPECT_GE(logo["outsideStatusBandMatchPercent"].number, bits > 8 ? 100 : minimumMatch) << run.out;
    EXPECT_LT(logo["statusBandMatchPercent"].number, 100) << "no status line: " << run.out;
    if (dpi > 96) {
      EXPECT_TRUE(Said(run, "logo drawn at " + std::to_string(dpi) + " DPI")) << run.out;
    }
    // On a palette display the logo's palette is made, selected and realized.
    if (bits <= 8) {
      EXPECT_TRUE(Said(run, "with its palette")) << run.out;
    }
  }
};

TEST_F(DpiE2eTest, DpiLogoIsTheBitmapScaledInItsFrameAndCentred) { ExpectScaledLogo(100); }

TEST_F(DpiE2eTest, DpiPalette8ShowsTheBitmapsColoursThroughItsPalette) {
  HDC screen = GetDC(nullptr);
  const int depth = GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  ASSERT_EQ(depth, 8) << "this test needs an 8-bit display";
  ExpectScaledLogo(80);
}

}  // namespace
