#include "system_message.h"

#include <windows.h>

#include "wide_text.h"

std::string SystemMessage(unsigned long error, const std::string& fileName) {
  wchar_t text[256] = L"";
  // The inserts stay as they are here: the system reads an argument for
  // each one, and the probe has only the file's name to give.
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                256, nullptr);
  if (length >= 256) length = 0;
  while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L' ' ||
                        text[length - 1] == L'.')) {
    --length;
  }
  return length > 0 ? FillInserts(Utf8(std::wstring(text, length)), fileName) : std::string("no message");
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
