// The start-up sequence at process attach and the shut-down sequence at
// process detach.
#include "core/diagnostics.h"
#include "core/logo_startup.h"
#include "diagnostic_lines.h"

namespace {

// Where the language came from, for the support engineer.
void DiagnoseLanguageRead(int language, int stored, const char* keyPath) {
  if (keyPath == nullptr || keyPath[0] == '\0') {
    Diagnose(diagnostic_form::LanguageWithoutKey);
  } else if (!stored) {
    Diagnose(diagnostic_form::LanguageNotStored, keyPath);
  } else {
    Diagnose(diagnostic_form::LanguageRead, language, keyPath);
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
    Diagnose(diagnostic_form::NoLogoSwitch);
  }
}

void LogoStartup::OnProcessDetach(bool processEnding) {
  if (processEnding) {
    // The other threads are gone, and their windows with them; the system
    // takes back what the library holds. Only the exit command is left.
    RunExitCommand();
    module = nullptr;
    return;
  }
  // On another thread the logo's own thread hands it back first, within a bound.
  logo_.ReleaseAtUnload();
  FreeResourceLibrary();
  RunExitCommand();
  // No copy a host was handed may be read after the unload.
  exitCommands.Release();
  module = nullptr;
}
