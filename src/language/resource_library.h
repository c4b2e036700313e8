// The resource library of the interface language, with one owner: its module
// (or the library's own, which stands in without it), its "GetResourceID",
// the product title taken from it, string lookups and message boxes.
#pragma once

#include <windows.h>

#include "language/resource_path.h"
#include "text/bounded_text.h"
#include "unique_handle.h"

// A module loaded by this library, freed when its owner goes.
using UniqueLibrary = UniqueHandle<HMODULE, FreeLibrary>;

// The resource library's "GetResourceID": key text in, string identifier out
// (0 for a key it does not know).
typedef int(__cdecl* ResourceIdLookup)(const char* key);

class ResourceLibrary {
 public:
  // The title is "Tarvex 4.0" until a library gives its own.
  ResourceLibrary();
  ResourceLibrary(const ResourceLibrary&) = delete;
  ResourceLibrary& operator=(const ResourceLibrary&) = delete;

  // Names the library's own module, which serves when no resource library
  // loads, and the first part of the resource library's file name.
  void Attach(HMODULE ownModule, const char* baseName);
  // Forgets the own module, at the unload.
  void Detach();
  // Frees the library held, then loads that of `language` by its full name
  // beside the host executable; the own module serves when it fails. The
  // title comes from its "PROGRAM_TITLE", or is that key.
  void Load(int language);
  // Loads the library of `language` in place of the one held when the two
  // languages differ; else nothing changes.
  void Reload(int language);
  // Frees the library loaded; the own module is never freed. Lookups then
  // give their keys, and no bitmap loads.
  void Free();
  // 1 when the library of `language` is there beside the host executable, else 0.
  int Exists(int language);

  // The string of `key`, or the key itself, into `buffer` (kTextSize bytes).
  void LookUpString(char* buffer, const char* key) const;
  // A message box without an owner window, captioned with the title.
  int ShowMessage(const char* text, UINT style) const;
  int ShowMessageByKey(const char* key, UINT style) const;

  // Where strings, bitmaps and the mode dialog come from: the library, the
  // own module in its place, or null after Free.
  HMODULE Module() const { return module_; }
  HMODULE OwnModule() const { return ownModule_; }
  // Whether the own module stands in (null for null before an attach).
  bool OwnModuleServes() const { return module_ == ownModule_; }
  // Whether the module serving has a "GetResourceID".
  bool HasLookup() const { return lookup_ != nullptr; }
  // The interface language the last Load was for.
  int Language() const { return language_; }
  // Caption of the logo window and of every message box.
  const char* Title() const { return title_; }

 private:
  void BuildPath(int language);

  HMODULE ownModule_ = nullptr;
  const char* baseName_ = "";
  UniqueLibrary library_;     // the resource library loaded, if one is
  HMODULE module_ = nullptr;  // the one serving: library_'s, the own module, or null
  ResourceIdLookup lookup_ = nullptr;
  int language_ = 0;
  char title_[kTextSize];
  // Where the full name is built: a name of any folder is up to 64 KiB, too
  // much for the stack of the loader's call.
  WCHAR path_[kLongPathSize];
};
