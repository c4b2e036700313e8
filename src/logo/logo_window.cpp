// The logo window made and shown: its class, its bitmap (or the variant
// drawn for the display's scale), its place in the middle of the screen, its
// font; and the messages of its procedure.
#include "logo/logo_window.h"

#include <cassert>
#include <utility>

#include "diagnostics/diagnostics.h"
#include "logo/dib_palette.h"
#include "logo/logo_variant.h"
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
    Diagnose(diagnostic_form::NoLogoWithoutLibrary, name);
  } else {
    Diagnose(diagnostic_form::NoLogoWithoutBitmap, name);
  }
}

// Why a bitmap that is there gave no picture: a size past the logo's limit,
// else damage or a platform that could not make it.
void DiagnoseUnusableBitmap(HMODULE resourceModule, const char* name) {
  SIZE declared{};
  if (CheckBitmapResource(resourceModule, name, &declared) == BitmapResourceState::TooLarge) {
    const SIZE limit = LogoBitmapLimit();
    Diagnose(diagnostic_form::NoLogoTooLarge, name, static_cast<int>(declared.cx), static_cast<int>(declared.cy),
             static_cast<int>(limit.cx), static_cast<int>(limit.cy));
  } else {
    Diagnose(diagnostic_form::NoLogoUnmade, name);
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

// Counts a frame of the window procedure for as long as it runs.
class ProcedureFrame {
 public:
  explicit ProcedureFrame(std::atomic<int>& frames) : frames_(frames) { ++frames_; }
  ~ProcedureFrame() { --frames_; }
  ProcedureFrame(const ProcedureFrame&) = delete;
  ProcedureFrame& operator=(const ProcedureFrame&) = delete;

 private:
  std::atomic<int>& frames_;
};

}  // namespace

LogoWindow::LogoWindow() : ownerThread_(GetCurrentThreadId()) {}

bool LogoWindow::OnOwnerThread() const { return GetCurrentThreadId() == ownerThread_; }

// A class an earlier load left behind, its window still waiting for its own
// thread to destroy it, is replaced when it can be, else taken over: it then
// keeps the system's procedure, and only this load's window gets the library's.
LogoClassRegistration LogoWindow::RegisterWindowClass() {
  WNDCLASSA windowClass{};
  windowClass.style = kLogoClassStyle;
  windowClass.lpfnWndProc = source_.procedure;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = source_.module;
  windowClass.hIcon = nullptr;
  windowClass.hCursor = nullptr;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = kLogoWindowClassName;
  if (RegisterClassA(&windowClass) != 0) return LogoClassRegistration::Registered;
  DWORD error = GetLastError();
  if (error == ERROR_CLASS_ALREADY_EXISTS) {
    if (UnregisterClassA(kLogoWindowClassName, source_.module)) {
      if (RegisterClassA(&windowClass) != 0) return LogoClassRegistration::Registered;
      error = GetLastError();
    } else if (GetLastError() == ERROR_CLASS_HAS_WINDOWS) {
      return LogoClassRegistration::TakenOver;
    }
  }
  const SystemError why(error);
  Diagnose(diagnostic_form::NoLogoClassRefused, why.text, why.code);
  return LogoClassRegistration::Failed;
}

bool LogoWindow::LoadLogoBitmap(bool svga, const char* name) {
  const HMODULE resources = source_.resources;
  if (svga) {
    BitmapWithPalette loaded = LoadBitmapWithPalette(resources, name);
    if (!loaded.found) {
      DiagnoseMissingBitmap(resources == source_.module, name);
      return false;
    }
    bitmap_ = std::move(loaded.bitmap);
    palette_ = std::move(loaded.palette);
  } else {
    // The plain loader reads as far as the header says, past the end of a
    // short resource: it gets only whole ones.
    const BitmapResourceState state = CheckBitmapResource(resources, name);
    if (state == BitmapResourceState::Missing) {
      DiagnoseMissingBitmap(resources == source_.module, name);
      return false;
    }
    if (state == BitmapResourceState::Whole) {
      bitmap_.reset(resources != nullptr ? LoadBitmapA(resources, name) : nullptr);
      if (!bitmap_) {
        const SystemError why(GetLastError());
        Diagnose(diagnostic_form::NoLogoRefused, name, why.text, why.code);
        return false;
      }
    }
  }
  if (!bitmap_) {
    DiagnoseUnusableBitmap(resources, name);
    return false;
  }
  return true;
}

LogoPlacement LogoWindow::Place(SIZE bitmap, int dpi) {
  statusColour_ = CLR_INVALID;
  scale_ = dpi > kBaseDpi ? FittingLogoScale(dpi, bitmap) : kUnscaled;
  const bool scaled = !IsUnscaled(scale_);
  drawSize_ = SIZE{ScaledLength(bitmap.cx, scale_), ScaledLength(bitmap.cy, scale_)};
  stretched_ = scaled;
  RECT widened{0, 0, drawSize_.cx, drawSize_.cy};
  // At the bitmap's own size the plain form, which does not allow for the
  // client edge, and one dialog frame more make up for part of it. Scaled,
  // the client area is exactly the drawn logo: the full form, edge included.
  if (scaled) {
    AdjustWindowRectEx(&widened, kLogoStyle, FALSE, kLogoExStyle);
  } else {
    AdjustWindowRect(&widened, kLogoStyle, FALSE);
  }
  MakeFont();
  const int frameWidth = scaled ? 0 : GetSystemMetrics(SM_CXDLGFRAME);
  const int frameHeight = scaled ? 0 : GetSystemMetrics(SM_CYDLGFRAME);
  return PlaceLogoWindow(widened, frameWidth, frameHeight, GetSystemMetrics(SM_CXSCREEN),
                         GetSystemMetrics(SM_CYSCREEN));
}

// Of the variants of bitmap `name` drawn for larger scales, the one that fits
// `target` pixels, into the bitmap and palette, its name into `drawn`
// (kTextSize bytes); false, all three untouched, when none loads.
bool LogoWindow::LoadVariant(const char* name, SIZE target, char* drawn) {
  SIZE sizes[kLogoVariantCount];
  int percents[kLogoVariantCount];
  int count = 0;
  char variant[kTextSize];
  for (int percent : kLogoVariantPercents) {
    LogoVariantName(name, percent, variant, kTextSize);
    SIZE declared{};
    const BitmapResourceState state = CheckBitmapResource(source_.resources, variant, &declared);
    if (state == BitmapResourceState::Whole) {
      sizes[count] = declared;
      percents[count++] = percent;
    } else if (state != BitmapResourceState::Missing) {
      Diagnose(diagnostic_form::LogoVariantLeftAside, variant,
               state == BitmapResourceState::TooLarge ? "larger than a logo may be" : "damaged");
    }
  }
  while (count > 0) {
    const int pick = ChooseLogoVariant(sizes, count, target);
    LogoVariantName(name, percents[pick], variant, kTextSize);
    BitmapWithPalette loaded = LoadBitmapWithPalette(source_.resources, variant);
    // Found but not made into a bitmap: as unusable as a damaged one.
    if (loaded.found && loaded.bitmap) {
      bitmap_ = std::move(loaded.bitmap);
      palette_ = std::move(loaded.palette);
      CopyBoundedText(drawn, variant, kTextSize);
      return true;
    }
    Diagnose(diagnostic_form::LogoVariantLeftAside, variant, "it could not be made into a picture");
    --count;
    sizes[pick] = sizes[count];
    percents[pick] = percents[count];
  }
  return false;
}

HWND LogoWindow::Open(const LogoPlacement& placement, LogoClassRegistration registration) {
  const HWND window =
      CreateWindowExA(kLogoExStyle, kLogoWindowClassName, source_.title, kLogoStyle, placement.x, placement.y,
                      placement.width, placement.height, nullptr, nullptr, source_.module, nullptr);
  if (window == nullptr) return nullptr;
  window_ = window;
  // A class taken over keeps the system's procedure: an unload that cannot
  // remove it leaves nothing there that would run the library's code.
  if (registration == LogoClassRegistration::TakenOver) {
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(source_.procedure));
  }
  return window;
}

