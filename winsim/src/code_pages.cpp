// Simulated code pages: the ANSI code pages the product meets (1251, 1252 and
// 1257) and UTF-8, converted as Windows converts them. Any other code page
// converts only ASCII; the wide functions of the simulated API take their
// ANSI names through these tables.
#include "internal.h"

#include <cstring>

namespace winsim {
namespace {

// Code page 1251, bytes 0x80 to 0xFF; a byte the code page leaves unassigned
// keeps its own value, as in the system's tables.
constexpr char16_t kHigh1251[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,};

// Code page 1252, bytes 0x80 to 0xFF.
constexpr char16_t kHigh1252[128] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,
    0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,};

// Code page 1257, bytes 0x80 to 0xFF. The two bytes it leaves unassigned
// above 0xA0 map into the private use area, as the system's table has them.
constexpr char16_t kHigh1257[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0088, 0x2030, 0x008A, 0x2039, 0x008C, 0x00A8, 0x02C7, 0x00B8,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x009A, 0x203A, 0x009C, 0x00AF, 0x02DB, 0x009F,
    0x00A0, 0xF8FC, 0x00A2, 0x00A3, 0x00A4, 0xF8FD, 0x00A6, 0x00A7,
    0x00D8, 0x00A9, 0x0156, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00C6,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00F8, 0x00B9, 0x0157, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00E6,
    0x0104, 0x012E, 0x0100, 0x0106, 0x00C4, 0x00C5, 0x0118, 0x0112,
    0x010C, 0x00C9, 0x0179, 0x0116, 0x0122, 0x0136, 0x012A, 0x013B,
    0x0160, 0x0143, 0x0145, 0x00D3, 0x014C, 0x00D5, 0x00D6, 0x00D7,
    0x0172, 0x0141, 0x015A, 0x016A, 0x00DC, 0x017B, 0x017D, 0x00DF,
    0x0105, 0x012F, 0x0101, 0x0107, 0x00E4, 0x00E5, 0x0119, 0x0113,
    0x010D, 0x00E9, 0x017A, 0x0117, 0x0123, 0x0137, 0x012B, 0x013C,
    0x0161, 0x0144, 0x0146, 0x00F3, 0x014D, 0x00F5, 0x00F6, 0x00F7,
    0x0173, 0x0142, 0x015B, 0x016B, 0x00FC, 0x017C, 0x017E, 0x02D9,};

// The table of a single-byte code page, or null for one winsim does not know.
const char16_t* HighHalf(UINT codePage) {
  switch (codePage) {
    case 1251:
      return kHigh1251;
    case 1252:
      return kHigh1252;
    case 1257:
      return kHigh1257;
    default:
      return nullptr;
  }
}

constexpr char16_t kReplacement = 0xFFFD;

// Decodes UTF-8 as Windows does since Vista: every invalid or overlong
// sequence, and every encoded surrogate, becomes U+FFFD. *invalid is set when
// one was met.
std::u16string DecodeUtf8(const std::string& text, bool* invalid) {
  std::u16string wide;
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      wide += static_cast<char16_t>(lead);
      ++i;
      continue;
    }
    int length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
    if (lead >= 0xF5) length = 0;
    char32_t code = length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    int taken = 1;
    for (; taken < length && i + taken < text.size(); ++taken) {
      const auto next = static_cast<unsigned char>(text[i + taken]);
      if ((next & 0xC0) != 0x80) break;
      code = (code << 6) | (next & 0x3F);
    }
    const bool complete = length != 0 && taken == length;
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF));
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    if (!complete || overlong || surrogate) {
      if (invalid) *invalid = true;
      wide += kReplacement;
      i += taken;
      continue;
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      wide += static_cast<char16_t>(0xD800 + (code >> 10));
      wide += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      wide += static_cast<char16_t>(code);
    }
    i += taken;
  }
  return wide;
}

UINT ResolveCodePage(UINT codePage) { return codePage == CP_ACP ? detail::AnsiCodePage() : codePage; }

}  // namespace

namespace detail {

std::u16string AnsiToWide(const std::string& text, UINT codePage) {
  codePage = ResolveCodePage(codePage);
  if (codePage == CP_UTF8) return DecodeUtf8(text, nullptr);
  const char16_t* high = HighHalf(codePage);
  std::u16string wide;
  for (char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    wide += byte < 0x80 ? static_cast<char16_t>(byte) : high != nullptr ? high[byte - 0x80] : kReplacement;
  }
  return wide;
}

std::string WideToAnsi(const std::u16string& wide, UINT codePage) {
  codePage = ResolveCodePage(codePage);
  if (codePage == CP_UTF8) return WideToUtf8(wide);
  const char16_t* high = HighHalf(codePage);
  std::string text;
  for (char16_t ch : wide) {
    char byte = '?';  // what the ANSI functions show for a character the code page lacks
    if (ch < 0x80) {
      byte = static_cast<char>(ch);
    } else if (high != nullptr) {
      for (int i = 0; i < 128; ++i) {
        if (high[i] == ch) byte = static_cast<char>(0x80 + i);
      }
    }
    text += byte;
  }
  return text;
}

std::u16string Utf8ToWide(const std::string& text) { return DecodeUtf8(text, nullptr); }

std::string WideToUtf8(const std::u16string& wide) {
  std::string text;
  for (size_t i = 0; i < wide.size(); ++i) {
    char32_t code = wide[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (wide[++i] - 0xDC00);
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = kReplacement;
    }
    if (code < 0x80) {
      text += static_cast<char>(code);
    } else if (code < 0x800) {
      text += static_cast<char>(0xC0 | (code >> 6));
      text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      text += static_cast<char>(0xE0 | (code >> 12));
      text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      text += static_cast<char>(0xF0 | (code >> 18));
      text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return text;
}

}  // namespace detail
}  // namespace winsim

using winsim::detail::EnterCall;

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR wide, int wideLength) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("MultiByteToWideChar", &error)) {
    SetLastError(error ? error : ERROR_INVALID_PARAMETER);
    return 0;
  }
  const UINT resolved = codePage == CP_ACP ? winsim::detail::AnsiCodePage() : codePage;
  const bool known = resolved == CP_UTF8 || winsim::HighHalf(resolved) != nullptr;
  if (text == nullptr || length == 0 || length < -1 || wideLength < 0 || (wide == nullptr && wideLength != 0) ||
      !known || (flags & ~static_cast<DWORD>(MB_ERR_INVALID_CHARS)) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // -1: the whole text and its terminator.
  const std::string bytes = length == -1 ? std::string(text, std::strlen(text) + 1) : std::string(text, length);
  bool invalid = false;
  const std::u16string converted =
      resolved == CP_UTF8 ? winsim::DecodeUtf8(bytes, &invalid) : winsim::detail::AnsiToWide(bytes, resolved);
  if (invalid && (flags & MB_ERR_INVALID_CHARS) != 0) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  const int needed = static_cast<int>(converted.size());
  if (wideLength == 0) return needed;
  if (needed > wideLength) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(wide, converted.data(), converted.size() * sizeof(WCHAR));
  return needed;
}

BOOL WINAPI AreFileApisANSI() {
  const winsim::detail::ApiLock apiLock;
  EnterCall("AreFileApisANSI");
  return TRUE;  // SetFileApisToOEM is not simulated
}
