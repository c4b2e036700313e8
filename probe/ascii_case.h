// Comparisons of names the probe knows in ASCII (switches, the resource
// library's base name) with text of any origin, ignoring the case of ASCII
// letters only: what those names match does not depend on a code page.
#pragma once

#include <cstddef>
#include <string>

inline char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether `text` begins with `start`, ignoring the case of ASCII letters.
inline bool StartsWithIgnoringCase(const std::string& text, const std::string& start) {
  if (text.size() < start.size()) return false;
  for (size_t i = 0; i < start.size(); ++i) {
    if (LowerAscii(text[i]) != LowerAscii(start[i])) return false;
  }
  return true;
}

// Whether `text` is `name`, ignoring the case of ASCII letters.
inline bool EqualsIgnoringCase(const std::string& text, const std::string& name) {
  return text.size() == name.size() && StartsWithIgnoringCase(text, name);
}