void LogoWindow::MakeFont() {
  if (font_) return;
  const DWORD charSet = LogoCharacterSet(source_.host->LogoLanguageSetting());
  // Height and width follow the logo's scale: at 192 DPI 22 by 10.
  font_.reset(CreateFontA(ScaledLength(11, scale_), ScaledLength(5, scale_), 0, 0, FW_NORMAL, 0, 0, 0, charSet,
                          OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DRAFT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial"));
}

void LogoWindow::Report(const char* name, const LogoPlacement& placement, int dpi, const char* drawn) {
  Diagnose(diagnostic_form::LogoShown, name, placement.x, placement.y, placement.width, placement.height,
           palette_ ? " with its palette" : "");
  if (IsUnscaled(scale_)) return;
  BITMAP size{};
  GetObjectA(bitmap_.get(), sizeof size, &size);
  Diagnose(diagnostic_form::LogoDrawn, dpi, static_cast<int>(drawSize_.cx), static_cast<int>(drawSize_.cy), drawn,
           static_cast<int>(size.bmWidth), static_cast<int>(size.bmHeight),
           stretched_ ? TARVEX_DIAG_STRETCHED : TARVEX_DIAG_PIXEL_FOR_PIXEL);
}

void LogoWindow::Show(const LogoSource& source) {
  assert(OnOwnerThread());
  source_ = source;
  const LogoClassRegistration registration = RegisterWindowClass();
  if (registration == LogoClassRegistration::Failed) return;
  const bool svga = IsSvgaDisplay();
  char name[kTextSize];
  source_.host->LogoBitmapName(svga, name);
  if (!LoadLogoBitmap(svga, name)) return;

  BITMAP size{};
  GetObjectA(bitmap_.get(), sizeof size, &size);
  const int dpi = ScreenDpi();
  const LogoPlacement placement = Place(SIZE{size.bmWidth, size.bmHeight}, dpi);
  // Scaled, a variant drawn for the scale serves where the library has one.
  char drawn[kTextSize];
  CopyBoundedText(drawn, name, kTextSize);
  if (svga && stretched_ && LoadVariant(name, drawSize_, drawn)) {
    GetObjectA(bitmap_.get(), sizeof size, &size);
    stretched_ = size.bmWidth != drawSize_.cx || size.bmHeight != drawSize_.cy;
  }
  const HWND window = Open(placement, registration);
  // From here a close answers for this logo, window or not; not before, so
  // that no close takes the bitmap away while the window is being made.
  state_ = LogoState::Shown;
  if (window == nullptr) {
    const SystemError why(GetLastError());
    Diagnose(diagnostic_form::NoLogoWindow, name, why.text, why.code);
    return;
  }
  ShowWindow(window, SW_SHOW);
  // Paints at once, so the logo is up before the host's message loop runs.
  UpdateWindow(window);
  PrepareStatusLine();
  Report(name, placement, dpi, drawn);
}

LRESULT LogoWindow::Paint(HWND window) {
  assert(OnOwnerThread());
  ScopedPaint paint(BeginPainting(window));
  if (paint.get().dc == nullptr) return 0;
  const HDC dc = paint.get().dc;
  ScopedSelectPalette selected(dc, palette_.get());
  if (palette_) RealizePalette(dc);
  if (stretched_) {
    DrawScaledBitmap(dc, bitmap_.get(), drawSize_.cx, drawSize_.cy);
  } else {
    DrawBitmap(dc, 0, 0, bitmap_.get());
  }
  TakeHandedOverStatusText();
  source_.host->PaintExtras(window, dc);
  return 0;
}

LRESULT LogoWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const ProcedureFrame frame(frames_);
  switch (message) {
    case WM_PAINT:
      return Paint(window);
    case WM_QUERYNEWPALETTE:
      if (RealizeWindowPalette(window, palette_.get()) != 1) return 0;
      InvalidateRect(window, nullptr, TRUE);
      return 1;
    case WM_PALETTECHANGED:
      if (reinterpret_cast<HWND>(wParam) != window && RealizeWindowPalette(window, palette_.get()) == 1) {
        InvalidateRect(window, nullptr, TRUE);
      }
      return 0;
    case kCloseLogoMessage: {
      // Another thread's LogoClose, unless the unload took the logo since.
      LogoState asked = LogoState::CloseAsked;
      if (window == window_.load() && state_.compare_exchange_strong(asked, LogoState::Released)) Release();
      return 0;
    }
    case WM_NCDESTROY: {
      // Destroyed by other means (a WM_CLOSE, say): forget the handle so that
      // a close never destroys a window that later reuses it.
      HWND ours = window;
      window_.compare_exchange_strong(ours, nullptr);
      return DefWindowProcA(window, message, wParam, lParam);
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
