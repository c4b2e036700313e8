#include "logo_report.h"

#include <windows.h>

#include "debug_output_monitor.h"
#include "line_reading.h"
#include "picture_match.h"
#include "png_file.h"
#include "tarvex_logo.h"
#include "process_modules.h"
#include "scoped_gdi.h"
#include "wide_text.h"
#include "window_styles.h"

namespace {

// The bitmap the library drew and whether it stretched it, from its lines.
void ReportBitmapDrawn(JsonWriter& json) {
  const BitmapDrawn drawn = ReadBitmapDrawn(ReadDiagnosticLines(DebugOutputLines()));
  if (drawn.name.empty()) return;
  json.Field("bitmapDrawn", drawn.name);
  json.Field("stretched", drawn.stretched);
}

// The DPI the screen's device context reports; 0 when there is none.
int ScreenDpi() {
  const ScopedWindowDC screen(WindowDcOf(nullptr, WindowDcArea::Client));
  return screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
}

}  // namespace

bool ReportLogoWindow(JsonWriter& json, const Options& options) {
  HWND logo = FindWindowA(TARVEX_LOGO_WINDOW_CLASS, nullptr);
  json.Key("logoWindow");
  if (!logo) {
    json.Null();
    return false;
  }
  RECT rect = {};
  GetWindowRect(logo, &rect);
  RECT client = {};
  GetClientRect(logo, &client);
  char className[64] = "";
  GetClassNameA(logo, className, sizeof className);
  json.BeginObject();
  json.Field("className", std::string(className));
  wchar_t text[1024] = L"";
  GetWindowTextW(logo, text, 1024);
  json.Field("text", Utf8(text));
  json.Field("x", static_cast<long long>(rect.left));
  json.Field("y", static_cast<long long>(rect.top));
  json.Field("width", static_cast<long long>(rect.right - rect.left));
  json.Field("height", static_cast<long long>(rect.bottom - rect.top));
  json.Field("clientWidth", static_cast<long long>(client.right));
  json.Field("clientHeight", static_cast<long long>(client.bottom));
  json.Field("visible", IsWindowVisible(logo) != FALSE);
  // The DPI the probe's process sees, as the library asks it.
  const int dpi = ScreenDpi();
  json.Field("dpi", static_cast<long long>(dpi));
  const DWORD style = static_cast<DWORD>(GetWindowLongA(logo, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongA(logo, GWL_EXSTYLE));
  json.Field("style", static_cast<long long>(style));
  json.Field("exStyle", static_cast<long long>(exStyle));
  // The same for a person: hexadecimal and flag names.
  json.Field("styleHex", StyleHex(style));
  json.Array("styleNames", StyleNames(style));
  json.Field("exStyleHex", StyleHex(exStyle));
  json.Array("exStyleNames", ExStyleNames(exStyle));
  ReportBitmapDrawn(json);
  if (!options.capturePath.empty()) {
    json.Field("capture", CaptureWindowToPng(logo, options.capturePath) ? options.capturePath : std::string());
  }
  if (!options.expectedBitmap.empty()) {
    HMODULE resources = LoadedResourceLibrary();
    BitmapMatch match;
    // The status band at the logo's scale, the DPI over 96 (the work area
    // holds no logo of the project's size back on the test displays).
    const int band = dpi > 96 ? (TARVEX_LOGO_STATUS_BAND_HEIGHT * dpi + 48) / 96 : TARVEX_LOGO_STATUS_BAND_HEIGHT;
    if (resources) match = ClientMatchesBitmap(logo, resources, options.expectedBitmap, band);
    json.Field("bitmapMatchPercent", static_cast<long long>(match.whole));
    json.Field("statusBandMatchPercent", static_cast<long long>(match.band));
    json.Field("outsideStatusBandMatchPercent", static_cast<long long>(match.outsideBand));
  }
  json.EndObject();
  return true;
}
