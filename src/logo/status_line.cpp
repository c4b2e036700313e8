// The host's status line: kept by the start-up object, painted over the logo
// by the product's PaintExtras.
#include "logo/status_line.h"

#include "core/bounded_text.h"
#include "core/exports.h"
#include "core/product_startup.h"
#include "logo/scoped_gdi.h"

RECT StatusBand(const RECT& client) {
  RECT band = client;
  band.top = client.bottom - TARVEX_LOGO_STATUS_BAND_HEIGHT;
  if (band.top < client.top) band.top = client.top;
  return band;
}

int LogoStartup::SetStatusText(const char* text) {
  CopyBoundedText(statusText, text, sizeof statusText);
  // A window destroyed by other means, or a handle that came back to another
  // window, is not painted on.
  if (logoWindow == nullptr || !IsWindow(logoWindow) || !IsWindowVisible(logoWindow)) return 0;
  RECT client{};
  GetClientRect(logoWindow, &client);
  // Only the band: the bitmap under it is drawn again, then the new line.
  const RECT band = StatusBand(client);
  InvalidateRect(logoWindow, &band, FALSE);
  UpdateWindow(logoWindow);
  return 1;
}

void ProductStartup::PaintExtras(HWND window, HDC dc) {
  // Without a line the logo is painted exactly as without this function.
  if (statusText[0] == '\0') return;
  RECT client{};
  GetClientRect(window, &client);
  RECT text = StatusBand(client);
  text.left += kStatusMargin;
  text.right -= kStatusMargin;
  ScopedSelectObject font(dc, logoFont);
  ScopedBkMode mode(dc, TRANSPARENT);
  ScopedTextColor colour(dc, kStatusColour);
  DrawTextA(dc, statusText, -1, &text, kStatusFormat);
}
