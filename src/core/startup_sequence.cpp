// The start-up sequence at process attach and the shut-down sequence at
// process detach.
#include "core/logo_startup.h"

void LogoStartup::OnProcessAttach(HMODULE ownModule) {
  module = ownModule;
  CopyNewUserDefaults();
  // The mode is still 0 here, so this reads the main mode's key.
  language = ReadLanguageSetting();
  CheckCodePage();
  LoadResourceLibrary();
  CheckClock();
  edition = QueryEdition();
  mode = QueryMode();
  // The settled mode may keep its own language setting.
  int languageOfMode = ReadLanguageSetting();
  if (languageOfMode != language) {
    FreeResourceLibrary();
    language = languageOfMode;
    LoadResourceLibrary();
  }
  if (LogoAllowed()) CreateLogoWindow();
}

void LogoStartup::OnProcessDetach() {
  CloseLogo();
  ReleaseLogoPalette();
  FreeResourceLibrary();
  RunExitCommand();
  module = nullptr;
}
