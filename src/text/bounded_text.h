// Copies into the library's fixed text buffers: always bounded, always terminated.
#pragma once

#include <cstddef>

// Size of every fixed text buffer of the library, in bytes (511 characters and
// the terminating zero).
constexpr int kTextSize = 512;

// Copies at most `size` - 1 characters of `source` into `destination` (a
// buffer of `size` bytes, size > 0) and terminates it. A null source gives the
// empty text. Returns the length copied, in characters.
size_t CopyBoundedText(char* destination, const char* source, size_t size);

// Appends `source` to the text in `destination` (a buffer of `size` bytes),
// keeping it within the buffer and terminated.
void AppendBoundedText(char* destination, const char* source, size_t size);
