#include "text/bounded_text.h"

size_t CopyBoundedText(char* destination, const char* source, size_t size) {
  size_t length = 0;
  if (source != nullptr) {
    while (length + 1 < size && source[length] != '\0') {
      destination[length] = source[length];
      ++length;
    }
  }
  destination[length] = '\0';
  return length;
}

void AppendBoundedText(char* destination, const char* source, size_t size) {
  size_t used = 0;
  while (used < size && destination[used] != '\0') ++used;
  if (used >= size) return;  // not terminated: leave it to the caller's bound
  CopyBoundedText(destination + used, source, size - used);
}
