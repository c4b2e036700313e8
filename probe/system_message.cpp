#include "system_message.h"

#include "system_error_text.h"

std::string SystemMessage(unsigned long error, const std::string& fileName) {
  // The longest message the system gives, 255 UTF-16 units, as UTF-8.
  char text[1024];
  // Its inserts stay as they are there: the system reads an argument for
  // each one, and the probe has only the file's name to give.
  SystemErrorText(error, text, sizeof text);
  return FillInserts(text, fileName);
}

std::string FillInserts(const std::string& text, const std::string& fileName) {
  std::string filled;
  size_t at = 0;
  while (at < text.size()) {
    const bool insert = text[at] == '%' && at + 1 < text.size() && text[at + 1] >= '1' && text[at + 1] <= '9';
    if (!insert) {
      filled += text[at++];
      continue;
    }
    size_t end = at + 2;
    if (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    const bool first = end == at + 2 && text[at + 1] == '1';
    // "%2!d!": the format between two exclamation marks goes with its insert.
    if (end < text.size() && text[end] == '!') {
      const size_t close = text.find('!', end + 1);
      if (close != std::string::npos) end = close + 1;
    }
    if (first) filled += fileName;
    at = end;
  }
  return filled;
}
