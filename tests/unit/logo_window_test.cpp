#include "logo/logo_window.h"

#include <gtest/gtest.h>
#include <winsim/control.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "startup_fixture.h"
#include "test_dib.h"
#include "guarded_buffer.h"

namespace {

constexpr DWORD kLogoStyle = WS_POPUP | WS_DLGFRAME;
const char* const kSuffixes[] = {"TAMIR", "MEREL", "ZOLT", "KIRVANE", "DRUVA", "PELTRA", ""};

// A resource library holding every logo name: 400 by 300 pixels, 8 bits per
// pixel under the SVGA names and 4 under the VGA names.
winsim::ModuleImage LogoLibrary() {
  static const std::vector<BYTE> svga = test_dib::Plain(400, 300, 8);
  static const std::vector<BYTE> vga = test_dib::Plain(400, 300, 4);
  winsim::ModuleImage image;
  for (const char* suffix : kSuffixes) {
    image.bitmaps[std::string("SVGA_LOGO_") + suffix] = svga;
    image.bitmaps[std::string("VGA_LOGO_") + suffix] = vga;
  }
  return image;
}

// True when `expected` occurs in `calls` in this order, other calls between.
bool CallsInOrder(const std::vector<std::string>& calls, const std::vector<std::string>& expected) {
  auto at = calls.begin();
  for (const std::string& name : expected) {
    at = std::find(at, calls.end(), name);
    if (at == calls.end()) return false;
    ++at;
  }
  return true;
}

std::string Joined(const std::vector<std::string>& calls) {
  std::string text;
  for (const std::string& call : calls) text += call + " ";
  return text;
}

class LogoWindowTest : public StartupTest {
 protected:
  LogoWindowTest() {
    resources = PrepareMainModeLogo(startup, ownModule, LogoLibrary());
  }

  void ExpectNoLogo() {
    EXPECT_EQ(startup.Logo().Window(), nullptr);
    EXPECT_EQ(startup.Logo().Bitmap(), nullptr);
    EXPECT_EQ(startup.Logo().Font(), nullptr);
    EXPECT_EQ(winsim::CallCount("CreateFontA"), 0);
    EXPECT_EQ(winsim::CallCount("CreateWindowExA"), 0);
  }

  void ExpectNothingLeftAfterDetach() {
    startup.OnProcessDetach();
    EXPECT_EQ(startup.Logo().Palette(), nullptr);
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Window), 0);
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GdiObject), 0);
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::DeviceContext), 0);
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GlobalMemory), 0);
  }

  HMODULE resources;
};

// ---- the bitmap name

struct NameCase {
  bool svga;
  int mode;
  int edition;
  const char* name;
};

class LogoBitmapNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(LogoBitmapNameTest, PrefixByDisplaySuffixByModeAndEdition) {
  const NameCase& c = GetParam();
  StartupPolicy policy;
  policy.SettleMode(static_cast<Mode>(c.mode));
  policy.SettleEdition(static_cast<Edition>(c.edition));
  GuardedBuffer<char, kTextSize> name;
  policy.LogoBitmapName(c.svga, name.data());
  EXPECT_STREQ(name.data(), c.name);
  EXPECT_TRUE(name.UntouchedFrom()) << "written past the buffer";
}

INSTANTIATE_TEST_SUITE_P(Table, LogoBitmapNameTest,
                         ::testing::Values(NameCase{true, 0, 15, "SVGA_LOGO_ZOLT"},
                                           NameCase{true, 0, 14, "SVGA_LOGO_MEREL"},
                                           NameCase{false, 0, 13, "VGA_LOGO_TAMIR"},
                                           NameCase{true, 0, 16, "SVGA_LOGO_KIRVANE"},
                                           NameCase{false, 0, 17, "VGA_LOGO_DRUVA"},
                                           NameCase{true, 0, 99, "SVGA_LOGO_MEREL"},
                                           NameCase{true, 1, 15, "SVGA_LOGO_PELTRA"},
                                           NameCase{false, 1, 13, "VGA_LOGO_PELTRA"},
                                           NameCase{true, 2, 15, "SVGA_LOGO_DRUVA"},
                                           NameCase{false, 2, 14, "VGA_LOGO_DRUVA"},
                                           NameCase{true, 3, 15, "SVGA_LOGO_"},
                                           NameCase{false, -1, 15, "VGA_LOGO_"}));

TEST(LogoBitmapName, BeforeTheEditionIsSettledNamesKirvanesBitmap) {
  StartupPolicy policy;
  char name[kTextSize];
  policy.LogoBitmapName(true, name);
  EXPECT_STREQ(name, "SVGA_LOGO_KIRVANE");
}

// ---- the display class and the loader it picks

