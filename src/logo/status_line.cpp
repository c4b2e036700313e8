// The host's status line: kept by the start-up object, painted over the logo
// by the product's PaintExtras.
#include "logo/status_line.h"

#include "core/bounded_text.h"
#include "core/exports.h"
#include "core/product_startup.h"
#include "logo/scoped_gdi.h"

RECT StatusBand(const RECT& client, const LogoScale& scale) {
  RECT band = client;
  band.top = client.bottom - ScaledLength(TARVEX_LOGO_STATUS_BAND_HEIGHT, scale);
  if (band.top < client.top) band.top = client.top;
  return band;
}

namespace {

// Marks the status band of `window` for painting; the bitmap under it is
// drawn again, then the line.
void InvalidateStatusBand(HWND window, const LogoScale& scale) {
  RECT client{};
  GetClientRect(window, &client);
  const RECT band = StatusBand(client, scale);
  InvalidateRect(window, &band, FALSE);
}

}  // namespace

int LogoStartup::SetStatusText(const char* text) {
  if (!OnLoaderThread()) {
    // The logo's thread may be waiting for this one: a paint from here would
    // wait for it in turn, and statusText is that thread's alone. The line is
    // handed over, and taken when that thread next paints or sets a line.
    if (!HandOverStatusText(text)) return -1;
    const HWND window = SharedLogoWindow();
    if (window == nullptr || !IsWindow(window) || !IsWindowVisible(window)) return 0;
    InvalidateStatusBand(window, logoScale);
    return 1;
  }
  // A window destroyed by other means, or a handle that came back to another
  // window, is not painted on.
  const HWND window = SharedLogoWindow();
  const bool showing = window != nullptr && IsWindow(window) && IsWindowVisible(window);
  // A line handed over earlier is older than this one.
  TakeHandedOverStatusText();
  CopyBoundedText(statusText, text, sizeof statusText);
  if (!showing) return 0;
  InvalidateStatusBand(window, logoScale);
  UpdateWindow(window);
  return 1;
}

bool LogoStartup::HandOverStatusText(const char* text) {
  ScopedGlobalMemory copy(GlobalAlloc(GMEM_MOVEABLE, kTextSize));
  if (!copy) return false;
  {
    const ScopedGlobalLock lock(LockGlobal(copy.get()));
    if (lock.get().address == nullptr) return false;
    CopyBoundedText(static_cast<char*>(lock.get().address), text, kTextSize);
  }
  // Whoever exchanges a block out owns it alone: the logo's thread never
  // reads a block another thread may still write or free.
  const ScopedGlobalMemory older(InterlockedExchangePointer(&handedOverStatusText, copy.release()));
  return true;
}

void LogoStartup::TakeHandedOverStatusText() {
  const ScopedGlobalMemory handed(InterlockedExchangePointer(&handedOverStatusText, nullptr));
  if (!handed) return;
  const ScopedGlobalLock lock(LockGlobal(handed.get()));
  if (lock.get().address != nullptr)
    CopyBoundedText(statusText, static_cast<const char*>(lock.get().address), kTextSize);
}

int LogoStartup::BitmapRowsUnderBand() const {
  if (IsUnscaled(logoScale) || logoDrawSize.cy <= 0) return TARVEX_LOGO_STATUS_BAND_HEIGHT;
  // Scaled, the bitmap drawn may be a variant of any height.
  BITMAP size{};
  GetObjectA(logoBitmap.get(), sizeof size, &size);
  const long long drawnRows = ScaledLength(TARVEX_LOGO_STATUS_BAND_HEIGHT, logoScale);
  return static_cast<int>((drawnRows * size.bmHeight + logoDrawSize.cy / 2) / logoDrawSize.cy);
}

void ProductStartup::PaintExtras(HWND window, HDC dc) {
  // Without a line the logo is painted exactly as without this function.
  if (statusText[0] == '\0') return;
  RECT client{};
  GetClientRect(window, &client);
  RECT text = StatusBand(client, logoScale);
  const int margin = ScaledLength(kStatusMargin, logoScale);
  text.left += margin;
  text.right -= margin;
  // Chosen once, from the bitmap's own pixels under the band.
  if (statusColour == CLR_INVALID) {
    const COLORREF band =
        BandMeanColour(dc, logoBitmap.get(), logoPalette.get(), BitmapRowsUnderBand(), RGB(255, 255, 255));
    statusColour = StatusColourOn(band);
  }
  ScopedSelectObject font(dc, logoFont.get());
  ScopedBkMode mode(dc, TRANSPARENT);
  ScopedTextColor colour(dc, statusColour);
  DrawTextA(dc, statusText, -1, &text, kStatusFormat);
}
