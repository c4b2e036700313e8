// The centred logo window: its class, creation, painting, palette handling and
// release.
#include "logo/logo_window.h"

#include "core/bounded_text.h"
#include "core/diagnostics.h"
#include "core/edition_and_mode.h"
#include "core/logo_startup.h"
#include "diagnostic_lines.h"
#include "logo/dib_palette.h"
#include "logo/logo_scale.h"
#include "logo/logo_variant.h"
#include "logo/scoped_gdi.h"
#include "tarvex_logo.h"

const char kLogoWindowClassName[] = TARVEX_LOGO_WINDOW_CLASS;

namespace {

constexpr UINT kLogoClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
constexpr DWORD kLogoStyle = WS_POPUP | WS_DLGFRAME;
constexpr DWORD kLogoExStyle = WS_EX_CLIENTEDGE;

// Languages 1 and 4 are the two tied to the Cyrillic code page.
DWORD LogoCharacterSet(int languageSetting) {
  return (languageSetting == 1 || languageSetting == 4) ? RUSSIAN_CHARSET : DEFAULT_CHARSET;
}

// Why there is no bitmap: the logo's bitmaps come from the resource library,
// and without one the library's own module, which holds none, stands in.
void DiagnoseMissingBitmap(bool ownModuleServes, const char* name) {
  if (ownModuleServes) {
    Diagnose(TARVEX_DIAG_NO_LOGO "no resource library was loaded, and the logo's bitmap %s comes from it", name);
  } else {
    Diagnose(TARVEX_DIAG_NO_LOGO "the resource library has no bitmap %s", name);
  }
}

// Why a bitmap that is there gave no picture: a size past the logo's limit,
// else damage or a platform that could not make it.
void DiagnoseUnusableBitmap(HMODULE resourceModule, const char* name) {
  SIZE declared{};
  if (CheckBitmapResource(resourceModule, name, &declared) == BitmapResourceState::TooLarge) {
    const SIZE limit = LogoBitmapLimit();
    Diagnose(TARVEX_DIAG_NO_LOGO "bitmap %s of the resource library declares %dx%d pixels, more than a logo's %dx%d",
             name, static_cast<int>(declared.cx), static_cast<int>(declared.cy), static_cast<int>(limit.cx),
             static_cast<int>(limit.cy));
  } else {
    Diagnose(TARVEX_DIAG_NO_LOGO "bitmap %s of the resource library could not be made into a picture", name);
  }
}

// The logo's scale at `dpi` for a bitmap of `bitmap` pixels, within the work
// area (the screen when the work area cannot be had).
LogoScale FittingLogoScale(int dpi, SIZE bitmap) {
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, kLogoStyle, FALSE, kLogoExStyle);
  RECT workArea{};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0)) {
    workArea = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  return ChooseLogoScale(dpi, bitmap, SIZE{frame.right - frame.left, frame.bottom - frame.top}, workArea);
}

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

LRESULT CALLBACK LogoWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LogoStartup* startup = TheStartup();
  // A message after the start-up object is gone still gets an answer.
  if (startup == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return startup->LogoWindowProc(window, message, wParam, lParam);
}

// Registers the logo window class. A class an earlier load left behind
// (its window still waiting for its own thread to destroy it) is replaced
// when it can be, else taken over by the new window.
LogoClassRegistration LogoStartup::RegisterLogoWindowClass() {
  WNDCLASSA windowClass{};
  windowClass.style = kLogoClassStyle;
  windowClass.lpfnWndProc = LogoWindowProcedure;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = module;
  windowClass.hIcon = nullptr;
  windowClass.hCursor = nullptr;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = kLogoWindowClassName;
  if (RegisterClassA(&windowClass) != 0) return LogoClassRegistration::Registered;
  DWORD error = GetLastError();
  if (error == ERROR_CLASS_ALREADY_EXISTS) {
    if (UnregisterClassA(kLogoWindowClassName, module)) {
      if (RegisterClassA(&windowClass) != 0) return LogoClassRegistration::Registered;
      error = GetLastError();
    } else if (GetLastError() == ERROR_CLASS_HAS_WINDOWS) {
      return LogoClassRegistration::TakenOver;
    }
  }
  DiagnoseSystemError(error, "", TARVEX_DIAG_NO_LOGO "the window class could not be registered: ");
  return LogoClassRegistration::Failed;
}