struct DepthCase {
  int bitsPerPixel;
  bool svga;
};

class DisplayDepthTest : public LogoWindowTest, public ::testing::WithParamInterface<DepthCase> {};

TEST_P(DisplayDepthTest, EightBitsAndMoreLoadWithAPalette) {
  const DepthCase& c = GetParam();
  winsim::SetDisplayBitsPerPixel(c.bitsPerPixel);
  EXPECT_EQ(IsSvgaDisplay(), c.svga);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::DeviceContext), 0);

  startup.CreateLogoWindow();
  ASSERT_NE(startup.Logo().Window(), nullptr);
  // The plain loader gets the resource only once it is known to be whole.
  EXPECT_EQ(winsim::CallCount("FindResourceA"), 1);
  EXPECT_EQ(winsim::CallCount("LoadBitmapA"), c.svga ? 0 : 1);
  EXPECT_EQ(startup.Logo().Palette() != nullptr, c.svga);
  ASSERT_EQ(winsim::BitmapsCreated().size(), 1u);
  // The 4-bit pictures are the VGA ones.
  EXPECT_EQ(winsim::BitmapsCreated()[0].dibBitCount, c.svga ? 8 : 4);
  ExpectNothingLeftAfterDetach();
}

INSTANTIATE_TEST_SUITE_P(Depths, DisplayDepthTest,
                         ::testing::Values(DepthCase{1, false}, DepthCase{4, false}, DepthCase{7, false},
                                           DepthCase{8, true}, DepthCase{16, true}, DepthCase{32, true}));

TEST_F(LogoWindowTest, NoDesktopDCMeansNoPaletteDisplay) {
  winsim::InjectFailure("GetWindowDC");
  EXPECT_FALSE(IsSvgaDisplay());
}

// ---- placement

struct PlacementCase {
  RECT widened;
  int screenWidth, screenHeight;
  LogoPlacement expected;
};

class LogoPlacementTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(LogoPlacementTest, CentredOneDialogFrameLarger) {
  const PlacementCase& c = GetParam();
  LogoPlacement placed = PlaceLogoWindow(c.widened, 3, 3, c.screenWidth, c.screenHeight);
  EXPECT_EQ(placed.width, c.expected.width);
  EXPECT_EQ(placed.height, c.expected.height);
  EXPECT_EQ(placed.x, c.expected.x);
  EXPECT_EQ(placed.y, c.expected.y);
}

INSTANTIATE_TEST_SUITE_P(Table, LogoPlacementTest,
                         ::testing::Values(PlacementCase{{-3, -3, 403, 303}, 1024, 768, {307, 229, 409, 309}},
                                           PlacementCase{{0, 0, 406, 306}, 800, 600, {195, 145, 409, 309}},
                                           // Truncation toward zero: -3 / 2 is -1, not -2.
                                           PlacementCase{{0, 0, 1024, 100}, 1024, 768, {-1, 332, 1027, 103}},
                                           PlacementCase{{0, 0, 1025, 766}, 1024, 768, {-2, -0, 1028, 769}},
                                           PlacementCase{{-3, -3, 7, 7}, 0, 0, {-6, -6, 13, 13}}));

// ---- creation

TEST_F(LogoWindowTest, ShowsTheCentredLogoPaintedOnce) {
  winsim::SetDisplayBitsPerPixel(8);
  startup.CreateLogoWindow();
  ASSERT_NE(startup.Logo().Window(), nullptr);
  ASSERT_NE(startup.Logo().Bitmap(), nullptr);
  ASSERT_NE(startup.Logo().Palette(), nullptr);
  ASSERT_NE(startup.Logo().Font(), nullptr);

  const winsim::WindowClassRecord logoClass{"TarvexLogoWndClass", 0x000B, &LogoWindowProcedure, 0, 0, ownModule,
                                            nullptr, nullptr, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)), false};
  EXPECT_EQ(winsim::RegisteredClasses(), std::vector<winsim::WindowClassRecord>{logoClass});
  // 400 by 300 pixels widened to 406 by 306, then one dialog frame more,
  // centred on 1024 by 768.
  const winsim::WindowRecord logo{startup.Logo().Window(), "TarvexLogoWndClass", startup.Resources().Title(), 0x80400000, 0x200,
                                  RECT{307, 229, 307 + 409, 229 + 309}, nullptr, ownModule, true, true};
  EXPECT_EQ(winsim::WindowsCreated(), std::vector<winsim::WindowRecord>{logo});

  // Painted inside the call, with the logo's palette selected.
  EXPECT_EQ(winsim::MessageCount(startup.Logo().Window(), WM_PAINT), 1);
  ASSERT_EQ(winsim::BitBlts().size(), 1u);
  const winsim::BitBltRecord& blit = winsim::BitBlts()[0];
  EXPECT_EQ(std::make_tuple(blit.destinationWindow, blit.x, blit.y, blit.width, blit.height, blit.sourceBitmap,
                            blit.sourceX, blit.sourceY, blit.rop, blit.destinationPalette, blit.stretched),
            std::make_tuple(startup.Logo().Window(), 0, 0, 400, 300, startup.Logo().Bitmap(), 0, 0, DWORD{SRCCOPY},
                            startup.Logo().Palette(), false));
  EXPECT_TRUE(CallsInOrder(winsim::Calls(), {"RegisterClassA", "GetDesktopWindow", "FindResourceA", "GetObjectA",
                                             "AdjustWindowRect", "CreateFontA", "CreateWindowExA", "ShowWindow",
                                             "UpdateWindow", "BeginPaint", "BitBlt", "EndPaint"}))
      << Joined(winsim::Calls());
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::DeviceContext), 0);
  ExpectNothingLeftAfterDetach();
}

