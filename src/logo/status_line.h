// The host's line of progress on the logo: where it goes and how it looks.
#pragma once

#include <windows.h>

// The band along the bottom of a client area of `client` where the status
// line is drawn: TARVEX_LOGO_STATUS_BAND_HEIGHT pixels high, the full width.
RECT StatusBand(const RECT& client);

// Where the text goes in the band: a small margin each side, in pixels.
constexpr int kStatusMargin = 6;
// Dark slate: it reads on the light lower part of every logo picture.
constexpr COLORREF kStatusColour = RGB(40, 52, 80);
// One line, cut with an ellipsis, prefix characters shown as they are.
constexpr UINT kStatusFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX;
