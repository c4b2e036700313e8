// Fuzzes the switch test and the file-type test on arbitrary command lines,
// checked against a plain restatement of their rules.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <winsim/control.h>

#include "core/command_line.h"

namespace {

bool IsAsciiLetter(unsigned char ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); }

bool SameIgnoringAsciiCase(unsigned char a, unsigned char b) {
  if (a == b) return true;
  return IsAsciiLetter(a) && IsAsciiLetter(b) && (a | 0x20) == (b | 0x20);
}

bool EqualAt(const std::string& line, size_t at, const std::string& name) {
  if (at + name.size() > line.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    if (!SameIgnoringAsciiCase(line[at + i], name[i])) return false;
  }
  return true;
}

// A switch: sign at the start or after space/tab, the name, then space/tab or the end.
int ModelHasSwitch(const std::string& line, const std::string& name) {
  for (size_t i = 0; i < line.size(); ++i) {
    bool sign = line[i] == '-' || line[i] == '/';
    bool startsWord = i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t';
    if (!sign || !startsWord || !EqualAt(line, i + 1, name)) continue;
    size_t after = i + 1 + name.size();
    if (after == line.size() || line[after] == ' ' || line[after] == '\t') return 1;
  }
  return 0;
}

// An extension at a word's end: the next character is the end, a quote or one
// of the six white-space characters; a rejected occurrence is skipped whole.
int ModelHasFileType(const std::string& line, const std::string& extension) {
  size_t at = 0;
  while (at < line.size()) {
    if (!EqualAt(line, at, extension)) {
      ++at;
      continue;
    }
    size_t after = at + extension.size();
    if (after == line.size()) return 1;
    char next = line[after];
    if (next == '"' || next == ' ' || next == '\t' || next == '\n' || next == '\v' || next == '\f' || next == '\r')
      return 1;
    at = after;
  }
  return 0;
}

const char* const kSwitches[] = {"AUTOMATION", "EMBEDDING", "NOLOGO", "form", "standard"};
const char* const kFileTypes[] = {".frm", ".pac"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  // The first byte picks a name, or makes one from the next bytes; the rest,
  // cut at its first zero as the process's line would be, is the command line.
  if (size == 0) return 0;
  std::string name;
  size_t offset = 1;
  unsigned pick = data[0] % 9;
  if (pick < 5) {
    name = kSwitches[pick];
  } else if (pick < 7) {
    name = kFileTypes[pick - 5];
  } else {
    size_t length = 1 + (size > 1 ? data[1] % 6 : 0);
    offset = 2;
    for (size_t i = 0; i < length && offset < size && data[offset] != 0; ++i) name += static_cast<char>(data[offset++]);
    if (name.empty()) return 0;
  }
  std::string line(reinterpret_cast<const char*>(data + offset), size - offset);
  line = line.substr(0, line.find('\0'));

  if (LineHasSwitch(line.c_str(), name.c_str()) != ModelHasSwitch(line, name)) std::abort();
  if (LineHasFileType(line.c_str(), name.c_str()) != ModelHasFileType(line, name)) std::abort();

  // The same through the start-up object, on the simulated process's line.
  winsim::Reset();
  winsim::SetCommandLine(line);
  if (CommandLineHasSwitch(name.c_str()) != ModelHasSwitch(line, name)) std::abort();
  if (CommandLineHasFileType(name.c_str()) != ModelHasFileType(line, name)) std::abort();
  int logoAllowed = !(ModelHasSwitch(line, "AUTOMATION") || ModelHasSwitch(line, "EMBEDDING") ||
                      ModelHasSwitch(line, "NOLOGO"));
  if (LogoAllowed() != logoAllowed) std::abort();
  return 0;
}
