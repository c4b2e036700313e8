// The logo's scale: its DPI and the room the work area leaves.
#include "logo/logo_scale.h"

#include "scoped_gdi.h"

namespace {

// True when a/b is below c/d; the denominators are positive.
bool Below(long long a, long long b, long long c, long long d) { return a * d < c * b; }

}  // namespace

bool IsUnscaled(const LogoScale& scale) { return scale.numerator == scale.denominator; }

int ScaledLength(int length, const LogoScale& scale) {
  if (IsUnscaled(scale)) return length;
  const long long product = static_cast<long long>(length) * scale.numerator;
  const long long half = scale.denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / scale.denominator
                                       : (product - half) / scale.denominator);
}

int ScreenDpi() {
  // LOGPIXELSX answers as GetDpiForSystem does for every kind of host, and on
  // every system: 96 to a host the system scales itself, the system DPI to
  // an aware one.
  ScopedWindowDC dc(WindowDcOf(GetDesktopWindow(), WindowDcArea::WholeWindow));
  if (dc.get() == nullptr) return kBaseDpi;
  const int dpi = GetDeviceCaps(dc.get(), LOGPIXELSX);
  return dpi > 0 ? dpi : kBaseDpi;
}

LogoScale ChooseLogoScale(int dpi, SIZE bitmap, SIZE frame, const RECT& workArea) {
  if (dpi <= kBaseDpi || bitmap.cx <= 0 || bitmap.cy <= 0) return kUnscaled;
  // The most client area the window may have, 90% of the work area less the frame.
  const long long roomX = (static_cast<long long>(workArea.right) - workArea.left) * 9 / 10 - frame.cx;
  const long long roomY = (static_cast<long long>(workArea.bottom) - workArea.top) * 9 / 10 - frame.cy;
  long long numerator = dpi, denominator = kBaseDpi;
  if (Below(roomX, bitmap.cx, numerator, denominator)) numerator = roomX, denominator = bitmap.cx;
  if (Below(roomY, bitmap.cy, numerator, denominator)) numerator = roomY, denominator = bitmap.cy;
  if (numerator <= denominator) return kUnscaled;
  return LogoScale{static_cast<int>(numerator), static_cast<int>(denominator)};
}
