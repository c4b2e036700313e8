// Text on a device context, as the logo's status line draws it: the
// background mode and text colour set and given back, a font selected and
// given back, and DrawTextA keeping to its rectangle. Also the client area of
// a window of the logo's styles, where the line's band lies.
#include <algorithm>
#include <vector>

#include "bitmap_pixels.h"
#include "dib_image.h"
#include "message_log.h"
#include "platform_test.h"

namespace {

class TextApi : public PlatformTest {};

constexpr COLORREF kWhite = RGB(255, 255, 255);

TEST_F(TextApi, ModeAndColourAreGivenBackAsTheyWere) {
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE) << "a fresh device context draws text on a background";
  EXPECT_EQ(SetBkMode(dc, OPAQUE), TRANSPARENT);
  EXPECT_EQ(SetTextColor(dc, RGB(40, 52, 80)), RGB(0, 0, 0)) << "and in black";
  EXPECT_EQ(SetTextColor(dc, RGB(0, 0, 0)), RGB(40, 52, 80));
  // Without a device context: 0 and CLR_INVALID, nothing to give back.
  EXPECT_EQ(SetBkMode(nullptr, TRANSPARENT), 0);
  EXPECT_EQ(SetTextColor(nullptr, kWhite), CLR_INVALID);

  HFONT font = CreateFontA(11, 5, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DRAFT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
  ASSERT_NE(font, nullptr);
  HGDIOBJ previous = SelectObject(dc, font);
  EXPECT_NE(previous, nullptr) << "a device context always holds a font";
  EXPECT_EQ(SelectObject(dc, previous), font);
  DeleteDC(dc);
  EXPECT_TRUE(DeleteObject(font));
}

struct DrawCase {
  const char* what;
  int mode;
  const char* text;
};

TEST_F(TextApi, DrawTextKeepsToItsRectangle) {
  HDC screen = GetDC(nullptr);
  const int width = 60;
  const int height = 20;
  HFONT font = CreateFontA(11, 5, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DRAFT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
  const DrawCase cases[] = {
      {"transparent", TRANSPARENT, "Loading modules"},
      {"opaque", OPAQUE, "Loading modules"},
      {"a text longer than the rectangle, cut", TRANSPARENT, "Opening the last project of a very long name"},
  };
  for (const DrawCase& c : cases) {
    const std::vector<BYTE> dib = dib_image::Encode({24, BI_RGB, 40, false, 0}, width, height,
                                                    std::vector<COLORREF>(width * height, kWhite));
    HBITMAP bitmap = CreateDIBitmap(screen, reinterpret_cast<const BITMAPINFOHEADER*>(dib.data()), CBM_INIT,
                                    dib.data() + dib_image::BitsOffset(dib),
                                    reinterpret_cast<const BITMAPINFO*>(dib.data()), DIB_RGB_COLORS);
    ASSERT_NE(bitmap, nullptr) << c.what;
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, c.mode);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT rect{10, 4, 50, 18};
    const RECT given = rect;
    EXPECT_GT(DrawTextA(dc, c.text, -1, &rect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX), 0)
        << c.what;
    EXPECT_EQ(rect.left, given.left) << c.what << ": the rectangle is not changed";
    EXPECT_EQ(rect.right, given.right) << c.what;
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    const std::vector<COLORREF> pixels = BitmapPixels(bitmap);
    int inked = 0;
    int blankInside = 0;
    int touchedOutside = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const bool inside = x >= given.left && x < given.right && y >= given.top && y < given.bottom;
        const bool white = pixels[static_cast<size_t>(y * width + x)] == kWhite;
        if (inside && !white) ++inked;
        if (inside && white) ++blankInside;
        if (!inside && !white) ++touchedOutside;
      }
    }
    EXPECT_GT(inked, 0) << c.what << ": nothing drawn";
    EXPECT_EQ(touchedOutside, 0) << c.what << ": drawn outside the rectangle";
    if (c.mode == TRANSPARENT) {
      EXPECT_GT(blankInside, 0) << c.what << ": the background was filled";
    }
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  DeleteObject(font);
  ReleaseDC(nullptr, screen);
}

// The client area of a popup with a dialog frame and a client edge, as the
// logo is made: the window less a dialog frame and an edge on every side.
TEST_F(TextApi, ClientRectOfTheLogosStyles) {
  LoggingWindowClass windowClass;
  HWND window = windowClass.Create(WS_POPUP | WS_DLGFRAME, WS_EX_CLIENTEDGE, 10, 20, 409, 309);
  ASSERT_NE(window, nullptr);
  RECT client{-1, -1, -1, -1};
  ASSERT_TRUE(GetClientRect(window, &client));
  const int insetX = GetSystemMetrics(SM_CXDLGFRAME) + GetSystemMetrics(SM_CXEDGE);
  const int insetY = GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYEDGE);
  EXPECT_EQ(client.left, 0);
  EXPECT_EQ(client.top, 0);
  EXPECT_EQ(client.right, 409 - 2 * insetX);
  EXPECT_EQ(client.bottom, 309 - 2 * insetY);
  DestroyWindow(window);
  RECT untouched{7, 7, 7, 7};
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(GetClientRect(window, &untouched)) << "a destroyed window has no client area";
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(untouched.left, 7);
}

}  // namespace
