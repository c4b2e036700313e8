// The switch test and the file-type test on the host's command line. Both
// treat the line as plain text: no quoting, no argument boundaries, the
// program path at its head scanned like the rest.
#include "core/command_line.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

// Only the ASCII letters have case; every other byte compares exactly.
char FoldAscii(char ch) { return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch; }

// Whether the `length` characters at `text` equal `name`, ASCII case aside.
// Stops at the end of `text`, so a short line never matches.
bool MatchesIgnoringCase(const char* text, const char* name, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (text[i] == '\0' || FoldAscii(text[i]) != FoldAscii(name[i])) return false;
  }
  return true;
}

bool EndsFileType(char ch) { return ch == '\0' || ch == '"' || IsWhiteSpace(static_cast<unsigned char>(ch)); }

char* DuplicateUpperCase(const char* text) {
  size_t length = std::strlen(text);
  char* copy = static_cast<char*>(std::malloc(length + 1));
  if (copy == nullptr) return nullptr;
  for (size_t i = 0; i <= length; ++i) copy[i] = FoldAscii(text[i]);
  return copy;
}

}  // namespace

int IsBlank(int ch) { return ch == ' ' || ch == '\t'; }

int IsWhiteSpace(int ch) { return ch == ' ' || (ch >= '\t' && ch <= '\r'); }

int LineHasSwitch(const char* line, const char* name) {
  if (line == nullptr || name == nullptr) return 0;
  const size_t nameLength = std::strlen(name);
  for (size_t i = 0; line[i] != '\0'; ++i) {
    if (line[i] != '-' && line[i] != '/') continue;
    if (i > 0 && !IsBlank(static_cast<unsigned char>(line[i - 1]))) continue;
    if (!MatchesIgnoringCase(line + i + 1, name, nameLength)) continue;
    const char after = line[i + 1 + nameLength];
    if (after == '\0' || IsBlank(static_cast<unsigned char>(after))) return 1;
  }
  return 0;
}

int LineHasFileType(const char* line, const char* extension) {
  if (line == nullptr || extension == nullptr || extension[0] == '\0') return 0;
  const size_t length = std::strlen(extension);
  const char* at = line;
  while (*at != '\0') {
    if (!MatchesIgnoringCase(at, extension, length)) {
      ++at;
      continue;
    }
    if (EndsFileType(at[length])) return 1;
    // A rejected occurrence: the search goes on just past it.
    at += length;
  }
  return 0;
}

int CommandLineHasSwitch(const char* name) { return LineHasSwitch(GetCommandLineA(), name); }

int LogoAllowed() {
  if (CommandLineHasSwitch("AUTOMATION")) return 0;
  if (CommandLineHasSwitch("EMBEDDING")) return 0;
  if (CommandLineHasSwitch("NOLOGO")) return 0;
  return 1;
}

int CommandLineHasFileType(const char* extension) {
  const char* line = GetCommandLineA();
  if (line == nullptr || extension == nullptr) return 0;
  // The test works on upper-case copies so that the host's line is never touched.
  char* lineCopy = DuplicateUpperCase(line);
  char* extensionCopy = DuplicateUpperCase(extension);
  int found;
  if (lineCopy != nullptr && extensionCopy != nullptr) {
    found = LineHasFileType(lineCopy, extensionCopy);
  } else {
    // Without memory for the copies the same rules are applied to the line in
    // place, so the answer never depends on the heap.
    found = LineHasFileType(line, extension);
  }
  std::free(lineCopy);
  std::free(extensionCopy);
  return found;
}
