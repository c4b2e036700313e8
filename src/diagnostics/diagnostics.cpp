#include "diagnostics/diagnostics.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "diagnostic_lines.h"
#include "system_error_text.h"
#include "text/bounded_text.h"

namespace {

constexpr char kPrefix[] = TARVEX_DIAG_PREFIX;

}  // namespace

namespace {

// Bytes of `text` (`length` bytes of UTF-8) up to the end of its last whole
// character.
size_t WholeCharactersLength(const char* text, size_t length) {
  size_t start = length;
  while (start > 0 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80) --start;
  if (start == 0) return length;
  const auto lead = static_cast<unsigned char>(text[start - 1]);
  const size_t needed = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return length - (start - 1) >= needed ? length : start - 1;
}

// Formats into `buffer` (`size` bytes); the caller terminates a cut text.
void FormatText(char* buffer, size_t size, const char* format, va_list arguments) {
#if defined(__MINGW32__)
  _vsnprintf(buffer, size, format, arguments);
#else
  std::vsnprintf(buffer, size, format, arguments);
#endif
}

}  // namespace

void Diagnose(const char* format, ...) {
  // Callers test GetLastError after their own calls; a line in between must
  // not change what they see.
  const DWORD lastError = GetLastError();
  char line[kDiagnosticLineSize];
  size_t length = CopyBoundedText(line, kPrefix, sizeof line);
  va_list arguments;
  va_start(arguments, format);
  // Two bytes stay free for the line feed and the terminator.
  if (format != nullptr) FormatText(line + length, sizeof line - 1 - length, format, arguments);
  va_end(arguments);
  // Some runtimes leave a cut text unterminated, or report a cut as -1: the
  // length is taken from the buffer, never from the result.
  line[sizeof line - 2] = '\0';
  while (line[length] != '\0') ++length;
  // A cut may fall inside a character: the line ends before it instead.
  if (length == sizeof line - 2) length = WholeCharactersLength(line, length);
  line[length] = '\n';
  line[length + 1] = '\0';
  // Sent as UTF-16: the platform gives debuggers the Unicode text and the
  // classic viewers the line in the system's ANSI code page. A UTF-8 line
  // never needs more UTF-16 units than it has bytes.
  WCHAR wide[kDiagnosticLineSize];
  if (MultiByteToWideChar(CP_UTF8, 0, line, -1, wide, kDiagnosticLineSize) > 0) {
    OutputDebugStringW(wide);
  } else {
    OutputDebugStringA(line);
  }
  SetLastError(lastError);
}

void FormatBoundedText(char* buffer, size_t size, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  FormatText(buffer, size, format, arguments);
  va_end(arguments);
  buffer[size - 1] = '\0';
}

SystemError::SystemError(unsigned long error) : code(static_cast<unsigned>(error)) {
  SystemErrorText(error, text, sizeof text);
}