TEST_F(LogoWindowTest, OnAVgaDisplayThePlainBitmapIsDrawnWithoutPalette) {
  winsim::SetDisplayBitsPerPixel(4);
  startup.CreateLogoWindow();
  ASSERT_NE(startup.Logo().Window(), nullptr);
  EXPECT_EQ(startup.Logo().Palette(), nullptr);
  ASSERT_EQ(winsim::BitBlts().size(), 1u);
  EXPECT_EQ(winsim::BitBlts()[0].sourceBitmap, startup.Logo().Bitmap());
  EXPECT_TRUE(winsim::PaletteSelections().empty());
  EXPECT_EQ(winsim::BitmapsCreated()[0].deviceBitCount, 4);
  ExpectNothingLeftAfterDetach();
}

// A resource the platform's plain loader would read past, on either display.
struct CutLogoCase {
  int bitsPerPixel;
  size_t kept;  // bytes of the 4-bit picture left
};

class CutLogoTest : public LogoWindowTest, public ::testing::WithParamInterface<CutLogoCase> {};

TEST_P(CutLogoTest, ACutBitmapShowsNoLogoAndIsNeverReadPast) {
  const CutLogoCase& c = GetParam();
  winsim::SetDisplayBitsPerPixel(c.bitsPerPixel);
  std::vector<BYTE> cut = test_dib::Plain(400, 300, 4);
  cut.resize(c.kept);
  winsim::ModuleImage image;
  image.bitmaps["VGA_LOGO_ZOLT"] = cut;
  image.bitmaps["SVGA_LOGO_ZOLT"] = cut;
  winsim::AddModuleFile("C:\\Program Files\\Tarvex\\OxaRes1.dll", image);
  startup.Resources().Load(1);
  startup.CreateLogoWindow();
  ExpectNoLogo();
  EXPECT_EQ(winsim::CallCount("LoadBitmapA"), 0);
  ASSERT_FALSE(winsim::DebugOutput().empty());
  EXPECT_EQ(winsim::DebugOutput().back(), std::string("TarvexLogo: no logo: bitmap ") +
                                              (c.bitsPerPixel >= 8 ? "SVGA" : "VGA") +
                                              "_LOGO_ZOLT of the resource library could not be made into a picture\n");
  ExpectNothingLeftAfterDetach();
}

INSTANTIATE_TEST_SUITE_P(Cuts, CutLogoTest,
                         ::testing::Values(CutLogoCase{4, 40 + 64 + 100}, CutLogoCase{4, 40 + 30},
                                           CutLogoCase{4, 20}, CutLogoCase{8, 40 + 64 + 100}));

// Run-length encoded pictures: a colour run per row, the rows from the bottom.
std::vector<BYTE> RunLengthLogo(WORD bitCount) {
  const DWORD compression = bitCount == 8 ? BI_RLE8 : BI_RLE4;
  std::vector<BYTE> dib = test_dib::Build({40, 4, 2, bitCount, compression, 16}, 40, 16, 104);
  const std::vector<BYTE> data = {4, bitCount == 8 ? BYTE{1} : BYTE{0x11}, 0, 0,
                                  4, bitCount == 8 ? BYTE{2} : BYTE{0x22}, 0, 1};
  dib.resize(104);
  dib.insert(dib.end(), data.begin(), data.end());
  test_dib::Put32(dib, 20, static_cast<DWORD>(data.size()));
  return dib;
}

