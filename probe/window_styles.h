// Window styles as a person reads them: hexadecimal and flag names.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// "0x94400000".
std::string StyleHex(DWORD style);
// The WS_ flag names set in `style`, highest bit first; bits without a name
// (a class's own, in the low word) as one hexadecimal remainder.
std::vector<std::string> StyleNames(DWORD style);
// The same for WS_EX_ flags.
std::vector<std::string> ExStyleNames(DWORD exStyle);
