// The start-up sequence at process attach and the shut-down sequence at
// process detach.
#include "core/diagnostics.h"
#include "core/logo_startup.h"
#include "diagnostic_lines.h"

namespace {

// Where the language came from, for the support engineer.
void DiagnoseLanguageRead(int language, int stored, const char* keyPath) {
  if (keyPath == nullptr || keyPath[0] == '\0') {
    Diagnose("no language setting for this mode, English");
  } else if (!stored) {
    Diagnose("no language setting in HKCU\\%s, English", keyPath);
  } else {
    Diagnose("language %d from HKCU\\%s", language, keyPath);
  }
}

}  // namespace

void LogoStartup::OnProcessAttach(HMODULE ownModule) {
  module = ownModule;
  CopyNewUserDefaults();
  // The mode is still 0 here, so this reads the main mode's key.
  int stored = 0;
  language = ReadLanguageSetting(&stored);
  DiagnoseLanguageRead(language, stored, UserSettingsKeyPath());
  CheckCodePage();
  LoadResourceLibrary();
  CheckClock();
  edition = QueryEdition();
  mode = QueryMode();
  // The settled mode may keep its own language setting.
  int languageOfMode = ReadLanguageSetting(&stored);
  DiagnoseLanguageRead(languageOfMode, stored, UserSettingsKeyPath());
  if (languageOfMode != language) {
    FreeResourceLibrary();
    language = languageOfMode;
    LoadResourceLibrary();
  }
  if (LogoAllowed()) {
    CreateLogoWindow();
  } else {
    Diagnose(TARVEX_DIAG_NO_LOGO_SWITCH);
  }
}

void LogoStartup::OnProcessDetach() {
  // An unload on a thread that does not own the logo window cannot destroy
  // it: the window is let go, so that nothing of the library runs for it.
  const HWND window = SharedLogoWindow();
  if (window != nullptr && !OnLoaderThread() && IsWindow(window)) LetGoOfLogoWindow(window);
  ReleaseLogo();
  // Detach is serialized by the loader: the last line handed over is kept.
  TakeHandedOverStatusText();
  logoPalette.reset();
  UnregisterLogoWindowClass();
  FreeResourceLibrary();
  RunExitCommand();
  module = nullptr;
}
