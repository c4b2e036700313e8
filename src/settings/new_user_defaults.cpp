// The copy of new-user defaults into the current user's settings. (Filled in
// with the settings store.)
#include "core/logo_startup.h"

void LogoStartup::CopyNewUserDefaults() {}
