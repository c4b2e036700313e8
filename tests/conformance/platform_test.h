// The base of the conformance tests outside the registry. Natively every test
// starts from a fresh simulated machine whose display has the depth the run
// asks for (TARVEX_CONFORMANCE_DISPLAY_BITS, 32 by default), so the same
// expectations meet winsim at 32 and 8 bits per pixel as they meet Wine on a
// 24-bit and an 8-bit X display.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#ifndef _WIN32
#include <winsim/control.h>
#endif

class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    winsim::Reset();
    if (const char* bits = std::getenv("TARVEX_CONFORMANCE_DISPLAY_BITS")) {
      winsim::SetDisplayBitsPerPixel(std::atoi(bits));
    }
#endif
  }

  void TearDown() override {
#ifndef _WIN32
    // What a test leaves open would meet the next test's windows under Wine.
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Window), 0) << "a window was left";
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::DeviceContext), 0) << "a device context was left";
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GdiObject), 0) << "a GDI object was left";
    winsim::Reset();
#endif
  }
};

// Bits per pixel of the screen.
inline int ScreenBitsPerPixel() {
  HDC screen = GetDC(nullptr);
  const int bits = GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  return bits;
}

// A palette display: 8 bits per pixel or fewer.
inline bool IsPaletteDisplay() { return ScreenBitsPerPixel() <= 8; }
