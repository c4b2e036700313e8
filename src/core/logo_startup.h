// The start-up object: all state of the library and the start-up policy.
// LogoStartup holds the generic start-up and logo behaviour; the product class
// derived from it answers the product-specific questions.
#pragma once

#include <windows.h>

#include "logo/logo_scale.h"
#include "logo/logo_window.h"
#include "logo/scoped_gdi.h"
#include "settings/reg_key.h"

// Size of every fixed text buffer of the library, in bytes (511 characters and
// the terminating zero).
constexpr int kTextSize = 512;

// Characters of the longest full file name the system hands out (32,767),
// with its terminator.
constexpr int kLongPathSize = 32768;

// The resource library's "GetResourceID": key text in, string identifier out
// (0 for a key it does not know).
typedef int(__cdecl* ResourceIdLookup)(const char* key);

class LogoStartup {
 public:
  // Sets every field to its initial value and makes this the start-up object.
  LogoStartup();
  // Clears the global pointer.
  virtual ~LogoStartup();

  LogoStartup(const LogoStartup&) = delete;
  LogoStartup& operator=(const LogoStartup&) = delete;

  // ---- product policy, in the order of the virtual table
  virtual int QueryEdition() = 0;
  // May show the mode dialog, and may end the process.
  virtual int QueryMode() = 0;
  // First part of the resource library's file name, e.g. "OxaRes".
  virtual const char* ResourceBaseName() = 0;
  // Key under HKEY_CURRENT_USER that holds the language setting, or null.
  virtual const char* UserSettingsKeyPath() = 0;
  // Draws over the logo after the bitmap; the generic class draws nothing.
  virtual void PaintExtras(HWND window, HDC dc);

  // ---- library entry (core/startup_sequence.cpp, core/clock_check.cpp, core/exit_command.cpp)
  void OnProcessAttach(HMODULE ownModule);
  void OnProcessDetach();
  // Ends the process with exit code 2, after the "MSG_BAD_TIME" message, when
  // the local clock cannot be held as 32-bit calendar time.
  void CheckClock();
  // Keeps at most 511 characters of `command` for process detach; a null
  // command clears it. Returns the stored copy.
  const char* SetExitCommand(const char* command, int show);
  void RunExitCommand();

  // ---- command line (core/command_line.cpp); 1 for yes, 0 for no
  int HasSwitch(const char* name) const;
  int LogoAllowed() const;
  int CommandLineHasFileType(const char* extension) const;

  // ---- edition and mode (core/edition_and_mode.cpp)
  // 1 unless "DisableForms" begins with "1"; *found, `text` (kTextSize bytes)
  // and *openError (when given) receive what the read found, the value's
  // text and the product key's open result.
  int FormsEnabled(StoredString* found = nullptr, char* text = nullptr, long* openError = nullptr) const;
  // 1 for the forms mode, 0 for the main mode; a cancelled dialog ends the process.
  int AskMode();
  INT_PTR ModeDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // ---- settings (settings/new_user_defaults.cpp)
  void CopyNewUserDefaults();

  // ---- language (language/*.cpp)
  // The stored language number, 0 without one; *stored (when given) is 1 when
  // the number came from a stored value, 0 when it is that default.
  int ReadLanguageSetting(int* stored = nullptr);
  void WriteLanguageSetting(int newLanguage);
  // Full name of the resource library of `forLanguage` beside the host
  // executable, into `path` (kLongPathSize characters); the empty text when
  // no whole name can be built.
  void ResourceLibraryPath(WCHAR* path, int forLanguage);
  int ResourceLibraryExists(int forLanguage);
  void LoadResourceLibrary();
  void FreeResourceLibrary();
  // The string of `key` from the resource module, or the key itself, into a
  // buffer of kTextSize bytes.
  void LookUpString(char* buffer, const char* key);
  HBITMAP LoadResourceBitmap(const char* name);
  int ShowMessage(const char* text, UINT style);
  int ShowMessageByKey(const char* key, UINT style);
  void CheckCodePage();
  void ReportCodePageMismatch();