class RunLengthLogoTest : public LogoWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(RunLengthLogoTest, IsShownWithItsRowsDecoded) {
  const int bits = GetParam();
  winsim::ModuleImage image;
  image.bitmaps["SVGA_LOGO_ZOLT"] = RunLengthLogo(8);
  image.bitmaps["VGA_LOGO_ZOLT"] = RunLengthLogo(4);
  winsim::AddModuleFile("C:\\Program Files\\Tarvex\\OxaRes2.dll", image);
  startup.Resources().Load(2);
  winsim::SetDisplayBitsPerPixel(bits);
  startup.CreateLogoWindow();
  ASSERT_NE(startup.Logo().Window(), nullptr);
  EXPECT_EQ(startup.Logo().Palette() != nullptr, bits >= 8);
  if (startup.Logo().Palette() != nullptr) {
    EXPECT_EQ(winsim::PaletteEntries(startup.Logo().Palette()).size(), 16u);
  }
  // The device bitmap holds the decoded rows: entry 2 on top, entry 1 below.
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(memory, startup.Logo().Bitmap());
  EXPECT_EQ(GetPixel(memory, 3, 0), RGB(test_dib::EntryRed(2), test_dib::EntryGreen(2), test_dib::EntryBlue(2)));
  EXPECT_EQ(GetPixel(memory, 0, 1), RGB(test_dib::EntryRed(1), test_dib::EntryGreen(1), test_dib::EntryBlue(1)));
  SelectObject(memory, previous);
  DeleteDC(memory);
  ExpectNothingLeftAfterDetach();
}

INSTANTIATE_TEST_SUITE_P(Displays, RunLengthLogoTest, ::testing::Values(8, 4));

// A logo's declared size is bounded before the platform makes a device bitmap
// of it: the larger of 4096 pixels and twice the screen, in each direction.
struct SizeLimitCase {
  const char* label;
  std::vector<BYTE> dib;
  int screenWidth, screenHeight, bitsPerPixel;
  const char* refusal;  // the diagnostics line's end, or null when shown
};

TEST_F(LogoWindowTest, ALogoDeclaredLargerThanAnyRealOneIsRefusedOnBothPaths) {
  std::vector<BYTE> huge = RunLengthLogo(8);
  test_dib::Put32(huge, 4, 30000);
  test_dib::Put32(huge, 8, 30000);
  std::vector<BYTE> hugeVga = RunLengthLogo(4);
  test_dib::Put32(hugeVga, 4, 30000);
  test_dib::Put32(hugeVga, 8, 30000);
  std::vector<BYTE> topDown = test_dib::Plain(1, 4097, 1);
  test_dib::Put32(topDown, 8, static_cast<DWORD>(-4097));
  const SizeLimitCase cases[] = {
      {"RLE8 30000 square", huge, 1024, 768, 8, "declares 30000x30000 pixels, more than a logo's 4096x4096"},
      {"RLE4 30000 square", hugeVga, 1024, 768, 4, "declares 30000x30000 pixels, more than a logo's 4096x4096"},
      {"4096 wide", test_dib::Plain(4096, 1, 1), 1024, 768, 32, nullptr},
      {"one pixel", test_dib::Plain(1, 1, 1), 1024, 768, 4, nullptr},
      {"4097 wide", test_dib::Plain(4097, 1, 1), 1024, 768, 32, "declares 4097x1 pixels, more than a logo's 4096x4096"},
      {"4097 tall, top-down", topDown, 1024, 768, 4, "declares 1x4097 pixels, more than a logo's 4096x4096"},
      {"twice a wide screen", test_dib::Plain(6000, 1, 1), 3000, 768, 32, nullptr},
      {"past twice a wide screen", test_dib::Plain(6001, 1, 1), 3000, 2100, 8,
       "declares 6001x1 pixels, more than a logo's 6000x4200"},
  };
  for (const SizeLimitCase& c : cases) {
    // The library held goes before the machine it lies in.
    startup.Resources().Free();
    winsim::Reset();
    startup.Resources().Attach(winsim::AddLoadedModule("C:\\Program Files\\Tarvex\\TarvexLogo.dll"), "OxaRes");
    winsim::ModuleImage image;
    image.bitmaps["SVGA_LOGO_ZOLT"] = c.dib;
    image.bitmaps["VGA_LOGO_ZOLT"] = c.dib;
    winsim::AddModuleFile("C:\\Program Files\\Tarvex\\OxaRes0.dll", image);
    startup.Resources().Load(0);
    winsim::SetScreenSize(c.screenWidth, c.screenHeight);
    winsim::SetDisplayBitsPerPixel(c.bitsPerPixel);
    startup.CreateLogoWindow();
    EXPECT_EQ(startup.Logo().Window() != nullptr, c.refusal == nullptr) << c.label;
    if (c.refusal != nullptr) {
      EXPECT_EQ(winsim::CallCount("CreateDIBitmap") + winsim::CallCount("LoadBitmapA"), 0) << c.label;
      ASSERT_FALSE(winsim::DebugOutput().empty()) << c.label;
      EXPECT_EQ(winsim::DebugOutput().back(), std::string("TarvexLogo: no logo: bitmap ") +
                                                  (c.bitsPerPixel >= 8 ? "SVGA" : "VGA") +
                                                  "_LOGO_ZOLT of the resource library " + c.refusal + "\n")
          << c.label;
    }
    startup.OnProcessDetach();
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GdiObject), 0) << c.label;
  }
}

