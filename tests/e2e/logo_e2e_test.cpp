// The logo window on a real (virtual) screen: class, title, centring, the
// picture of the settled mode and edition, closing, and the switches that
// forbid it. The Palette8 tests run on an 8-bit palette display.
#include <gtest/gtest.h>

#include "probe_session.h"

namespace {

struct Picture {
  int width = 0;
  int height = 0;
};

// The size of a logo bitmap as the English resource library holds it.
Picture PictureSize(const std::string& name) {
  Picture size;
  HMODULE resources = LoadLibraryExA((BuildBinFolder() + "\\OxaRes0.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!resources) return size;
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(resources, name.c_str(), IMAGE_BITMAP, 0, 0, 0));
  if (bitmap) {
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    size.width = info.bmWidth;
    size.height = info.bmHeight;
    DeleteObject(bitmap);
  }
  FreeLibrary(resources);
  return size;
}

// The product title of the English resource library.
std::string EnglishTitle() {
  HMODULE resources = LoadLibraryA((BuildBinFolder() + "\\OxaRes0.dll").c_str());
  if (!resources) return "";
  typedef int(__cdecl * Lookup)(const char*);
  auto lookup = reinterpret_cast<Lookup>(reinterpret_cast<void*>(GetProcAddress(resources, "GetResourceID")));
  char title[512] = "";
  if (lookup) LoadStringA(resources, static_cast<UINT>(lookup("PROGRAM_TITLE")), title, sizeof title);
  FreeLibrary(resources);
  return title;
}

class LogoE2eTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProductRegistry(); }
  void TearDown() override { ResetProductRegistry(); }

  void ExpectLogo(const std::string& line, const std::string& bitmap, int minimumMatch) {
    InstallFolder install("logo", {0});
    ProbeResult run = install.Run(line + " --close-logo --expect-bitmap " + bitmap + " --capture " +
                                  install.File("logo.png"));
    ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
    const JsonValue& logo = run.report["logoWindow"];
    ASSERT_FALSE(logo.IsNull()) << "no logo window: " << run.out;
    EXPECT_EQ(logo["className"].text, "TarvexLogoWndClass");
    EXPECT_EQ(logo["text"].text, EnglishTitle());
    EXPECT_TRUE(logo["visible"].boolean);

    // The bitmap widened by a dialog frame on each side, plus one frame more,
    // centred with division that truncates toward zero.
    Picture picture = PictureSize(bitmap);
    ASSERT_GT(picture.width, 0) << bitmap;
    const int frameX = GetSystemMetrics(SM_CXDLGFRAME), frameY = GetSystemMetrics(SM_CYDLGFRAME);
    RECT widened = {0, 0, picture.width, picture.height};
    AdjustWindowRect(&widened, WS_POPUP | WS_DLGFRAME, FALSE);
    const int width = frameX + widened.right - widened.left;
    const int height = frameY + widened.bottom - widened.top;
    EXPECT_EQ(logo["width"].number, width);
    EXPECT_EQ(logo["height"].number, height);
    EXPECT_EQ(logo["x"].number, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(logo["y"].number, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    EXPECT_GE(logo["bitmapMatchPercent"].number, minimumMatch) << "the window does not show " << bitmap;
    EXPECT_EQ(logo["capture"].text, install.File("logo.png"));

    // The first close deletes the font (non-zero), the second finds nothing.
    const JsonValue& closes = run.report["logoClose"];
    EXPECT_NE(closes[0].number, 0);
    EXPECT_EQ(closes[1].number, 0);
    EXPECT_FALSE(run.report["logoWindowAfterClose"].boolean);
  }
};

TEST_F(LogoE2eTest, MainModeShowsTheEditionsPicture) { ExpectLogo("/standard", "SVGA_LOGO_ZOLT", 95); }

TEST_F(LogoE2eTest, FormsModeShowsTheFormsPicture) { ExpectLogo("/form", "SVGA_LOGO_PELTRA", 95); }

TEST_F(LogoE2eTest, DisabledFormsShowTheOtherEditionsPicture) {
  ImportRegFile("disable_forms_on.reg");
  ExpectLogo("", "SVGA_LOGO_MEREL", 95);
}

TEST_F(LogoE2eTest, Palette8DisplayShowsThePictureThroughItsPalette) {
  HDC screen = GetDC(nullptr);
  int depth = GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  ASSERT_EQ(depth, 8) << "this test needs an 8-bit display";
  ExpectLogo("/standard", "SVGA_LOGO_ZOLT", 80);
}

TEST_F(LogoE2eTest, SwitchesThatForbidTheLogoShowNone) {
  InstallFolder install("logo-forbidden", {0});
  for (const char* line : {"/nologo", "/automation", "-Embedding", "/standard /NoLogo"}) {
    ProbeResult run = install.Run(std::string("--close-logo ") + line);
    ASSERT_EQ(run.exitCode, 0u) << line << run.out << run.err;
    EXPECT_TRUE(run.report["logoWindow"].IsNull()) << line;
    EXPECT_TRUE(run.report["modeDialog"].IsNull()) << line;
    EXPECT_EQ(run.report["logoClose"][0].number, 0) << line;
  }
}

}  // namespace