  // ---- logo (logo/logo_window.cpp, logo/logo_close.cpp)
  void CreateLogoWindow();
  // Registers the logo window class for `module`; nothing is reported but a failure.
  LogoClassRegistration RegisterLogoWindowClass();
  // The logo's bitmap of `name` (and on an SVGA display its palette) from the
  // resource module into logoBitmap (logoPalette); false, with the reason
  // told to the diagnostics, when none could be made.
  bool LoadLogoBitmap(bool svga, const char* name);
  // Sets logoScale for a bitmap of `bitmap` pixels at `dpi`, makes the font,
  // and places the window in the middle of the screen.
  LogoPlacement PlaceLogo(SIZE bitmap, int dpi);
  // Of the variants of bitmap `name` drawn for larger scales, the one that
  // fits `target` pixels into logoBitmap and logoPalette, its name into
  // `drawn` (kTextSize bytes); false, all three untouched, when none loads.
  bool LoadLogoVariant(const char* name, SIZE target, char* drawn);
  // How many bottom rows of logoBitmap the status band covers as it is drawn.
  int BitmapRowsUnderBand() const;
  // Creates the logo window at `placement` and publishes it; null when it could not be created.
  HWND OpenLogoWindow(const LogoPlacement& placement, LogoClassRegistration registration);
  // The first call for a logo, from any thread, answers for it; later ones
  // return 0. On the logo's thread, or without a logo window: ReleaseLogo's
  // result. From any other thread it asks the logo's thread to release the
  // logo at its next pump and returns at once: 1 when it asked, 0 when the
  // request could not be posted.
  int CloseLogo();
  // Destroys the logo window (on its own thread) and deletes the bitmap and
  // font. 0 when there was no font, else DeleteObject's result for it.
  int ReleaseLogo();
  // At an unload on a thread that does not own the logo window: the window
  // is handed to the system's default procedure, its class too, and its
  // thread destroys it at its next pump; no code of the library runs for it
  // again.
  void LetGoOfLogoWindow(HWND window);
  // The logo window as any thread may read it, and its one writer (the
  // logo's thread, or the unload).
  HWND SharedLogoWindow();
  void PublishLogoWindow(HWND window);
  // True on the thread that loaded the library, which owns the logo window and statusText.
  bool OnLoaderThread() const;
  LRESULT LogoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Bitmap resource name for the display class, into a buffer of kTextSize bytes.
  void LogoBitmapName(bool svga, char* name);
  void CreateLogoFont();
  // Removes the logo window class at unload: its window procedure goes with
  // the library, and a later load into the same process registers it anew.
  void UnregisterLogoWindowClass();

  // ---- status line (logo/status_line.cpp)
  // Keeps at most 511 characters of `text` (null clears). On the logo's own
  // thread it repaints the status band of a showing logo at once; from any
  // other thread it hands the text over and returns at once, and the logo's
  // thread takes it at its next paint or status line. 1 when a logo window
  // is showing, 0 when there is none, -1 when no memory could be had to hand
  // the text over.
  int SetStatusText(const char* text);
  // Puts a copy of `text` where the logo's thread takes it; false when no
  // memory could be had for it.
  bool HandOverStatusText(const char* text);
  // On the logo's thread, or at the unload: moves a text handed over into
  // statusText.
  void TakeHandedOverStatusText();

  // ---- state, in this order
  HMODULE module;                        // the library's own module while attached
  char title[kTextSize];                 // caption of the logo window and of every message box
  int mode;                              // 0 main, 1 forms, 2 third mode
  int edition;                           // 16 until the start-up settles it
  // Written only through PublishLogoWindow; other threads read it through SharedLogoWindow.
  HWND logoWindow;
  UniqueBitmap logoBitmap;
  UniquePalette logoPalette;  // kept from the close to the unload
  UniqueFont logoFont;
  int language;                          // interface language number, 0 English
  HMODULE resourceModule;                // where strings, bitmaps and the mode dialog come from
  ResourceIdLookup resourceIdLookup;     // the resource module's "GetResourceID", or null
  char exitCommand[kTextSize];           // run at process detach when not empty
  int exitShowCommand;                   // show state for exitCommand
  // Where the resource library's full name is built: a name of any folder is
  // up to 64 KiB, too much for the stack of the loader's call.
  WCHAR resourcePath[kLongPathSize];
  // The host's line of progress on the logo, empty for none; written only on
  // the loader thread (or at the unload), so a paint never reads it half-written.
  char statusText[kTextSize];
  // A line from another thread, in a GlobalAlloc block, until the logo's
  // thread takes it; only ever swapped with InterlockedExchangePointer.
  void* volatile handedOverStatusText;
  LogoScale logoScale;                   // the logo's drawn size against its base bitmap's
  SIZE logoDrawSize;                     // the logo's client area when scaled, in pixels
  bool logoStretched;                    // when scaled: the bitmap drawn is not of logoDrawSize
  COLORREF statusColour;                 // the status line's colour, CLR_INVALID until first painted
  DWORD loaderThread;                    // the thread that constructed this object and loads the library
  // 1 once a LogoClose answered for the logo window being shown.
  LONG volatile logoCloseClaimed;
};

// The one start-up object, or null before it is constructed and after it is destroyed.
LogoStartup* TheStartup();
