// Start-up diagnostics: one short line per decision the start-up takes, for
// any debug-output viewer, each with its form of diagnostic_lines.h. Nothing
// is written anywhere else.
#pragma once

#include <cstddef>

#include "diagnostic_lines.h"

#if defined(__MINGW32__)
// The lines are formatted by the system C runtime (msvcrt), whose printf
// knows %d, %u and %s as used here; mingw's own printf would add 28 KiB.
#define TARVEX_PRINTF_FORMAT(formatIndex, firstArgument) \
  __attribute__((format(ms_printf, formatIndex, firstArgument)))
#elif defined(__GNUC__)
#define TARVEX_PRINTF_FORMAT(formatIndex, firstArgument) __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define TARVEX_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

// Size of one diagnostic line with its prefix, line feed and terminator, in bytes.
constexpr int kDiagnosticLineSize = 512;

// Writes "TarvexLogo: " and the printf-style text (UTF-8), ended by a line
// feed, through OutputDebugStringW. A text too long for kDiagnosticLineSize
// bytes is cut (keeping the line feed). Uses no heap, and leaves the thread's
// last-error code as it found it.
void Diagnose(const char* format, ...) TARVEX_PRINTF_FORMAT(1, 2);

// Formats into `buffer` (`size` bytes, size > 0) as Diagnose does, cut to
// the buffer and terminated.
void FormatBoundedText(char* buffer, size_t size, const char* format, ...) TARVEX_PRINTF_FORMAT(3, 4);

// The system's message for an error, and the error, for the
// TARVEX_DIAG_SYSTEM_ERROR of a line. Leaves the thread's last-error code as
// it found it.
struct SystemError {
  explicit SystemError(unsigned long error);
  char text[160];
  unsigned code;
};