TEST_F(LogoWindowTest, TheScreenSizeCentresTheWindow) {
  winsim::SetScreenSize(800, 600);
  startup.CreateLogoWindow();
  ASSERT_EQ(winsim::WindowsCreated().size(), 1u);
  EXPECT_EQ(winsim::WindowsCreated()[0].rect.left, 195);
  EXPECT_EQ(winsim::WindowsCreated()[0].rect.top, 145);
  ExpectNothingLeftAfterDetach();
}

struct NoLogoCase {
  const char* label;
  const char* failingFunction;  // null: none
  bool bitmapsInLibrary;
  int bitsPerPixel;
  bool paletteKept;
};

class NoLogoTest : public LogoWindowTest, public ::testing::WithParamInterface<NoLogoCase> {};

TEST_P(NoLogoTest, NoWindowAndNoFont) {
  const NoLogoCase& c = GetParam();
  winsim::SetDisplayBitsPerPixel(c.bitsPerPixel);
  // No such library: the own module, which holds no bitmap, serves.
  if (!c.bitmapsInLibrary) startup.Resources().Load(9);
  if (c.failingFunction) winsim::InjectFailure(c.failingFunction);
  winsim::ClearCalls();

  startup.CreateLogoWindow();
  ExpectNoLogo();
  EXPECT_EQ(startup.Logo().Palette() != nullptr, c.paletteKept);
  ExpectNothingLeftAfterDetach();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NoLogoTest,
    ::testing::Values(NoLogoCase{"RegisterClassFails", "RegisterClassA", true, 32, false},
                      NoLogoCase{"NoSvgaBitmap", nullptr, false, 32, false},
                      NoLogoCase{"NoVgaBitmap", nullptr, false, 4, false},
                      NoLogoCase{"NoDeviceBitmap", "CreateDIBitmap", true, 8, true},
                      NoLogoCase{"VgaLoadFails", "LoadBitmapA", true, 4, false}),
    [](const ::testing::TestParamInfo<NoLogoCase>& info) { return std::string(info.param.label); });

TEST_F(LogoWindowTest, AWholeBitmapThePlatformRefusesIsReportedAsRefused) {
  winsim::SetDisplayBitsPerPixel(4);
  winsim::InjectFailure("LoadBitmapA", 0, 1, ERROR_NOT_ENOUGH_MEMORY);
  startup.CreateLogoWindow();
  ExpectNoLogo();
  ASSERT_FALSE(winsim::DebugOutput().empty());
  EXPECT_EQ(winsim::DebugOutput().back(),
            "TarvexLogo: no logo: the platform refused bitmap VGA_LOGO_ZOLT of the resource library: Not enough memory "
            "(error 8)\n");
}

// The class's procedure goes with the library: the unload removes the class,
// so a later load into the same process registers it anew.
TEST_F(LogoWindowTest, TheUnloadRemovesTheLogoWindowClass) {
  startup.CreateLogoWindow();
  ASSERT_NE(startup.Logo().Window(), nullptr);
  startup.OnProcessDetach();
  WNDCLASSA again{};
  again.lpfnWndProc = DefWindowProcA;
  again.hInstance = ownModule;
  again.lpszClassName = kLogoWindowClassName;
  EXPECT_NE(RegisterClassA(&again), 0) << "the class outlived the unload";
  UnregisterClassA(kLogoWindowClassName, ownModule);
}

TEST_F(LogoWindowTest, AFailedRegistrationComposesNoName) {
  winsim::InjectFailure("RegisterClassA");
  startup.CreateLogoWindow();
  EXPECT_EQ(winsim::CallCount("GetDesktopWindow"), 0);
  EXPECT_EQ(winsim::CallCount("FindResourceA"), 0);
  EXPECT_EQ(winsim::CallCount("LoadBitmapA"), 0);
}

// ---- closing