bool LogoStartup::LoadLogoBitmap(bool svga, const char* name) {
  if (svga) {
    HBITMAP bitmap = nullptr;
    HPALETTE palette = nullptr;
    if (LoadBitmapWithPalette(resourceModule, name, &bitmap, &palette) == 0) {
      DiagnoseMissingBitmap(resourceModule == module, name);
      return false;
    }
    logoBitmap.reset(bitmap);
    logoPalette.reset(palette);
  } else {
    // The plain loader reads as far as the header says, past the end of a
    // short resource: it gets only whole ones.
    const BitmapResourceState state = CheckBitmapResource(resourceModule, name);
    if (state == BitmapResourceState::Missing) {
      DiagnoseMissingBitmap(resourceModule == module, name);
      return false;
    }
    if (state == BitmapResourceState::Whole) {
      logoBitmap.reset(LoadResourceBitmap(name));
      if (!logoBitmap) {
        DiagnoseSystemError(GetLastError(), "",
                            TARVEX_DIAG_NO_LOGO "the platform refused bitmap %s of the resource library: ", name);
        return false;
      }
    }
  }
  if (!logoBitmap) {
    DiagnoseUnusableBitmap(resourceModule, name);
    return false;
  }
  return true;
}

LogoPlacement LogoStartup::PlaceLogo(SIZE bitmap, int dpi) {
  statusColour = CLR_INVALID;
  logoScale = dpi > kBaseDpi ? FittingLogoScale(dpi, bitmap) : kUnscaled;
  const bool scaled = !IsUnscaled(logoScale);
  logoDrawSize = SIZE{ScaledLength(bitmap.cx, logoScale), ScaledLength(bitmap.cy, logoScale)};
  logoStretched = scaled;
  RECT widened{0, 0, ScaledLength(bitmap.cx, logoScale), ScaledLength(bitmap.cy, logoScale)};
  // At the bitmap's own size the plain form, which does not allow for the
  // client edge, and one dialog frame more make up for part of it. Scaled,
  // the client area is exactly the drawn logo: the full form, edge included.
  if (scaled) {
    AdjustWindowRectEx(&widened, kLogoStyle, FALSE, kLogoExStyle);
  } else {
    AdjustWindowRect(&widened, kLogoStyle, FALSE);
  }
  CreateLogoFont();
  const int frameWidth = scaled ? 0 : GetSystemMetrics(SM_CXDLGFRAME);
  const int frameHeight = scaled ? 0 : GetSystemMetrics(SM_CYDLGFRAME);
  return PlaceLogoWindow(widened, frameWidth, frameHeight, GetSystemMetrics(SM_CXSCREEN),
                         GetSystemMetrics(SM_CYSCREEN));
}

bool LogoStartup::LoadLogoVariant(const char* name, SIZE target, char* drawn) {
  SIZE sizes[kLogoVariantCount];
  int percents[kLogoVariantCount];
  int count = 0;
  char variant[kTextSize];
  for (int percent : kLogoVariantPercents) {
    LogoVariantName(name, percent, variant, kTextSize);
    SIZE declared{};
    const BitmapResourceState state = CheckBitmapResource(resourceModule, variant, &declared);
    if (state == BitmapResourceState::Whole) {
      sizes[count] = declared;
      percents[count++] = percent;
    } else if (state != BitmapResourceState::Missing) {
      Diagnose("logo variant %s left aside: %s", variant,
               state == BitmapResourceState::TooLarge ? "larger than a logo may be" : "damaged");
    }
  }
  while (count > 0) {
    const int pick = ChooseLogoVariant(sizes, count, target);
    LogoVariantName(name, percents[pick], variant, kTextSize);
    HBITMAP bitmap = nullptr;
    HPALETTE palette = nullptr;
    const bool found = LoadBitmapWithPalette(resourceModule, variant, &bitmap, &palette) != 0;
    UniquePalette ownPalette(palette);
    // Found but not made into a bitmap: as unusable as a damaged one.
    if (found && bitmap != nullptr) {
      logoBitmap.reset(bitmap);
      logoPalette.reset(ownPalette.release());
      CopyBoundedText(drawn, variant, kTextSize);
      return true;
    }
    Diagnose("logo variant %s left aside: it could not be made into a picture", variant);
    --count;
    sizes[pick] = sizes[count];
    percents[pick] = percents[count];
  }
  return false;
}

HWND LogoStartup::OpenLogoWindow(const LogoPlacement& placement, LogoClassRegistration registration) {
  const HWND window = CreateWindowExA(kLogoExStyle, kLogoWindowClassName, title, kLogoStyle, placement.x, placement.y,
                                      placement.width, placement.height, nullptr, nullptr, module, nullptr);
  if (window == nullptr) return nullptr;
  // A close before this window answered for none.
  InterlockedExchange(&logoCloseClaimed, 0);
  PublishLogoWindow(window);
  if (registration == LogoClassRegistration::TakenOver) {
    // The class still names the system's procedure: this window and later ones get the library's.
    SetClassLongPtrA(window, GCLP_WNDPROC, reinterpret_cast<LONG_PTR>(LogoWindowProcedure));
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LogoWindowProcedure));
  }
  return window;
}

