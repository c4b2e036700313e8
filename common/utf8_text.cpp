#include "utf8_text.h"

namespace {

constexpr unsigned kReplacement = 0xFFFD;

// The code point at `text[i]` and how many units it takes (1 or 2).
unsigned CodePointAt(const WCHAR* text, size_t i, size_t* units) {
  const unsigned first = text[i];
  *units = 1;
  if (first >= 0xD800 && first <= 0xDBFF) {
    const unsigned second = text[i + 1];
    if (second >= 0xDC00 && second <= 0xDFFF) {
      *units = 2;
      return 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
    }
    return kReplacement;
  }
  return first >= 0xDC00 && first <= 0xDFFF ? kReplacement : first;
}

size_t EncodedLength(unsigned code) { return code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4; }

void Encode(unsigned code, char* out) {
  const size_t length = EncodedLength(code);
  if (length == 1) {
    out[0] = static_cast<char>(code);
    return;
  }
  static const unsigned char kLeads[5] = {0, 0, 0xC0, 0xE0, 0xF0};
  for (size_t k = length - 1; k > 0; --k) {
    out[k] = static_cast<char>(0x80 | (code & 0x3F));
    code >>= 6;
  }
  out[0] = static_cast<char>(kLeads[length] | code);
}

// Appends the units text[from, to) to buffer[*used] while they fit in
// `limit` bytes (the terminator not counted); false when one did not fit.
bool AppendRange(char* buffer, size_t* used, size_t limit, const WCHAR* text, size_t from, size_t to) {
  for (size_t i = from, units = 1; i < to; i += units) {
    const unsigned code = CodePointAt(text, i, &units);
    if (*used + EncodedLength(code) > limit) return false;
    Encode(code, buffer + *used);
    *used += EncodedLength(code);
  }
  return true;
}

size_t UnitCount(const WCHAR* text) {
  size_t count = 0;
  while (text[count] != 0) ++count;
  return count;
}

}  // namespace

int CopyUtf16AsUtf8(char* buffer, size_t size, const WCHAR* text) {
  size_t used = 0;
  const bool whole = text == nullptr || AppendRange(buffer, &used, size - 1, text, 0, UnitCount(text));
  buffer[used] = '\0';
  return whole ? 1 : 0;
}

void CopyPathAsUtf8(char* buffer, size_t size, const WCHAR* path) {
  if (CopyUtf16AsUtf8(buffer, size, path)) return;
  // Too long: the end gets half the room, the beginning what it leaves.
  const size_t count = UnitCount(path);
  const size_t tailRoom = (size - 1) / 2;
  size_t tailStart = count;
  size_t tailBytes = 0;
  while (tailStart > 0) {
    size_t start = tailStart - 1;
    // Never start the end inside a surrogate pair.
    if (start > 0 && path[start] >= 0xDC00 && path[start] <= 0xDFFF && path[start - 1] >= 0xD800 &&
        path[start - 1] <= 0xDBFF) {
      --start;
    }
    size_t units = 0;
    const size_t bytes = EncodedLength(CodePointAt(path, start, &units));
    if (tailBytes + bytes > tailRoom) break;
    tailBytes += bytes;
    tailStart = start;
  }
  size_t used = 0;
  AppendRange(buffer, &used, size - 1 - tailBytes - 3, path, 0, tailStart);
  for (int dot = 0; dot < 3; ++dot) buffer[used++] = '.';
  AppendRange(buffer, &used, size - 1, path, tailStart, count);
  buffer[used] = '\0';
}

void CopyAnsiPathAsUtf8(char* buffer, size_t size, const char* path) {
  WCHAR wide[512];
  if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, 512) <= 0) wide[0] = 0;
  CopyPathAsUtf8(buffer, size, wide);
}