TEST_F(LogoWindowTest, CloseLogoReleasesWindowBitmapAndFontButNotThePalette) {
  EXPECT_EQ(startup.CloseLogo(), 0) << "nothing to close yet";
  winsim::SetDisplayBitsPerPixel(8);
  startup.CreateLogoWindow();
  HWND window = startup.Logo().Window();
  HBITMAP bitmap = startup.Logo().Bitmap();
  HFONT font = startup.Logo().Font();
  HPALETTE palette = startup.Logo().Palette();

  EXPECT_NE(startup.CloseLogo(), 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(winsim::IsLiveGdiObject(bitmap));
  EXPECT_FALSE(winsim::IsLiveGdiObject(font));
  EXPECT_TRUE(winsim::IsLiveGdiObject(palette));
  EXPECT_EQ(startup.Logo().Window(), nullptr);
  EXPECT_EQ(startup.Logo().Bitmap(), nullptr);
  EXPECT_EQ(startup.Logo().Font(), nullptr);
  EXPECT_EQ(startup.Logo().Palette(), palette);

  EXPECT_EQ(startup.CloseLogo(), 0) << "a second close finds nothing";
  EXPECT_EQ(winsim::CallCount("DestroyWindow"), 1);
  ExpectNothingLeftAfterDetach();
}

// LogoClose gives what deleting the font gave, whatever became of the window.
TEST_F(LogoWindowTest, CloseGivesTheResultOfDeletingTheFont) {
  startup.CreateLogoWindow();
  const HWND window = startup.Logo().Window();
  ASSERT_NE(startup.Logo().Font(), nullptr);
  winsim::InjectFailure("DeleteObject", 1, 1);  // the bitmap goes first, then the font
  EXPECT_EQ(startup.CloseLogo(), 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(startup.Logo().Font(), nullptr);
  startup.OnProcessDetach();
}

TEST_F(LogoWindowTest, AFailedCreateWindowStillReleasesBitmapAndFont) {
  winsim::InjectFailure("CreateWindowExA");
  startup.CreateLogoWindow();
  EXPECT_EQ(startup.Logo().Window(), nullptr);
  EXPECT_NE(startup.Logo().Bitmap(), nullptr);
  EXPECT_NE(startup.Logo().Font(), nullptr);
  EXPECT_NE(startup.CloseLogo(), 0);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GdiObject), startup.Logo().Palette() != nullptr ? 1 : 0);
  ExpectNothingLeftAfterDetach();
}

TEST_F(LogoWindowTest, WithoutAFontTheWindowIsMadeAndCloseReturnsZero) {
  winsim::InjectFailure("CreateFontA");
  startup.CreateLogoWindow();
  EXPECT_NE(startup.Logo().Window(), nullptr);
  EXPECT_EQ(startup.Logo().Font(), nullptr);
  EXPECT_EQ(startup.CloseLogo(), 0);
  ExpectNothingLeftAfterDetach();
}

TEST_F(LogoWindowTest, ALogoClosedByWmCloseIsNotDestroyedAgain) {
  startup.CreateLogoWindow();
  HWND window = startup.Logo().Window();
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(startup.Logo().Window(), nullptr) << "forgotten when the window went";
  EXPECT_EQ(winsim::MessageCount(window, WM_NCDESTROY), 1);

  EXPECT_NE(startup.CloseLogo(), 0) << "the font is still deleted";
  EXPECT_EQ(winsim::CallCount("DestroyWindow"), 1);
  ExpectNothingLeftAfterDetach();
}

TEST_F(LogoWindowTest, AStaleHandleIsNotDestroyed) {
  // A host took the window's procedure and closed it: the logo never heard
  // of its end, and its handle may since name another window.
  startup.CreateLogoWindow();
  const HWND window = startup.Logo().Window();
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
  SendMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_FALSE(IsWindow(window));
  winsim::ClearCalls();

  EXPECT_NE(startup.CloseLogo(), 0) << "the font is deleted all the same";
  EXPECT_EQ(winsim::CallCount("DestroyWindow"), 0);
  EXPECT_EQ(startup.Logo().Window(), nullptr);
}

TEST_F(LogoWindowTest, DetachLeavesNoWindowNoGdiObjectAndNoDC) {
  winsim::SetDisplayBitsPerPixel(8);
  startup.CreateLogoWindow();
  ASSERT_NE(startup.Logo().Palette(), nullptr);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Window), 1);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GdiObject), 3);
  ExpectNothingLeftAfterDetach();
}

// ---- the message table

struct PaletteMessageCase {
  const char* label;
  UINT message;
  bool fromItself;   // WM_PALETTECHANGED: wParam is the logo window
  bool withPalette;
  UINT realized;     // what RealizePalette answers
  LRESULT result;
  bool realizes;
  bool invalidates;
};

class PaletteMessageTest : public LogoWindowTest, public ::testing::WithParamInterface<PaletteMessageCase> {};

