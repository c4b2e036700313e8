#include "core/diagnostics.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "core/bounded_text.h"
#include "core/utf8_text.h"

namespace {

constexpr char kPrefix[] = "TarvexLogo: ";

}  // namespace

namespace {

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
  line[length] = '\n';
  line[length + 1] = '\0';
  OutputDebugStringA(line);
  SetLastError(lastError);
}

void SystemErrorText(unsigned long error, char* text, size_t size) {
  const DWORD lastError = GetLastError();
  WCHAR message[256];
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                      static_cast<DWORD>(error), 0, message, 256, nullptr);
  if (length == 0 || length >= 256) {
    CopyBoundedText(text, "no message", size);
  } else {
    // Without the line end and the full stop, so the text fits into a sentence.
    DWORD end = length;
    while (end > 0 && (message[end - 1] == '\r' || message[end - 1] == '\n' || message[end - 1] == ' ' ||
                       message[end - 1] == '.')) {
      --end;
    }
    message[end] = 0;
    CopyUtf16AsUtf8(text, size, message);
  }
  SetLastError(lastError);
}