void LogoStartup::CreateLogoWindow() {
  const LogoClassRegistration registration = RegisterLogoWindowClass();
  if (registration == LogoClassRegistration::Failed) return;
  const bool svga = IsSvgaDisplay();
  char name[kTextSize];
  LogoBitmapName(svga, name);
  if (!LoadLogoBitmap(svga, name)) return;

  BITMAP size{};
  GetObjectA(logoBitmap.get(), sizeof size, &size);
  const int dpi = ScreenDpi();
  const LogoPlacement placement = PlaceLogo(SIZE{size.bmWidth, size.bmHeight}, dpi);
  // Scaled, a variant drawn for the scale serves where the library has one.
  char drawn[kTextSize];
  CopyBoundedText(drawn, name, kTextSize);
  if (svga && logoStretched && LoadLogoVariant(name, logoDrawSize, drawn)) {
    GetObjectA(logoBitmap.get(), sizeof size, &size);
    logoStretched = size.bmWidth != logoDrawSize.cx || size.bmHeight != logoDrawSize.cy;
  }
  const HWND window = OpenLogoWindow(placement, registration);
  if (window == nullptr) {
    DiagnoseSystemError(GetLastError(), "", TARVEX_DIAG_NO_LOGO "the window for %s could not be created: ", name);
    return;
  }
  ShowWindow(window, SW_SHOW);
  // Paints at once, so the logo is up before the host's message loop runs.
  UpdateWindow(window);
  Diagnose(TARVEX_DIAG_LOGO_SHOWN_FORMAT, name, placement.x, placement.y, placement.width, placement.height,
           logoPalette ? " with its palette" : "");
  if (!IsUnscaled(logoScale)) {
    Diagnose(TARVEX_DIAG_LOGO_DRAWN_FORMAT, dpi, static_cast<int>(logoDrawSize.cx), static_cast<int>(logoDrawSize.cy),
             drawn, static_cast<int>(size.bmWidth), static_cast<int>(size.bmHeight),
             logoStretched ? TARVEX_DIAG_STRETCHED : TARVEX_DIAG_PIXEL_FOR_PIXEL);
  }
}

LRESULT LogoStartup::LogoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      ScopedPaint paint(BeginPainting(window));
      if (paint.get().dc == nullptr) return 0;
      const HDC dc = paint.get().dc;
      ScopedSelectPalette selected(dc, logoPalette.get());
      if (logoPalette) RealizePalette(dc);
      if (logoStretched) {
        DrawScaledBitmap(dc, logoBitmap.get(), logoDrawSize.cx, logoDrawSize.cy);
      } else {
        DrawBitmap(dc, 0, 0, logoBitmap.get());
      }
      // Painting runs on the logo's thread, which alone writes statusText.
      TakeHandedOverStatusText();
      PaintExtras(window, dc);
      return 0;
    }
    case WM_QUERYNEWPALETTE:
      if (RealizeWindowPalette(window, logoPalette.get()) != 1) return 0;
      InvalidateRect(window, nullptr, TRUE);
      return 1;
    case WM_PALETTECHANGED:
      if (reinterpret_cast<HWND>(wParam) != window && RealizeWindowPalette(window, logoPalette.get()) == 1) {
        InvalidateRect(window, nullptr, TRUE);
      }
      return 0;
    case kCloseLogoMessage:
      // Another thread's LogoClose: this is the logo's thread, which may release it.
      if (window == SharedLogoWindow()) ReleaseLogo();
      return 0;
    case WM_NCDESTROY:
      // Destroyed by other means (a WM_CLOSE, say): forget the handle so that
      // CloseLogo never destroys a window that later reuses it.
      if (window == SharedLogoWindow()) PublishLogoWindow(nullptr);
      return DefWindowProcA(window, message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void LogoStartup::LogoBitmapName(bool svga, char* name) {
  CopyBoundedText(name, svga ? "SVGA_LOGO_" : "VGA_LOGO_", kTextSize);
  switch (mode) {
    case 0:
      AppendBoundedText(name, EditionName(edition), kTextSize);
      break;
    case 1:
      AppendBoundedText(name, "PELTRA", kTextSize);
      break;
    case 2:
      AppendBoundedText(name, "DRUVA", kTextSize);
      break;
    default:  // the bare prefix
      break;
  }
}

void LogoStartup::CreateLogoFont() {
  if (logoFont) return;
  // Read afresh: the setting, not the language field, picks the character set.
  const DWORD charSet = LogoCharacterSet(ReadLanguageSetting());
  // Height and width follow the logo's scale: at 192 DPI 22 by 10.
  logoFont.reset(CreateFontA(ScaledLength(11, logoScale), ScaledLength(5, logoScale), 0, 0, FW_NORMAL, 0, 0, 0, charSet,
                             OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DRAFT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial"));
}
