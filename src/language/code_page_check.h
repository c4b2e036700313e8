// Which system ANSI code page an interface language needs.
#pragma once

#include <windows.h>

// The ANSI code page that `language` can be shown in, or 0 for a language
// that needs no particular one.
UINT RequiredCodePage(int language);
