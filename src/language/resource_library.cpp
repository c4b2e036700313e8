// The resource library of the interface language: found beside the host
// executable, loaded, freed, and the lookups of strings in it.
#include "language/resource_library.h"

#include "diagnostics/diagnostics.h"
#include "utf8_text.h"

namespace {

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

ResourceLibrary::ResourceLibrary() : title_(), path_() { CopyBoundedText(title_, "Tarvex 4.0", sizeof title_); }

void ResourceLibrary::Attach(HMODULE ownModule, const char* baseName) {
  ownModule_ = ownModule;
  baseName_ = baseName != nullptr ? baseName : "";
}

void ResourceLibrary::Detach() { ownModule_ = nullptr; }

void ResourceLibrary::BuildPath(int language) { ResourceLibraryPath(path_, baseName_, language); }

int ResourceLibrary::Exists(int language) {
  BuildPath(language);
  if (path_[0] == 0) return 0;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(path_, &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  FindClose(search);
  return 1;
}

void ResourceLibrary::Load(int language) {
  // A library still held would otherwise be lost.
  Free();
  language_ = language;
  BuildPath(language);
  // By its full name only, never through the DLL search path.
  HMODULE loaded = path_[0] != 0 ? LoadLibraryW(path_) : nullptr;
  const DWORD loadError = loaded == nullptr ? GetLastError() : ERROR_SUCCESS;
  library_.reset(loaded);
  module_ = library_ ? library_.get() : ownModule_;
  lookup_ = nullptr;
  if (module_ != nullptr) {
    FARPROC lookup = GetProcAddress(module_, "GetResourceID");
    // Through the generic function type, which converts to any other.
    lookup_ = reinterpret_cast<ResourceIdLookup>(reinterpret_cast<void (*)()>(lookup));
  }
  DiagnoseResourceLibrary(path_, static_cast<bool>(library_), loadError, lookup_ != nullptr);
  LookUpString(title_, "PROGRAM_TITLE");
}

void ResourceLibrary::Reload(int language) {
  if (language == language_) return;
  Free();
  Load(language);
}

void ResourceLibrary::Free() {
  // The own module is never freed; after a fallback it stays in place.
  if (!library_) return;
  library_.reset();
  module_ = nullptr;
  // Its export went with it.
  lookup_ = nullptr;
}

void ResourceLibrary::LookUpString(char* buffer, const char* key) const {
  CopyBoundedText(buffer, key, kTextSize);
  if (lookup_ == nullptr || key == nullptr) return;
  int id = lookup_(key);
  if (id == 0) return;
  // Loaded aside, so that an identifier without a string keeps the key.
  char text[kTextSize];
  if (LoadStringA(module_, static_cast<UINT>(id), text, kTextSize) > 0) {
    text[kTextSize - 1] = '\0';
    CopyBoundedText(buffer, text, kTextSize);
  }
}

int ResourceLibrary::ShowMessage(const char* text, UINT style) const {
  return MessageBoxA(nullptr, text, title_, style);
}

int ResourceLibrary::ShowMessageByKey(const char* key, UINT style) const {
  char text[kTextSize];
  LookUpString(text, key);
  return ShowMessage(text, style);
}
