#include "core/command_program.h"

#include <windows.h>

#include <cstring>

namespace {

// The full name of the program `reading` names, into `name` (`size` bytes):
// its length; 0 when it names none; `size` or more when it does not fit.
DWORD ResolveReading(const char* reading, char* name, DWORD size) {
  const char* const extensions[] = {".exe", nullptr};
  for (const char* extension : extensions) {
    const DWORD length = SearchPathA(nullptr, reading, extension, size, name, nullptr);
    if (length == 0) continue;
    if (length >= size) return length;
    // Process creation passes over a folder, and over a file gone meanwhile.
    const DWORD attributes = GetFileAttributesA(name);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return length;
  }
  return 0;
}

// ASCII letters in either case are the same to the file system.
bool SameName(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const char x = *a >= 'a' && *a <= 'z' ? static_cast<char>(*a - 'a' + 'A') : *a;
    const char y = *b >= 'a' && *b <= 'z' ? static_cast<char>(*b - 'a' + 'A') : *b;
    if (x != y) return false;
    if (x == '\0') return true;
  }
}

void ReadQuotedProgram(const char* commandLine, CommandProgram* found) {
  const char* close = std::strchr(commandLine + 1, '"');
  if (close == nullptr) {
    found->kind = CommandProgramKind::QuoteOpen;
    return;
  }
  const size_t length = static_cast<size_t>(close - commandLine - 1);
  // An empty name names no program; the system would search for ".exe" alone.
  if (length == 0) return;
  std::memcpy(found->program, commandLine + 1, length < kTextSize ? length : kTextSize - 1);
  found->program[length < kTextSize ? length : kTextSize - 1] = '\0';
  found->kind = CommandProgramKind::Quoted;
}

}  // namespace

void FindCommandProgram(const char* commandLine, CommandProgram* found) {
  found->kind = CommandProgramKind::NotFound;
  found->program[0] = found->alsoFound[0] = '\0';
  if (commandLine[0] == '"') {
    ReadQuotedProgram(commandLine, found);
    return;
  }
  char reading[kTextSize];
  char name[kTextSize];
  CopyBoundedText(reading, commandLine, sizeof reading);
  int programs = 0;
  for (size_t end = 1; reading[end - 1] != '\0'; ++end) {
    const char next = reading[end];
    if (next != '\0' && next != ' ' && next != '\t') continue;
    reading[end] = '\0';
    const DWORD length = ResolveReading(reading, name, sizeof name);
    reading[end] = next;
    if (length >= sizeof name) {
      found->kind = CommandProgramKind::TooLong;
      return;
    }
    if (length == 0 || (programs == 1 && SameName(name, found->program))) continue;
    CopyBoundedText(programs == 0 ? found->program : found->alsoFound, name, kTextSize);
    if (++programs == 2) {
      found->kind = CommandProgramKind::Ambiguous;
      return;
    }
  }
  if (programs == 1) found->kind = CommandProgramKind::Found;
}
