// The probe keeps every text in UTF-8 and speaks UTF-16 to the system, so
// that a folder named in any script is reported as it is called.
#pragma once

#include <string>

// UTF-16 as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8(const std::wstring& text);
// UTF-8 as UTF-16; an invalid sequence becomes U+FFFD.
std::wstring Utf16(const std::string& text);
// UTF-8 as text of the system's ANSI code page, as the library takes its
// texts; a character the code page lacks becomes '?'.
std::string AnsiText(const std::string& text);
// The bytes of `text` in lower-case hexadecimal, two digits each.
std::string HexBytes(const std::string& text);
