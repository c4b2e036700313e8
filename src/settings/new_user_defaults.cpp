// The copy of new-user defaults: fills the current user's settings with what
// the machine-wide defaults hold and the user lacks.
#include "settings/new_user_defaults.h"

#include "diagnostic_lines.h"
#include "diagnostics/diagnostics.h"
#include "settings/reg_key.h"

namespace {

const char kNewUserDefaultsKey[] = "Software\\Pellix\\Tarvex\\4.0\\New User Defaults";
const char kUserSettingsKey[] = "Software\\Vornek";

void DiagnoseDefaultsCopy(bool sourceOpened, bool destinationOpened, const KeyTreeCopyCounts& counts) {
  if (!destinationOpened) {
    Diagnose(diagnostic_form::DefaultsUserKeyFailed, kUserSettingsKey);
  } else if (!sourceOpened) {
    Diagnose(diagnostic_form::DefaultsSourceMissing, kNewUserDefaultsKey);
  } else if (counts.valuesRefused == 0 && counts.keysCutShort == 0) {
    Diagnose(diagnostic_form::DefaultsCopied, static_cast<unsigned>(counts.keys),
             static_cast<unsigned>(counts.keysCreated), static_cast<unsigned>(counts.valuesWritten),
             static_cast<unsigned>(counts.valuesKept));
  } else {
    Diagnose(diagnostic_form::DefaultsRefused, static_cast<unsigned>(counts.keys),
             static_cast<unsigned>(counts.keysCreated), static_cast<unsigned>(counts.valuesWritten),
             static_cast<unsigned>(counts.valuesKept), static_cast<unsigned>(counts.valuesRefused),
             static_cast<unsigned>(counts.keysCutShort));
  }
}

}  // namespace

void CopyNewUserDefaults() {
  const RegKey source = RegKey::OpenForReading(HKEY_LOCAL_MACHINE, kNewUserDefaultsKey);
  // The user's key is created at every start, with or without defaults.
  RegKey destination = RegKey::Create(HKEY_CURRENT_USER, kUserSettingsKey);
  KeyTreeCopyCounts counts{};
  // The user's key itself counts among the keys made for the user.
  if (destination.WasCreated()) ++counts.keysCreated;
  if (source.IsOpen() && destination.IsOpen()) source.CopyKeyTree(destination, 1, &counts);
  DiagnoseDefaultsCopy(source.IsOpen(), destination.IsOpen(), counts);
}
