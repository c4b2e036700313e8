// The resource library of the interface language: found beside the host
// executable, loaded, freed, and the lookups of strings and bitmaps in it.
#include "core/bounded_text.h"
#include "core/diagnostics.h"
#include "core/logo_startup.h"
#include "utf8_text.h"
#include "language/language_number.h"
#include "language/resource_path.h"

namespace {

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

// Which library serves, or why the own module stands in; `error` is
// GetLastError after a failed load. The name is written in UTF-8.
void DiagnoseResourceLibrary(const WCHAR* path, bool loaded, DWORD error, bool lookupFound) {
  if (path[0] == 0) {
    Diagnose(diagnostic_form::ResourcePathMissing);
    return;
  }
  char name[320];
  CopyPathAsUtf8(name, sizeof name, path);
  if (loaded && lookupFound) {
    Diagnose(diagnostic_form::ResourceLoaded, name);
  } else if (loaded) {
    Diagnose(diagnostic_form::ResourceLoadedWithoutLookup, name);
  } else if (error == ERROR_MOD_NOT_FOUND || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
    Diagnose(diagnostic_form::ResourceNotFound, name);
  } else {
    const SystemError why(error);
    Diagnose(diagnostic_form::ResourceFailed, name, why.text, why.code);
  }
}

}  // namespace

void LogoStartup::ResourceLibraryPath(WCHAR* path, int forLanguage) {
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
  FormatLanguageNumber(forLanguage, number, sizeof number);
  if (!AppendLibraryName(path, kLongPathSize, driveLength, directoryLength, ResourceBaseName(), number,
                         FileNameCodePage())) {
    path[0] = 0;
  }
}

int LogoStartup::ResourceLibraryExists(int forLanguage) {
  ResourceLibraryPath(resourcePath, forLanguage);
  if (resourcePath[0] == 0) return 0;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(resourcePath, &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  FindClose(search);
  return 1;
}

void LogoStartup::LoadResourceLibrary() {
  // A library still held would otherwise be lost.
  FreeResourceLibrary();
  ResourceLibraryPath(resourcePath, language);
  // By its full name only, never through the DLL search path.
  HMODULE library = resourcePath[0] != 0 ? LoadLibraryW(resourcePath) : nullptr;
  const DWORD loadError = library == nullptr ? GetLastError() : ERROR_SUCCESS;
  resourceModule = library != nullptr ? library : module;
  resourceIdLookup = nullptr;
  if (resourceModule != nullptr) {
    FARPROC lookup = GetProcAddress(resourceModule, "GetResourceID");
    // Through the generic function type, which converts to any other.
    resourceIdLookup = reinterpret_cast<ResourceIdLookup>(reinterpret_cast<void (*)()>(lookup));
  }
  DiagnoseResourceLibrary(resourcePath, library != nullptr, loadError, resourceIdLookup != nullptr);
  LookUpString(title, "PROGRAM_TITLE");
}

void LogoStartup::FreeResourceLibrary() {
  // The own module is never freed; after a fallback it stays in place.
  if (resourceModule == nullptr || resourceModule == module) return;
  FreeLibrary(resourceModule);
  resourceModule = nullptr;
  // Its export went with it.
  resourceIdLookup = nullptr;
}

void LogoStartup::LookUpString(char* buffer, const char* key) {
  CopyBoundedText(buffer, key, kTextSize);
  if (resourceIdLookup == nullptr || key == nullptr) return;
  int id = resourceIdLookup(key);
  if (id == 0) return;
  // Loaded aside, so that an identifier without a string keeps the key.
  char text[kTextSize];
  if (LoadStringA(resourceModule, static_cast<UINT>(id), text, kTextSize) > 0) {
    text[kTextSize - 1] = '\0';
    CopyBoundedText(buffer, text, kTextSize);
  }
}

HBITMAP LogoStartup::LoadResourceBitmap(const char* name) {
  if (resourceModule == nullptr || name == nullptr) return nullptr;
  return LoadBitmapA(resourceModule, name);
}
