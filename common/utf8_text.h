// UTF-16 text as UTF-8, for the diagnostics lines: a file name in any script
// reads as it is called, whatever the system's ANSI code page.
#pragma once

#include <windows.h>

#include <cstddef>

// Writes `text` as UTF-8 into `buffer` (`size` bytes, size > 0), terminated,
// never cutting a character in two; an unpaired surrogate becomes U+FFFD.
// Returns 1 when the whole text fitted, 0 when it was cut. A null text gives
// the empty text.
int CopyUtf16AsUtf8(char* buffer, size_t size, const WCHAR* text);

// The same for a file name, except that one too long for `buffer` keeps its
// beginning and its end around "...", so that the file's own name stays
// readable. `size` is at least 16 bytes.
void CopyPathAsUtf8(char* buffer, size_t size, const WCHAR* path);

// The same for an ANSI text of at most 511 characters, read in the system's
// ANSI code page (a host's command line).
void CopyAnsiPathAsUtf8(char* buffer, size_t size, const char* path);