TEST_P(PaletteMessageTest, RealizesAndRepaintsOnlyWhenTheMappingChanged) {
  const PaletteMessageCase& c = GetParam();
  winsim::SetDisplayBitsPerPixel(8);
  if (!c.withPalette) {
    // A bitmap without a colour table gives no palette.
    winsim::ModuleImage image;
    image.bitmaps["SVGA_LOGO_ZOLT"] = test_dib::Plain(400, 300, 24);
    winsim::AddModuleFile("C:\\Program Files\\Tarvex\\OxaRes9.dll", image);
    startup.Resources().Load(9);
  }
  startup.CreateLogoWindow();
  ASSERT_NE(startup.Logo().Window(), nullptr);
  const HPALETTE palette = startup.Logo().Palette();
  ASSERT_EQ(palette != nullptr, c.withPalette);
  winsim::SetRealizePaletteResult(c.realized);
  winsim::ClearCalls();
  const size_t invalidationsBefore = winsim::Invalidations().size();

  WPARAM changer = reinterpret_cast<WPARAM>(c.fromItself ? startup.Logo().Window() : GetDesktopWindow());
  EXPECT_EQ(startup.LogoWindowProc(startup.Logo().Window(), c.message, changer, 0), c.result);
  EXPECT_EQ(winsim::CallCount("RealizePalette"), c.realizes ? 1 : 0);
  ASSERT_EQ(winsim::Invalidations().size() - invalidationsBefore, c.invalidates ? 1u : 0u);
  if (c.invalidates) {
    const winsim::InvalidateRecord& invalidated = winsim::Invalidations().back();
    EXPECT_EQ(invalidated.window, startup.Logo().Window());
    EXPECT_TRUE(invalidated.wholeClientArea);
    EXPECT_EQ(invalidated.erase, TRUE);
  }
  if (c.realizes) {
    // Selected as a foreground palette, then the previous one back.
    const auto& selections = winsim::PaletteSelections();
    ASSERT_GE(selections.size(), 2u);
    EXPECT_EQ(selections[selections.size() - 2].palette, palette);
    EXPECT_EQ(selections[selections.size() - 2].forceBackground, FALSE);
    EXPECT_EQ(selections.back().palette, selections[selections.size() - 2].previous);
  }
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::DeviceContext), 0);
  ExpectNothingLeftAfterDetach();
}

INSTANTIATE_TEST_SUITE_P(
    Table, PaletteMessageTest,
    ::testing::Values(
        PaletteMessageCase{"QueryNewPaletteChanged", WM_QUERYNEWPALETTE, false, true, 12, 1, true, true},
        PaletteMessageCase{"QueryNewPaletteUnchanged", WM_QUERYNEWPALETTE, false, true, 0, 0, true, false},
        PaletteMessageCase{"QueryNewPaletteError", WM_QUERYNEWPALETTE, false, true, GDI_ERROR, 1, true, true},
        PaletteMessageCase{"QueryNewPaletteWithoutPalette", WM_QUERYNEWPALETTE, false, false, 12, 0, false, false},
        PaletteMessageCase{"ChangedByAnother", WM_PALETTECHANGED, false, true, 12, 0, true, true},
        PaletteMessageCase{"ChangedByAnotherUnchanged", WM_PALETTECHANGED, false, true, 0, 0, true, false},
        PaletteMessageCase{"ChangedByItself", WM_PALETTECHANGED, true, true, 12, 0, false, false},
        PaletteMessageCase{"ChangedWithoutPalette", WM_PALETTECHANGED, false, false, 12, 0, false, false}),
    [](const ::testing::TestParamInfo<PaletteMessageCase>& info) { return std::string(info.param.label); });

TEST_F(LogoWindowTest, PaintDrawsTheBitmapWithThePaletteSelectedAndPutsItBack) {
  winsim::SetDisplayBitsPerPixel(8);
  startup.CreateLogoWindow();
  ASSERT_NE(startup.Logo().Window(), nullptr);
  winsim::ClearCalls();
  const size_t selectionsBefore = winsim::PaletteSelections().size();

  EXPECT_EQ(startup.LogoWindowProc(startup.Logo().Window(), WM_PAINT, 0, 0), 0);
  EXPECT_TRUE(CallsInOrder(winsim::Calls(), {"BeginPaint", "SelectPalette", "RealizePalette", "CreateCompatibleDC",
                                             "SelectObject", "BitBlt", "SelectObject", "DeleteDC", "SelectPalette",
                                             "EndPaint"}))
      << Joined(winsim::Calls());
  const auto& selections = winsim::PaletteSelections();
  ASSERT_EQ(selections.size() - selectionsBefore, 2u);
  EXPECT_EQ(selections[selectionsBefore].palette, startup.Logo().Palette());
  EXPECT_EQ(selections[selectionsBefore].forceBackground, FALSE);
  EXPECT_EQ(selections.back().palette, selections[selectionsBefore].previous);
  EXPECT_EQ(selections.back().forceBackground, FALSE);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::DeviceContext), 0);
  ExpectNothingLeftAfterDetach();
}

