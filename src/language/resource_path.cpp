#include "language/resource_path.h"

#include "core/bounded_text.h"
#include "core/logo_startup.h"

namespace {

bool IsSeparator(char ch) { return ch == '\\' || ch == '/'; }

// Appends `text` to the `length` characters already in `buffer` (kTextSize
// bytes); false when it does not fit with the terminator.
bool AppendWhole(char* buffer, size_t& length, const char* text) {
  if (text == nullptr) return true;
  for (; *text != '\0'; ++text) {
    if (length + 1 >= static_cast<size_t>(kTextSize)) return false;
    buffer[length++] = *text;
  }
  buffer[length] = '\0';
  return true;
}

}  // namespace

void SplitDriveAndDirectory(const char* fullName, UINT codePage, char* drive, char* directory) {
  drive[0] = '\0';
  directory[0] = '\0';
  if (fullName == nullptr || fullName[0] == '\0') return;

  size_t start = 0;
  if (!IsDBCSLeadByteEx(codePage, static_cast<BYTE>(fullName[0])) && fullName[1] == ':') {
    drive[0] = fullName[0];
    drive[1] = ':';
    drive[2] = '\0';
    start = 2;
  }

  size_t end = start;  // one past the last separator
  size_t i = start;
  while (i + 1 < static_cast<size_t>(kTextSize) && fullName[i] != '\0') {
    if (IsSeparator(fullName[i])) {
      end = ++i;
    } else if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(fullName[i])) && fullName[i + 1] != '\0') {
      i += 2;
    } else {
      ++i;
    }
  }
  for (size_t k = start; k < end; ++k) directory[k - start] = fullName[k];
  directory[end - start] = '\0';
}

int JoinLibraryPath(char* path, const char* drive, const char* directory, const char* baseName,
                    const char* number) {
  char joined[kTextSize];
  joined[0] = '\0';
  size_t length = 0;
  bool fits = AppendWhole(joined, length, drive);
  if (directory != nullptr && directory[0] != '\0') {
    fits = fits && AppendWhole(joined, length, directory);
    if (fits && !IsSeparator(joined[length - 1])) fits = AppendWhole(joined, length, "\\");
  }
  fits = fits && AppendWhole(joined, length, baseName) && AppendWhole(joined, length, number) &&
         AppendWhole(joined, length, ".dll");
  if (!fits) return 0;
  CopyBoundedText(path, joined, kTextSize);
  return 1;
}
