// Which system ANSI code page an interface language needs.
#pragma once

#include <windows.h>

class LanguageSetting;
class ResourceLibrary;

// The ANSI code page that `language` can be shown in, or 0 for a language
// that needs no particular one.
UINT RequiredCodePage(int language);

// Checks that the system's ANSI code page suits `language`; on a mismatch the
// user is told, and asked whether to switch to English when its library
// (`resources` names it) is there: Yes stores 0 in `setting`. The language
// to use: 0 after Yes, else `language`.
int CheckCodePage(int language, ResourceLibrary& resources, const LanguageSetting& setting);
