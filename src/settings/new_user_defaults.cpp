// The copy of new-user defaults: fills the current user's settings with what
// the machine-wide defaults hold and the user lacks.
#include "core/logo_startup.h"
#include "settings/reg_key.h"

namespace {

const char kNewUserDefaultsKey[] = "Software\\Pellix\\Tarvex\\4.0\\New User Defaults";
const char kUserSettingsKey[] = "Software\\Vornek";

}  // namespace

void LogoStartup::CopyNewUserDefaults() {
  RegKey source(1);
  RegKey destination(0);
  source.Open(HKEY_LOCAL_MACHINE, kNewUserDefaultsKey);
  // The user's key is created at every start, with or without defaults.
  destination.Open(HKEY_CURRENT_USER, kUserSettingsKey);
  if (source.handle != nullptr && destination.handle != nullptr) source.CopyKeyTree(destination, 1);
  destination.Close();
  source.Close();
}
