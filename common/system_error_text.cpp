#include "system_error_text.h"

#include <windows.h>

#include "utf8_text.h"

void SystemErrorText(unsigned long error, char* text, size_t size) {
  const DWORD lastError = GetLastError();
  WCHAR message[256];
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                static_cast<DWORD>(error), 0, message, 256, nullptr);
  if (length == 0 || length >= 256) {
    length = 0;
    for (const char* none = "no message"; *none != '\0'; ++none) message[length++] = static_cast<WCHAR>(*none);
  }
  // Without the line end and the full stop, so the text fits into a sentence.
  while (length > 0 && (message[length - 1] == '\r' || message[length - 1] == '\n' || message[length - 1] == ' ' ||
                        message[length - 1] == '.')) {
    --length;
  }
  message[length] = 0;
  CopyUtf16AsUtf8(text, size, message);
  SetLastError(lastError);
}
