#include "wide_text.h"

#include <windows.h>

namespace {

// `text` in `codePage`: CP_UTF8, or CP_ACP for the system's ANSI code page.
std::string Narrowed(const std::wstring& text, UINT codePage) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(length > 0 ? length : 0), '\0');
  if (length > 0) WideCharToMultiByte(codePage, 0, text.data(), size, &narrow[0], length, nullptr, nullptr);
  return narrow;
}

}  // namespace

std::string Utf8(const std::wstring& text) { return Narrowed(text, CP_UTF8); }

std::wstring Utf16(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), size, &wide[0], length);
  return wide;
}

std::string AnsiText(const std::string& text) { return Narrowed(Utf16(text), CP_ACP); }

std::string HexBytes(const std::string& text) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}
