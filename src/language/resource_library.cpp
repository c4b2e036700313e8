// The resource library of the interface language, and the lookups in it.
// (Until the language issue: the library's own module always stands in.)
#include "core/bounded_text.h"
#include "core/logo_startup.h"

void LogoStartup::ResourceLibraryPath(char* path, int) { path[0] = '\0'; }

int LogoStartup::ResourceLibraryExists(int) { return 0; }

void LogoStartup::LoadResourceLibrary() {
  resourceModule = module;
  resourceIdLookup = nullptr;
  LookUpString(title, "PROGRAM_TITLE");
}

void LogoStartup::FreeResourceLibrary() {}

void LogoStartup::LookUpString(char* buffer, const char* key) {
  CopyBoundedText(buffer, key, kTextSize);
  if (resourceIdLookup == nullptr) return;
  int id = resourceIdLookup(key);
  if (id != 0) LoadStringA(resourceModule, static_cast<UINT>(id), buffer, kTextSize);
}

HBITMAP LogoStartup::LoadResourceBitmap(const char* name) { return LoadBitmapA(resourceModule, name); }

int LogoStartup::ShowMessage(const char* text, UINT style) { return MessageBoxA(nullptr, text, title, style); }

int LogoStartup::ShowMessageByKey(const char* key, UINT style) {
  char text[kTextSize];
  LookUpString(text, key);
  return ShowMessage(text, style);
}
