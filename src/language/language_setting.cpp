// The interface language setting of the current user. (Filled in with the
// language issue.)
#include "core/logo_startup.h"

int LogoStartup::ReadLanguageSetting() { return 0; }

void LogoStartup::WriteLanguageSetting(int newLanguage) { language = newLanguage; }
