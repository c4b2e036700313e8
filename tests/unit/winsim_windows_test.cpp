// The simulated window manager and GDI behave as Windows does where the logo
// relies on it.
#include <gtest/gtest.h>
#include <winsim/control.h>

#include <cstring>

#include "startup_fixture.h"
#include "test_dib.h"

namespace {

class WinsimWindowsTest : public ::testing::Test {
 protected:
  WinsimWindowsTest() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "Plain";
    atom = RegisterClassA(&windowClass);
  }
  HWND NewWindow(DWORD style = WS_POPUP) {
    return CreateWindowExA(0, "Plain", "A window title", style, 10, 20, 100, 50, nullptr, nullptr, instance, nullptr);
  }

  FreshMachine machine;
  HINSTANCE instance = winsim::AddLoadedModule("C:\\app\\own.dll");
  ATOM atom = 0;
};

struct AdjustCase {
  DWORD style;
  RECT expected;
};

class AdjustWindowRectTest : public ::testing::TestWithParam<AdjustCase> {};

TEST_P(AdjustWindowRectTest, AddsTheFramesOfTheStyle) {
  FreshMachine machine;
  RECT rect{0, 0, 400, 300};
  ASSERT_TRUE(AdjustWindowRect(&rect, GetParam().style, FALSE));
  EXPECT_EQ(rect.left, GetParam().expected.left);
  EXPECT_EQ(rect.top, GetParam().expected.top);
  EXPECT_EQ(rect.right, GetParam().expected.right);
  EXPECT_EQ(rect.bottom, GetParam().expected.bottom);
}

// As measured under Wine: a dialog frame is 3 pixels, a thin border 1.
INSTANTIATE_TEST_SUITE_P(Styles, AdjustWindowRectTest,
                         ::testing::Values(AdjustCase{WS_POPUP | WS_DLGFRAME, {-3, -3, 403, 303}},
                                           AdjustCase{WS_POPUP | WS_BORDER, {-1, -1, 401, 301}},
                                           AdjustCase{WS_POPUP, {0, 0, 400, 300}}));

TEST_F(WinsimWindowsTest, AClassIsRegisteredOncePerInstanceWhateverTheLetterCase) {
  ASSERT_NE(atom, 0);
  WNDCLASSA again{};
  again.lpfnWndProc = DefWindowProcA;
  again.hInstance = instance;
  again.lpszClassName = "PLAIN";
  SetLastError(0);
  EXPECT_EQ(RegisterClassA(&again), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
  again.hInstance = winsim::AddLoadedModule("C:\\app\\other.dll");
  EXPECT_NE(RegisterClassA(&again), 0);
}

TEST_F(WinsimWindowsTest, AnUnknownClassMakesNoWindow) {
  SetLastError(0);
  EXPECT_EQ(CreateWindowExA(0, "Missing", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Window), 0);
}

TEST_F(WinsimWindowsTest, ShowingPaintsOnUpdateAndOnlyThen) {
  HWND window = NewWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window));
  UpdateWindow(window);
  EXPECT_EQ(winsim::MessageCount(window, WM_PAINT), 0) << "a hidden window has nothing to paint";
  EXPECT_FALSE(ShowWindow(window, SW_SHOW)) << "it was hidden";
  UpdateWindow(window);
  EXPECT_EQ(winsim::MessageCount(window, WM_PAINT), 1);
  EXPECT_EQ(winsim::MessageCount(window, WM_ERASEBKGND), 1);
  UpdateWindow(window);
  EXPECT_EQ(winsim::MessageCount(window, WM_PAINT), 1) << "DefWindowProc validated it";
  EXPECT_TRUE(InvalidateRect(window, nullptr, FALSE));
  UpdateWindow(window);
  EXPECT_EQ(winsim::MessageCount(window, WM_PAINT), 2);
  EXPECT_EQ(winsim::MessageCount(window, WM_ERASEBKGND), 1) << "no erase was asked for";
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::DeviceContext), 0);
}

TEST_F(WinsimWindowsTest, WmCloseDestroysThroughDefWindowProc) {
  HWND window = NewWindow(WS_POPUP | WS_VISIBLE);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(winsim::MessageCount(window, WM_DESTROY), 1);
  EXPECT_EQ(winsim::MessageCount(window, WM_NCDESTROY), 1);
  SetLastError(0);
  EXPECT_FALSE(DestroyWindow(window));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "no window of this thread";
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Window), 0);
}

TEST_F(WinsimWindowsTest, TextAndClassNameAreCutToTheBuffer) {
  HWND window = NewWindow();
  char text[8];
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(GetWindowTextA(window, text, 5), 4);
  EXPECT_STREQ(text, "A wi");
  EXPECT_EQ(text[5], 'x');
  EXPECT_EQ(GetClassNameA(window, text, sizeof text), 5);
  EXPECT_STREQ(text, "Plain");
  RECT rect{};
  ASSERT_TRUE(GetWindowRect(window, &rect));
  EXPECT_EQ(rect.right, 110);
  EXPECT_EQ(rect.bottom, 70);
}

TEST_F(WinsimWindowsTest, StockObjectsAreNeverDeleted) {
  HGDIOBJ brush = GetStockObject(NULL_BRUSH);
  ASSERT_NE(brush, nullptr);
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_TRUE(winsim::IsLiveGdiObject(brush));
  EXPECT_EQ(GetStockObject(NULL_BRUSH), brush);
  EXPECT_FALSE(DeleteObject(nullptr));
}

TEST_F(WinsimWindowsTest, ASelectedBitmapGoesWhenDeselected) {
  std::vector<BYTE> dib = test_dib::Plain(4, 4, 24);
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateDIBitmap(screen, reinterpret_cast<const BITMAPINFOHEADER*>(dib.data()), CBM_INIT,
                                  dib.data() + 40, reinterpret_cast<const BITMAPINFO*>(dib.data()), DIB_RGB_COLORS);
  ASSERT_NE(bitmap, nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ original = SelectObject(memory, bitmap);
  ASSERT_NE(original, nullptr);
  HDC second = CreateCompatibleDC(screen);
  EXPECT_EQ(SelectObject(second, bitmap), nullptr) << "one device context at a time";
  EXPECT_TRUE(DeleteDC(second));
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GdiObject), 1) << "still selected";
  SelectObject(memory, original);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GdiObject), 0);
  EXPECT_FALSE(ReleaseDC(nullptr, memory)) << "a memory DC is deleted, not released";
  EXPECT_TRUE(DeleteDC(memory));
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

TEST_F(WinsimWindowsTest, BitmapsAreMadeForTheDisplayDepth) {
  winsim::SetDisplayBitsPerPixel(8);
  std::vector<BYTE> dib = test_dib::Plain(7, 3, 4);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 8);
  HBITMAP bitmap = CreateDIBitmap(screen, reinterpret_cast<const BITMAPINFOHEADER*>(dib.data()), CBM_INIT,
                                  dib.data() + 40 + 64, reinterpret_cast<const BITMAPINFO*>(dib.data()), DIB_RGB_COLORS);
  BITMAP described;
  std::memset(&described, 0xCD, sizeof described);
  ASSERT_EQ(GetObjectA(bitmap, sizeof described, &described), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(described.bmWidth, 7);
  EXPECT_EQ(described.bmHeight, 3);
  EXPECT_EQ(described.bmBitsPixel, 8);
  EXPECT_EQ(described.bmWidthBytes, 8);
  EXPECT_EQ(GetObjectA(bitmap, sizeof described - 1, &described), 0);
  DeleteObject(bitmap);
  ReleaseDC(nullptr, screen);
}

}  // namespace
