#include "process_modules.h"

#include <psapi.h>

#include "resource_library_name.h"
#include "wide_text.h"

std::string ProbeExecutable() {
  // The longest name the system gives, so that a folder of any length serves.
  std::wstring path(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
  path.resize(length < path.size() ? length : 0);
  return Utf8(path);
}

std::string ProbeFolder() {
  const std::string path = ProbeExecutable();
  return path.substr(0, path.find_last_of('\\') + 1);
}

std::vector<std::string> LoadedModulePaths() {
  // Module handles and GetModuleFileNameW, not a tool-help snapshot, whose
  // names stop at 260 characters.
  std::vector<HMODULE> modules(256);
  DWORD needed = 0;
  for (;;) {
    const DWORD room = static_cast<DWORD>(modules.size() * sizeof(HMODULE));
    if (!K32EnumProcessModules(GetCurrentProcess(), modules.data(), room, &needed)) return {};
    if (needed <= room) break;
    modules.resize(needed / sizeof(HMODULE));
  }
  modules.resize(needed / sizeof(HMODULE));
  std::vector<std::string> paths;
  std::wstring name(32768, L'\0');
  for (HMODULE module : modules) {
    const DWORD length = GetModuleFileNameW(module, &name[0], static_cast<DWORD>(name.size()));
    if (length > 0 && length < name.size()) paths.push_back(Utf8(name.substr(0, length)));
  }
  return paths;
}

HMODULE LoadedResourceLibrary() {
  for (const std::string& path : LoadedModulePaths()) {
    if (IsResourceLibraryPath(path)) return GetModuleHandleW(Utf16(path).c_str());
  }
  return nullptr;
}
