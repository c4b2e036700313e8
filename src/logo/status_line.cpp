// The host's line of progress on the logo: kept by the logo, handed over
// from other threads, painted over the bitmap along its bottom.
#include "logo/status_line.h"

#include <cassert>

#include "logo/logo_window.h"
#include "scoped_gdi.h"
#include "tarvex_logo.h"

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

bool Showing(HWND window) { return window != nullptr && IsWindow(window) && IsWindowVisible(window); }

}  // namespace

int LogoWindow::SetStatusText(const char* text) {
  if (!OnOwnerThread()) {
    // The logo's thread may be waiting for this one: a paint from here would
    // wait for it in turn, and the line is that thread's alone. It is handed
    // over, and taken when that thread next paints or sets a line.
    if (!HandOverStatusText(text)) return -1;
    const HWND window = window_.load();
    if (!Showing(window)) return 0;
    InvalidateStatusBand(window, scale_);
    return 1;
  }
  // A window destroyed by other means, or a handle that came back to another
  // window, is not painted on.
  const HWND window = window_.load();
  const bool showing = Showing(window);
  // A line handed over earlier is older than this one.
  TakeHandedOverStatusText();
  CopyBoundedText(statusText_, text, sizeof statusText_);
  if (!showing) return 0;
  InvalidateStatusBand(window, scale_);
  UpdateWindow(window);
  return 1;
}

bool LogoWindow::HandOverStatusText(const char* text) {
  ScopedGlobalMemory copy(GlobalAlloc(GMEM_MOVEABLE, kTextSize));
  if (!copy) return false;
  {
    const ScopedGlobalLock lock(LockGlobal(copy.get()));
    if (lock.get().address == nullptr) return false;
    CopyBoundedText(static_cast<char*>(lock.get().address), text, kTextSize);
  }
  // Whoever exchanges a block out owns it alone: the logo's thread never
  // reads a block another thread may still write or free.
  const ScopedGlobalMemory older(handedOver_.exchange(copy.release()));
  return true;
}

void LogoWindow::TakeHandedOverStatusText() {
  assert(OnOwnerThread());
  const ScopedGlobalMemory handed(handedOver_.exchange(nullptr));
  if (!handed) return;
  const ScopedGlobalLock lock(LockGlobal(handed.get()));
  if (lock.get().address != nullptr)
    CopyBoundedText(statusText_, static_cast<const char*>(lock.get().address), kTextSize);
}

int LogoWindow::BitmapRowsUnderBand() const {
  if (IsUnscaled(scale_) || drawSize_.cy <= 0) return TARVEX_LOGO_STATUS_BAND_HEIGHT;
  // Scaled, the bitmap drawn may be a variant of any height.
  BITMAP size{};
  GetObjectA(bitmap_.get(), sizeof size, &size);
  const long long drawnRows = ScaledLength(TARVEX_LOGO_STATUS_BAND_HEIGHT, scale_);
  return static_cast<int>((drawnRows * size.bmHeight + drawSize_.cy / 2) / drawSize_.cy);
}

void LogoWindow::DrawStatusLine(HWND window, HDC dc) {
  assert(OnOwnerThread());
  // Without a line the logo is painted exactly as without it.
  if (statusText_[0] == '\0') return;
  RECT client{};
  GetClientRect(window, &client);
  RECT text = StatusBand(client, scale_);
  const int margin = ScaledLength(kStatusMargin, scale_);
  text.left += margin;
  text.right -= margin;
  // Chosen once, from the bitmap's own pixels under the band.
  if (statusColour_ == CLR_INVALID) {
    const COLORREF band = BandMeanColour(dc, bitmap_.get(), palette_.get(), BitmapRowsUnderBand(), RGB(255, 255, 255));
    statusColour_ = StatusColourOn(band);
  }
  ScopedSelectObject font(dc, font_.get());
  ScopedBkMode mode(dc, TRANSPARENT);
  ScopedTextColor colour(dc, statusColour_);
  DrawTextA(dc, statusText_, -1, &text, kStatusFormat);
}

// Drawing text may set something up in the system the first time, under the
// loader lock (Wine's GDI looks up a helper of ntdll there). Done now, by the
// loading thread, which holds that lock already; else a first line painted
// while another thread unloads the library would wait for that thread, and
// that thread for the paint.
void LogoWindow::PrepareStatusLine() {
  const ScopedMemoryDC memory(CreateCompatibleDC(nullptr));
  if (!memory) return;
  ScopedSelectObject font(memory.get(), font_.get());
  ScopedBkMode mode(memory.get(), TRANSPARENT);
  RECT band{0, 0, 1, 1};
  DrawTextA(memory.get(), " ", 1, &band, kStatusFormat);
}
