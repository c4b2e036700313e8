#include "logo/logo_drawing.h"

#include "scoped_gdi.h"

namespace {

// Runs draw(memory, size) with `bitmap` selected in a memory device context
// compatible with `dc`; nothing when the bitmap is null or no memory device
// context can be had.
template <typename Draw>
void WithBitmapSelected(HDC dc, HBITMAP bitmap, Draw draw) {
  if (bitmap == nullptr) return;
  ScopedMemoryDC memory(CreateCompatibleDC(dc));
  if (memory.get() == nullptr) return;
  BITMAP size{};
  GetObjectA(bitmap, sizeof size, &size);
  ScopedSelectObject selected(memory.get(), bitmap);
  draw(memory.get(), size);
}

}  // namespace

bool IsSvgaDisplay() {
  const HWND desktop = GetDesktopWindow();
  ScopedWindowDC dc(WindowDcOf(desktop, WindowDcArea::WholeWindow));
  if (dc.get() == nullptr) return false;
  return GetDeviceCaps(dc.get(), BITSPIXEL) >= 8;
}

void DrawBitmap(HDC dc, int x, int y, HBITMAP bitmap) {
  WithBitmapSelected(dc, bitmap, [&](HDC memory, const BITMAP& size) {
    BitBlt(dc, x, y, size.bmWidth, size.bmHeight, memory, 0, 0, SRCCOPY);
  });
}

void DrawScaledBitmap(HDC dc, HBITMAP bitmap, int width, int height) {
  WithBitmapSelected(dc, bitmap, [&](HDC memory, const BITMAP& size) {
    // HALFTONE averages to colours a palette display may not have; there the
    // pixels keep the logo's own colours.
    const bool halftone = GetDeviceCaps(dc, BITSPIXEL) > 8;
    ScopedStretchBltMode mode(dc, halftone ? HALFTONE : COLORONCOLOR);
    // HALFTONE needs the brush origin set again after the mode.
    ScopedBrushOrg origin(dc, POINT{0, 0});
    StretchBlt(dc, 0, 0, width, height, memory, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
  });
}

int RealizeWindowPalette(HWND window, HPALETTE palette) {
  ScopedWindowDC dc(WindowDcOf(window, WindowDcArea::Client));
  if (palette == nullptr || dc.get() == nullptr) return 0;
  UINT changed;
  {
    ScopedSelectPalette selected(dc.get(), palette);
    changed = RealizePalette(dc.get());
  }
  // GDI_ERROR counts as a change too: the window is then simply repainted.
  return changed != 0 ? 1 : 0;
}

LogoPlacement PlaceLogoWindow(const RECT& widened, int frameWidth, int frameHeight, int screenWidth, int screenHeight) {
  LogoPlacement placement;
  placement.width = frameWidth + (widened.right - widened.left);
  placement.height = frameHeight + (widened.bottom - widened.top);
  // Integer division truncates toward zero: 1027 on 1024 pixels gives -1.
  placement.x = (screenWidth - placement.width) / 2;
  placement.y = (screenHeight - placement.height) / 2;
  return placement;
}
