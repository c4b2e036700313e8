// The copy of new-user defaults.
#pragma once

// Creates HKEY_CURRENT_USER\Software\Vornek when missing and copies into it
// what the machine's "New User Defaults" hold and the user lacks; silent on
// failure, with one diagnostics line of what it did.
void CopyNewUserDefaults();
