// The simulated window manager and GDI behave as Windows does where the logo
// relies on it.
#include <gtest/gtest.h>
#include <winsim/control.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

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

// What Windows would punish is reported, whatever winsim then does (as Wine,
// it lets a selected bitmap go once it is deselected).
TEST_F(WinsimWindowsTest, ReportsWhatWindowsWouldPunish) {
  std::vector<BYTE> dib = test_dib::Plain(4, 4, 24);
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateDIBitmap(screen, reinterpret_cast<const BITMAPINFOHEADER*>(dib.data()), CBM_INIT,
                                  dib.data() + 40, reinterpret_cast<const BITMAPINFO*>(dib.data()), DIB_RGB_COLORS);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ original = SelectObject(memory, bitmap);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_FALSE(DeleteObject(bitmap));
  SelectObject(memory, original);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GdiObject), 0) << "gone once deselected";
  EXPECT_TRUE(DeleteDC(memory));
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
  char handle[24];
  std::snprintf(handle, sizeof handle, "%p", static_cast<void*>(bitmap));
  EXPECT_EQ(winsim::Violations(),
            (std::vector<std::string>{
                std::string("DeleteObject deleted GDI object ") + handle + " while it was selected into a device context",
                std::string("DeleteObject deleted GDI object ") + handle + " twice"}));
  winsim::ClearViolations();
}

// A procedure of a module's code: one frame may be held inside it.
std::atomic<bool> g_holdFrame{false};
std::atomic<bool> g_frameEntered{false};
LRESULT CALLBACK ModuleProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) {
    g_frameEntered = true;
    while (g_holdFrame) std::this_thread::yield();
    return 7;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// A window procedure whose module's code is gone is never called; a module
// unmapped under a running frame of it is reported with the thread.
TEST_F(WinsimWindowsTest, ReportsCodeRunAfterItsModuleWasUnmapped) {
  const void* procedure = reinterpret_cast<const void*>(ModuleProcedure);
  winsim::MapModuleCode(instance, {procedure});
  const HWND window = NewWindow();
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ModuleProcedure));
  EXPECT_EQ(SendMessageA(window, WM_USER, 0, 0), 7);

  g_holdFrame = true;
  g_frameEntered = false;
  std::thread sender([&] { SendMessageA(window, WM_USER, 0, 0); });
  MSG message;
  std::thread unmapper([&] {
    while (!g_frameEntered) std::this_thread::yield();
    winsim::UnmapModuleCode(instance);
    g_holdFrame = false;
  });
  while (!g_frameEntered || g_holdFrame) PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  unmapper.join();
  sender.join();
  EXPECT_EQ(SendMessageA(window, WM_USER, 0, 0), 0) << "called after the unmap";
  winsim::MapModuleCode(instance, {procedure});
  EXPECT_EQ(SendMessageA(window, WM_USER, 0, 0), 0) << "a procedure of the earlier load";
  char text[96];
  std::snprintf(text, sizeof text, "procedure %p (window %p, message 0x0400)", procedure, static_cast<void*>(window));
  const std::string called = std::string("SendMessageA called ") + text + " of own.dll";
  EXPECT_EQ(winsim::Violations(),
            (std::vector<std::string>{"own.dll was unmapped while its " + std::string(text) + " ran on thread " +
                                          std::to_string(GetCurrentThreadId()),
                                      called + " after its unload", called + " from an earlier load"}));
  winsim::ClearViolations();
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
  DestroyWindow(window);
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
