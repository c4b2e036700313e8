// The host's line of progress on the logo: where it goes and how it looks.
#pragma once

#include <windows.h>

#include "logo/logo_scale.h"
#include "logo/status_colour.h"

// The band along the bottom of a client area of `client` where the status
// line is drawn: TARVEX_LOGO_STATUS_BAND_HEIGHT pixels at `scale` high, the full width.
RECT StatusBand(const RECT& client, const LogoScale& scale = kUnscaled);

// Where the text goes in the band: a small margin each side, in pixels at 1/1.
constexpr int kStatusMargin = 6;
// One line, cut with an ellipsis, prefix characters shown as they are.
constexpr UINT kStatusFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX;
