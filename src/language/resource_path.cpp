#include "language/resource_path.h"

#include "language/language_number.h"

namespace {

bool IsSeparator(WCHAR ch) { return ch == '\\' || ch == '/'; }

size_t LengthOf(const char* text) {
  size_t length = 0;
  while (text[length] != '\0') ++length;
  return length;
}

// The host executable's full name into `name` (kLongPathSize characters), or
// false.
bool HostExecutableName(WCHAR* name) {
  const DWORD length = GetModuleFileNameW(nullptr, name, kLongPathSize);
  // A name cut at the buffer's end would point into another directory; and an
  // older system leaves a cut name unterminated.
  if (length == 0 || length >= static_cast<DWORD>(kLongPathSize)) return false;
  name[length] = 0;
  return true;
}

}  // namespace

void ResourceLibraryPath(WCHAR* path, const char* baseName, int language) {
  // The host's name is read into `path` itself and its folder kept there. No
  // name at all is safer than a guessed one: the library is then looked for
  // nowhere and the own module serves.
  if (!HostExecutableName(path)) {
    path[0] = 0;
    return;
  }
  size_t driveLength = 0;
  size_t directoryLength = 0;
  SplitDriveAndDirectory(path, &driveLength, &directoryLength);
  char number[16];
  FormatLanguageNumber(language, number, sizeof number);
  if (!AppendLibraryName(path, kLongPathSize, driveLength, directoryLength, baseName, number, FileNameCodePage())) {
    path[0] = 0;
  }
}

void SplitDriveAndDirectory(const WCHAR* fullName, size_t* driveLength, size_t* directoryLength) {
  *driveLength = 0;
  *directoryLength = 0;
  if (fullName == nullptr || fullName[0] == 0) return;
  // UTF-16 needs no care for double-byte characters: no unit of a character
  // outside ASCII equals a separator or a colon.
  const size_t drive = fullName[1] == ':' ? 2 : 0;
  size_t end = drive;  // one past the last separator
  for (size_t i = drive; fullName[i] != 0; ++i) {
    if (IsSeparator(fullName[i])) end = i + 1;
  }
  *driveLength = drive;
  *directoryLength = end - drive;
}

int AppendLibraryName(WCHAR* path, size_t pathSize, size_t driveLength, size_t directoryLength, const char* baseName,
                      const char* number, UINT codePage) {
  const size_t folderLength = driveLength + directoryLength;
  if (baseName == nullptr || number == nullptr || folderLength >= pathSize) return 0;
  // The widened base name's length first, so that nothing is written unless
  // the whole name fits.
  int baseLength = 0;
  if (baseName[0] != '\0') {
    baseLength = MultiByteToWideChar(codePage, 0, baseName, static_cast<int>(LengthOf(baseName)), nullptr, 0);
    if (baseLength <= 0) return 0;
  }
  const bool addSeparator = directoryLength > 0 && !IsSeparator(path[folderLength - 1]);
  const size_t numberLength = LengthOf(number);
  const size_t total = folderLength + (addSeparator ? 1 : 0) + static_cast<size_t>(baseLength) + numberLength + 4;
  if (total + 1 > pathSize) return 0;

  size_t length = folderLength + (addSeparator ? 1 : 0);
  if (baseLength > 0 &&
      MultiByteToWideChar(codePage, 0, baseName, static_cast<int>(LengthOf(baseName)), path + length, baseLength) !=
          baseLength) {
    return 0;
  }
  if (addSeparator) path[folderLength] = '\\';
  length += static_cast<size_t>(baseLength);
  // Digits and the minus sign are the same in every code page.
  for (size_t i = 0; i < numberLength; ++i) path[length++] = static_cast<WCHAR>(static_cast<unsigned char>(number[i]));
  for (const char* extension = ".dll"; *extension != '\0'; ++extension) path[length++] = static_cast<WCHAR>(*extension);
  path[length] = 0;
  return 1;
}

UINT FileNameCodePage() { return AreFileApisANSI() ? CP_ACP : CP_OEMCP; }
