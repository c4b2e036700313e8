// The start-up sequence at process attach and the shut-down sequence at
// process detach.
#include "core/command_line.h"
#include "core/logo_startup.h"
#include "diagnostic_lines.h"
#include "diagnostics/diagnostics.h"
#include "language/code_page_check.h"
#include "settings/new_user_defaults.h"

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
  resources_.Attach(ownModule, ResourceBaseName());
  CopyNewUserDefaults();
  // The mode is still the main one here, so this reads the main mode's key,
  // and a switch to English is stored there.
  int stored = 0;
  int language = ModeLanguageSetting().Read(&stored);
  DiagnoseLanguageRead(language, stored, UserSettingsKeyPath());
  language = CheckCodePage(language, resources_, ModeLanguageSetting());
  resources_.Load(language);
  CheckClock();
  policy_.SettleEdition(QueryEdition());
  policy_.SettleMode(QueryMode());
  // The settled mode may keep its own language setting.
  const int languageOfMode = ModeLanguageSetting().Read(&stored);
  DiagnoseLanguageRead(languageOfMode, stored, UserSettingsKeyPath());
  resources_.Reload(languageOfMode);
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
    resources_.Detach();
    return;
  }
  // On another thread the logo's own thread hands it back first, within a bound.
  logo_.ReleaseAtUnload();
  resources_.Free();
  RunExitCommand();
  // No copy a host was handed may be read after the unload.
  exitCommands_.Release();
  resources_.Detach();
}
