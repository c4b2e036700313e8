// The host's status line on the logo: the text kept, the band repainted at
// once and nothing else, the device context given back as it was, and a
// logo painted exactly as before while there is no line.
#include "logo/status_line.h"

#include <gtest/gtest.h>
#include <winsim/control.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "core/exports.h"
#include "startup_fixture.h"
#include "test_dib.h"

namespace {

class StatusLineTest : public StartupTest {
 protected:
  StatusLineTest() {
    winsim::ModuleImage image;
    image.bitmaps["SVGA_LOGO_ZOLT"] = test_dib::Plain(400, 300, 8);
    PrepareMainModeLogo(startup, ownModule, image);
  }
  ~StatusLineTest() override { startup.OnProcessDetach(); }

  // Shows the logo, as the start does.
  void ShowLogo() {
    startup.CreateLogoWindow();
    ASSERT_NE(startup.Logo().Window(), nullptr);
  }
};

TEST_F(StatusLineTest, KeepsAtMost511CharactersAndClearsOnNullOrEmpty) {
  struct Case {
    const char* what;
    std::string text;
    bool isNull;
    std::string kept;
  } cases[] = {
      {"a line", "Loading modules...", false, "Loading modules..."},
      {"511 characters", std::string(511, 'x'), false, std::string(511, 'x')},
      {"600 characters, cut", std::string(600, 'y'), false, std::string(511, 'y')},
      {"empty", "", false, ""},
      {"null", "", true, ""},
  };
  for (const Case& c : cases) {
    startup.SetStatusText(c.isNull ? nullptr : c.text.c_str());
    EXPECT_EQ(std::string(startup.Logo().StatusText()), c.kept) << c.what;
  }
}

TEST_F(StatusLineTest, ResultTellsWhetherALogoIsShowing) {
  EXPECT_EQ(LogoSetStatusText("no logo yet"), 0) << "no logo: the text is only kept";
  EXPECT_STREQ(startup.Logo().StatusText(), "no logo yet");
  EXPECT_EQ(winsim::CallCount("InvalidateRect"), 0);
  ShowLogo();
  EXPECT_EQ(LogoSetStatusText("Loading modules"), 1);
  startup.CloseLogo();
  const size_t windows = winsim::WindowsCreated().size();
  EXPECT_EQ(LogoSetStatusText("after the close"), 0);
  EXPECT_EQ(winsim::WindowsCreated().size(), windows) << "a call after LogoClose made a window";
}

TEST_F(StatusLineTest, RepaintsOnlyTheBandAndAtOnce) {
  ShowLogo();
  RECT client{};
  GetClientRect(startup.Logo().Window(), &client);
  const int paintsBefore = winsim::MessageCount(startup.Logo().Window(), WM_PAINT);
  const size_t textsBefore = winsim::TextDrawn().size();
  ASSERT_EQ(startup.SetStatusText("Loading modules"), 1);

  const winsim::InvalidateRecord& invalidated = winsim::Invalidations().back();
  EXPECT_EQ(invalidated.window, startup.Logo().Window());
  EXPECT_FALSE(invalidated.wholeClientArea);
  EXPECT_EQ(invalidated.erase, FALSE) << "the bitmap is drawn over the band anyway";
  EXPECT_EQ(invalidated.rect.left, client.left);
  EXPECT_EQ(invalidated.rect.right, client.right);
  EXPECT_EQ(invalidated.rect.top, client.bottom - TARVEX_LOGO_STATUS_BAND_HEIGHT);
  EXPECT_EQ(invalidated.rect.bottom, client.bottom);

  EXPECT_EQ(winsim::MessageCount(startup.Logo().Window(), WM_PAINT), paintsBefore + 1) << "not painted before returning";
  ASSERT_EQ(winsim::TextDrawn().size(), textsBefore + 1);
  const winsim::TextRecord& drawn = winsim::TextDrawn().back();
  EXPECT_EQ(drawn.text, "Loading modules");
  EXPECT_EQ(drawn.window, startup.Logo().Window());
  EXPECT_EQ(drawn.font, static_cast<HGDIOBJ>(startup.Logo().Font()));
  // The fixture's band is mid-grey, where the slate falls short and black reads best.
  EXPECT_EQ(drawn.textColour, kStatusDarkColour);
  EXPECT_EQ(drawn.bkMode, TRANSPARENT);
  EXPECT_EQ(drawn.format, kStatusFormat);
  EXPECT_EQ(drawn.rect.left, client.left + kStatusMargin);
  EXPECT_EQ(drawn.rect.right, client.right - kStatusMargin);
  EXPECT_EQ(drawn.rect.top, client.bottom - TARVEX_LOGO_STATUS_BAND_HEIGHT);
}

// From a thread that is not the logo's, the call neither paints nor touches
// the text a paint reads: the line is handed over, and the logo's thread
// takes the newest one when it paints. A refused copy keeps the old line.
TEST_F(StatusLineTest, AnotherThreadHandsTheLineOverAndNeverPaints) {
  ShowLogo();
  startup.SetStatusText("old line");
  const int paintsBefore = winsim::MessageCount(startup.Logo().Window(), WM_PAINT);
  const auto fromWorker = [this](const char* text) {
    int result = -1;
    std::thread worker([&] { result = LogoSetStatusText(text); });
    worker.join();
    return result;
  };
  winsim::InjectFailure("GlobalAlloc");
  EXPECT_EQ(fromWorker("refused"), -1) << "no memory for the line";
  winsim::InjectFailure("GlobalLock");
  EXPECT_EQ(fromWorker("unlockable"), -1) << "a block that cannot be written";
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GlobalMemory), 0) << "the unlockable block was kept";
  EXPECT_EQ(fromWorker("first"), 1);
  EXPECT_EQ(fromWorker("second"), 1);
  EXPECT_STREQ(startup.Logo().StatusText(), "old line") << "written from another thread";
  EXPECT_EQ(winsim::MessageCount(startup.Logo().Window(), WM_PAINT), paintsBefore) << "painted from another thread";
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GlobalMemory), 1) << "the first line was not freed";
  EXPECT_EQ(winsim::Invalidations().back().window, startup.Logo().Window());

  UpdateWindow(startup.Logo().Window());  // the logo's thread pumps
  EXPECT_EQ(winsim::TextDrawn().back().text, "second");
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GlobalMemory), 0);
  // Handed over and never painted: the unload still frees it.
  EXPECT_EQ(fromWorker("last"), 1);
  startup.OnProcessDetach();
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GlobalMemory), 0);
}

