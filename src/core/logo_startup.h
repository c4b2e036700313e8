// The start-up object: all state of the library and the start-up policy.
// LogoStartup holds the generic start-up and logo behaviour; the product class
// derived from it answers the product-specific questions.
#pragma once

#include <windows.h>

#include "core/bounded_text.h"
#include "core/exit_commands.h"
#include "logo/logo_window.h"
#include "settings/reg_key.h"

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
  // At an unload on any thread; `processEnding` when the process is ending,
  // its other threads gone: then the exit command runs first, and nothing of
  // theirs is touched.
  void OnProcessDetach(bool processEnding = false);
  // Ends the process with exit code 2, after the "MSG_BAD_TIME" message, when
  // the local clock cannot be held as 32-bit calendar time.
  void CheckClock();
  // ExitCommands::Set: any thread, any time; the copy returned stays valid
  // until the unload.
  const char* SetExitCommand(const char* command, int show);
  // Starts the last command set, once, without waiting for it: the one
  // program it names, or none, with a diagnostics line that says why.
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

  // ---- logo (core/logo_startup.cpp; the logo itself is logo/logo_window.h's)
  // Shows the logo window of the settled mode and edition.
  void CreateLogoWindow();
  // LogoClose's result, from any thread (LogoWindow::Close).
  int CloseLogo();
  LRESULT LogoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Bitmap resource name for the display class, into a buffer of kTextSize bytes.
  void LogoBitmapName(bool svga, char* name);
  // LogoSetStatusText's result, from any thread (LogoWindow::SetStatusText).
  int SetStatusText(const char* text);
  // The logo: its window, bitmap, palette, font and status line.
  LogoWindow& Logo() { return logo_; }
  const LogoWindow& Logo() const { return logo_; }

  // ---- state, in this order
  HMODULE module;                        // the library's own module while attached
  char title[kTextSize];                 // caption of the logo window and of every message box
  int mode;                              // 0 main, 1 forms, 2 third mode
  int edition;                           // 16 until the start-up settles it
  int language;                          // interface language number, 0 English
  HMODULE resourceModule;                // where strings, bitmaps and the mode dialog come from
  ResourceIdLookup resourceIdLookup;     // the resource module's "GetResourceID", or null
  ExitCommands exitCommands;             // started at process detach; copies freed there
  // Where the resource library's full name is built: a name of any folder is
  // up to 64 KiB, too much for the stack of the loader's call.
  WCHAR resourcePath[kLongPathSize];
 private:
  // The logo's questions, answered by this start-up.
  class LogoQuestions final : public LogoHost {
   public:
    explicit LogoQuestions(LogoStartup& startup) : startup_(startup) {}
    void LogoBitmapName(bool svga, char* name) override { startup_.LogoBitmapName(svga, name); }
    int LogoLanguageSetting() override { return startup_.ReadLanguageSetting(); }
    void PaintExtras(HWND window, HDC dc) override { startup_.PaintExtras(window, dc); }

   private:
    LogoStartup& startup_;
  };

  LogoQuestions logoQuestions_{*this};
  LogoWindow logo_;
};

// The one start-up object, or null before it is constructed and after it is destroyed.
LogoStartup* TheStartup();

// The logo window class's procedure: hands every message to the start-up
// object's LogoWindowProc, or to DefWindowProcA when there is none.
LRESULT CALLBACK LogoWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
