// The logo window and everything it uses, with one owner: the window, its
// bitmap, palette and font, its scale, the status line and its hand-over
// from other threads, and the close another thread asks for. The window
// belongs to the thread that loaded the library; the logo moves between its
// states by atomic steps and is released by exactly one thread.
#pragma once

#include <windows.h>

#include <atomic>

#include "logo/logo_drawing.h"
#include "logo/logo_scale.h"
#include "scoped_gdi.h"
#include "text/bounded_text.h"

// Name of the logo window class.
extern const char kLogoWindowClassName[];

// Posted to the logo window by another thread's LogoClose: the logo's thread
// releases the logo when it pumps it. Private to the class.
constexpr UINT kCloseLogoMessage = WM_USER + 1;

// How long an unload on another thread waits for the logo's thread to hand
// the window back, in milliseconds.
constexpr DWORD kHandBackMs = 500;

// How the logo window class came to be there.
enum class LogoClassRegistration { Registered, TakenOver, Failed };

// Where the logo is: not made, shown (its window may have failed or gone),
// a close asked of its thread, released.
enum class LogoState { None, Shown, CloseAsked, Released };

// What the start-up that shows the logo answers while it is made and painted.
class LogoHost {
 public:
  // The bitmap resource name for the display class, into kTextSize bytes.
  virtual void LogoBitmapName(bool svga, char* name) = 0;
  // The language setting, read afresh: it picks the font's character set.
  virtual int LogoLanguageSetting() = 0;
  // Draws over the logo after the bitmap, with its palette selected.
  virtual void PaintExtras(HWND window, HDC dc) = 0;

 protected:
  ~LogoHost() = default;
};

// What a logo is made from.
struct LogoSource {
  HMODULE module;     // the library's own: instance of the class and the window
  HMODULE resources;  // where the bitmaps come from; `module` when no resource library loaded
  const char* title;  // the window's text
  WNDPROC procedure;  // the class's procedure, which hands every message to HandleMessage
  LogoHost* host;
};

class LogoWindow {
 public:
  // The thread that makes the object owns the logo: the one that loads the library.
  LogoWindow();
  LogoWindow(const LogoWindow&) = delete;
  LogoWindow& operator=(const LogoWindow&) = delete;

  // On the logo's thread: registers the class, loads the bitmap, shows the
  // window and paints it at once. What failed goes to the diagnostics only.
  void Show(const LogoSource& source);
  // Any thread, LogoClose's result. On the logo's thread: releases the logo,
  // and gives the font's DeleteObject result (0 without a font), or 0 when
  // another thread's close answered for it. From another thread: 1 when the
  // logo's thread was asked to release it at its next pump; without a
  // window, releases it there and gives the font's result; 0 when there is
  // nothing to close or a close answered already. The palette stays.
  int Close();
  // The class procedure's work, on the logo's thread; its frames are counted.
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Any thread, LogoSetStatusText's result: keeps at most 511 characters of
  // `text`. On the logo's thread it repaints the band of a showing logo at
  // once; from another thread it hands the text over and returns at once,
  // and the logo's thread takes it at its next paint or line. 1 when a logo
  // window is showing, 0 when there is none, -1 when the text could not be
  // handed over for want of memory.
  int SetStatusText(const char* text);
  // On the logo's thread, from PaintExtras: the status line over the logo.
  void DrawStatusLine(HWND window, HDC dc);
  // At the unload, on any thread: on another thread the window and its class
  // are handed to the system's procedure and the window closed by its own
  // thread, within kHandBackMs; once no frame of the procedure runs,
  // everything is released and the class removed. False when a frame still
  // ran when the bound was out: what it uses is then left alone.
  bool ReleaseAtUnload();

  // What the logo holds now, for reports and tests.
  LogoState State() const { return state_.load(); }
  HWND Window() const { return window_.load(); }
  HBITMAP Bitmap() const { return bitmap_.get(); }
  HPALETTE Palette() const { return palette_.get(); }
  HFONT Font() const { return font_.get(); }
  // The status line as the logo's thread last took it.
  const char* StatusText() const { return statusText_; }

 private:
  bool OnOwnerThread() const;
  LogoClassRegistration RegisterWindowClass();
  bool LoadLogoBitmap(bool svga, const char* name);
  LogoPlacement Place(SIZE bitmap, int dpi);
  bool LoadVariant(const char* name, SIZE target, char* drawn);
  HWND Open(const LogoPlacement& placement, LogoClassRegistration registration);
  void MakeFont();
  void Report(const char* name, const LogoPlacement& placement, int dpi, const char* drawn);
  LRESULT Paint(HWND window);
  int CloseHere();
  int AskOwnerToClose();
  int Release();
  bool HandBack(HWND window);
  bool WaitForNoFrames(DWORD start);
  void UnregisterWindowClass();
  bool HandOverStatusText(const char* text);
  void TakeHandedOverStatusText();
  int BitmapRowsUnderBand() const;
  void PrepareStatusLine();

  const DWORD ownerThread_;
  LogoSource source_{};
  std::atomic<LogoState> state_{LogoState::None};
  // Read by any thread; written by the logo's thread, or by the unload.
  std::atomic<HWND> window_{nullptr};
  // Frames of the window procedure running on the logo's thread.
  std::atomic<int> frames_{0};
  UniqueBitmap bitmap_;
  UniquePalette palette_;  // kept from the close to the unload
  UniqueFont font_;
  LogoScale scale_ = kUnscaled;     // the drawn size against the base bitmap's
  SIZE drawSize_{0, 0};             // the client area when scaled, in pixels
  bool stretched_ = false;          // when scaled: the bitmap drawn is not of drawSize_
  COLORREF statusColour_ = CLR_INVALID;
  // The logo's thread's alone, so a paint never reads it half-written.
  char statusText_[kTextSize] = "";
  // A line from another thread, in a GlobalAlloc block, until the logo's thread takes it.
  std::atomic<HGLOBAL> handedOver_{nullptr};
};