TEST_F(StatusLineTest, PaintGivesTheDeviceContextBackAsItWas) {
  ShowLogo();
  HDC dc = CreateCompatibleDC(nullptr);
  const winsim::DcTextState before = winsim::TextStateOf(dc);
  startup.SetStatusText("Loading modules");
  startup.PaintExtras(startup.Logo().Window(), dc);
  const winsim::DcTextState after = winsim::TextStateOf(dc);
  EXPECT_EQ(after.font, before.font);
  EXPECT_EQ(after.textColour, before.textColour);
  EXPECT_EQ(after.bkMode, before.bkMode);
  DeleteDC(dc);
}

// Without a line the paint is the one the logo always had: not one call more.
TEST_F(StatusLineTest, EmptyLineDrawsNothing) {
  ShowLogo();
  HDC dc = CreateCompatibleDC(nullptr);
  for (const char* text : {"", static_cast<const char*>(nullptr)}) {
    startup.SetStatusText(text);
    winsim::ClearCalls();
    startup.PaintExtras(startup.Logo().Window(), dc);
    EXPECT_TRUE(winsim::Calls().empty());
  }
  DeleteDC(dc);
}

#ifndef NDEBUG
// What only the logo's thread may touch is checked in a debug build.
using StatusLineDeathTest = StatusLineTest;
TEST_F(StatusLineDeathTest, DrawingTheLineOnAnotherThreadStopsADebugBuild) {
  ShowLogo();
  startup.SetStatusText("a line");
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_DEATH(std::thread([&] { startup.Logo().DrawStatusLine(startup.Logo().Window(), dc); }).join(),
               "OnOwnerThread");
  DeleteDC(dc);
}
#endif

TEST(StatusBand, IsTheBottomOfTheClientAreaAndNeverAboveIt) {
  const RECT tall = StatusBand(RECT{0, 0, 399, 299});
  EXPECT_EQ(tall.top, 299 - TARVEX_LOGO_STATUS_BAND_HEIGHT);
  EXPECT_EQ(tall.bottom, 299);
  const RECT flat = StatusBand(RECT{0, 0, 399, 10});
  EXPECT_EQ(flat.top, 0) << "a logo lower than the band gives the whole of it";
  // A client area that does not start at 0 holds the band inside it, to the row.
  constexpr int kBand = TARVEX_LOGO_STATUS_BAND_HEIGHT;
  EXPECT_EQ(StatusBand(RECT{0, 5, 399, 5 + kBand}).top, 5);
  EXPECT_EQ(StatusBand(RECT{0, 5, 399, 4 + kBand}).top, 5);
  EXPECT_EQ(StatusBand(RECT{0, 5, 399, 6 + kBand}).top, 6);
}

}  // namespace
