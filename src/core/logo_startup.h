// The start-up object: the start-up and shut-down sequences over the owners
// of the library's state. LogoStartup holds the generic behaviour; the
// product class derived from it answers the product-specific questions.
#pragma once

#include <windows.h>

#include "core/exit_commands.h"
#include "core/startup_policy.h"
#include "language/language_setting.h"
#include "language/resource_library.h"
#include "logo/logo_window.h"

class LogoStartup {
 public:
  // Makes this the start-up object: mode main, edition not settled.
  LogoStartup();
  // Clears the global pointer.
  virtual ~LogoStartup();

  LogoStartup(const LogoStartup&) = delete;
  LogoStartup& operator=(const LogoStartup&) = delete;

  // ---- product policy, in the order of the virtual table
  virtual Edition QueryEdition() = 0;
  // May show the mode dialog, and may end the process.
  virtual Mode QueryMode() = 0;
  // First part of the resource library's file name, e.g. "OxaRes".
  virtual const char* ResourceBaseName() = 0;
  // Key under HKEY_CURRENT_USER that holds the language setting, or null.
  virtual const char* UserSettingsKeyPath() = 0;
  // Draws over the logo after the bitmap; the generic class draws nothing.
  virtual void PaintExtras(HWND window, HDC dc);

  // ---- library entry (core/startup_sequence.cpp, core/clock_check.cpp, core/exit_command.cpp)
  void OnProcessAttach(HMODULE ownModule);
  // At an unload on any thread: the logo, the resource library, the exit
  // command, in that order. `processEnding` when the process is ending, its
  // other threads gone: then only the exit command runs, and nothing of
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

  // ---- mode dialog (core/edition_and_mode.cpp)
  // Mode::Forms or Mode::Main from the dialog of the resource library; a
  // cancelled dialog ends the process.
  Mode AskMode();
  INT_PTR ModeDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // ---- logo (core/logo_startup.cpp; the logo itself is logo/logo_window.h's)
  // Shows the logo window of the settled mode and edition.
  void CreateLogoWindow();
  // LogoClose's result, from any thread (LogoWindow::Close): that of deleting
  // the font; the palette stays until the unload.
  int CloseLogo();
  LRESULT LogoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // LogoSetStatusText's result, from any thread (LogoWindow::SetStatusText).
  int SetStatusText(const char* text);

  // ---- the owners
  // The library's own module while attached, else null.
  HMODULE OwnModule() const { return resources_.OwnModule(); }
  // The edition and mode settled.
  StartupPolicy& Policy() { return policy_; }
  const StartupPolicy& Policy() const { return policy_; }
  // The resource library, its title and lookups.
  ResourceLibrary& Resources() { return resources_; }
  const ResourceLibrary& Resources() const { return resources_; }
  // The language setting of the current mode's key.
  LanguageSetting ModeLanguageSetting() { return LanguageSetting(UserSettingsKeyPath()); }
  // The logo: its window, bitmap, palette, font and status line.
  LogoWindow& Logo() { return logo_; }
  const LogoWindow& Logo() const { return logo_; }

 private:
  // The logo's questions, answered by this start-up.
  class LogoQuestions final : public LogoHost {
   public:
    explicit LogoQuestions(LogoStartup& startup) : startup_(startup) {}
    void LogoBitmapName(bool svga, char* name) override { startup_.policy_.LogoBitmapName(svga, name); }
    int LogoLanguageSetting() override { return startup_.ModeLanguageSetting().Read(); }
    void PaintExtras(HWND window, HDC dc) override { startup_.PaintExtras(window, dc); }

   private:
    LogoStartup& startup_;
  };

  StartupPolicy policy_;
  ResourceLibrary resources_;
  // Started at process detach; copies freed there.
  ExitCommands exitCommands_;
  LogoQuestions logoQuestions_{*this};
  LogoWindow logo_;
};

// The one start-up object, or null before it is constructed and after it is destroyed.
LogoStartup* TheStartup();

// The logo window class's procedure: hands every message to the start-up
// object's LogoWindowProc, or to DefWindowProcA when there is none.
LRESULT CALLBACK LogoWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