class OtherMessageTest : public LogoWindowTest, public ::testing::WithParamInterface<UINT> {};

TEST_P(OtherMessageTest, GoesToDefWindowProc) {
  startup.CreateLogoWindow();
  winsim::ClearCalls();
  startup.LogoWindowProc(startup.Logo().Window(), GetParam(), 0, 0);
  EXPECT_EQ(winsim::CallCount("DefWindowProcA"), 1);
  EXPECT_EQ(winsim::CallCount("BitBlt"), 0);
  ExpectNothingLeftAfterDetach();
}

INSTANTIATE_TEST_SUITE_P(Messages, OtherMessageTest,
                         ::testing::Values(UINT{WM_ERASEBKGND}, UINT{WM_DESTROY}, UINT{WM_KEYDOWN}, UINT{WM_USER}));

TEST(LogoWindowProcedure, AnswersWithoutAStartupObject) {
  FreshMachine machine;
  ASSERT_EQ(TheStartup(), nullptr);
  winsim::ClearCalls();
  EXPECT_EQ(LogoWindowProcedure(nullptr, WM_QUERYNEWPALETTE, 0, 0), 0);
  EXPECT_EQ(winsim::CallCount("DefWindowProcA"), 1);
}

// A start-up object that notes when PaintExtras runs.
class RecordingStartup : public ProductStartup {
 public:
  void PaintExtras(HWND window, HDC dc) override {
    paintedWindow = window;
    paintedDc = dc;
    callsBefore = winsim::Calls();
    selectionsBefore = winsim::PaletteSelections().size();
  }
  HWND paintedWindow = nullptr;
  HDC paintedDc = nullptr;
  std::vector<std::string> callsBefore;
  size_t selectionsBefore = 0;
};

TEST(LogoPaintExtras, RunAfterTheBitmapWithThePaletteStillSelected) {
  FreshMachine machine;
  RecordingStartup startup;
  startup.Resources().Attach(winsim::AddLoadedModule("C:\\Program Files\\Tarvex\\TarvexLogo.dll"), "OxaRes");
  winsim::AddModuleFile("C:\\Program Files\\Tarvex\\OxaRes0.dll", LogoLibrary());
  startup.Resources().Load(0);
  winsim::SetDisplayBitsPerPixel(8);
  startup.CreateLogoWindow();
  ASSERT_NE(startup.Logo().Window(), nullptr);
  EXPECT_EQ(startup.paintedWindow, startup.Logo().Window());
  ASSERT_FALSE(startup.callsBefore.empty());
  EXPECT_EQ(startup.callsBefore.back(), "DeleteDC") << "the bitmap is drawn first";
  // Only the selection of the logo palette had happened; putting it back comes after.
  const auto& selections = winsim::PaletteSelections();
  ASSERT_GE(startup.selectionsBefore, 1u);
  EXPECT_EQ(selections[startup.selectionsBefore - 1].dc, startup.paintedDc);
  EXPECT_EQ(selections[startup.selectionsBefore - 1].palette, startup.Logo().Palette());
  ASSERT_GT(selections.size(), startup.selectionsBefore);
  EXPECT_EQ(selections[startup.selectionsBefore].dc, startup.paintedDc);
  startup.OnProcessDetach();
}

// ---- the font

struct FontCase {
  int languageSetting;
  DWORD charSet;
};

class LogoFontTest : public LogoWindowTest, public ::testing::WithParamInterface<FontCase> {};

TEST_P(LogoFontTest, CharacterSetFollowsTheStoredLanguage) {
  const FontCase& c = GetParam();
  // The stored setting counts, not the language of the library loaded (0).
  startup.ModeLanguageSetting().Write(c.languageSetting);
  startup.CreateLogoWindow();
  ASSERT_EQ(winsim::FontsCreated().size(), 1u);
  const winsim::FontRecord& font = winsim::FontsCreated()[0];
  EXPECT_EQ(font.handle, startup.Logo().Font());
  EXPECT_EQ(font.charSet, c.charSet);
  EXPECT_NE(startup.CloseLogo(), 0);
}

INSTANTIATE_TEST_SUITE_P(Languages, LogoFontTest,
                         ::testing::Values(FontCase{0, 1}, FontCase{1, 204}, FontCase{2, 1}, FontCase{4, 204},
                                           FontCase{20, 1}));

}  // namespace
