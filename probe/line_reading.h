// Reading the library's diagnostics lines (the text after "TarvexLogo: "),
// which the problems, notes and summary are made of. Plain text in and out,
// so that the library's own tests read the lines it writes with these very
// functions. Each gives false for a line that is not of its kind.
#pragma once

#include <string>

// The library's file name from "resource library NAME not found...".
bool ReadResourceNotFound(const std::string& line, std::string* path);
// The library's file name and the system's reason from "resource library
// NAME failed to load: REASON (error N), own module used".
bool ReadResourceLoadFailure(const std::string& line, std::string* path, std::string* reason);
bool IsNoResourcePath(const std::string& line);
// A resource library that loaded without its GetResourceID.
bool LacksResourceLookup(const std::string& line);
// "language N needs code page C, system has S", from the language on.
bool ReadCodePageMismatch(const std::string& line, std::string* mismatch);
// A defaults copy that could not open a key or had writes refused.
bool IsDefaultsFailure(const std::string& line);
// A "DisableForms" that was found and leaves the forms enabled without being
// "0": from its name on ("\"DisableForms\" in HKLM\... begins with ...").
bool ReadUnclearDisableForms(const std::string& line, std::string* found);
// Why the mode dialog could not be shown.
bool ReadModeDialogFailure(const std::string& line, std::string* reason);
bool IsNoLogoSwitch(const std::string& line);
// "no logo: ..." for any reason but a switch.
bool IsNoLogoFailure(const std::string& line);
// The bitmap of "logo NAME shown at ...".
bool ReadLogoShown(const std::string& line, std::string* bitmap);
// The bitmap of "logo drawn at ... from bitmap NAME of WxH, HOW", and whether
// HOW says it was stretched.
bool ReadLogoDrawn(const std::string& line, std::string* bitmap, bool* stretched);
