// Resource library images and per-user registry helpers for the language tests.
#pragma once

#include <windows.h>
#include <winsim/control.h>

#include <cstring>
#include <string>

#include "unique_reg_key.h"

namespace language_test {

constexpr char kHostPath[] = "C:\\Program Files\\Tarvex\\host.exe";

// The machine a whole start is scripted on: the host above, a 1024 by 768
// screen, code page 1252.
inline void PrepareHostMachine() {
  winsim::SetHostExecutablePath(kHostPath);
  winsim::SetScreenSize(1024, 768);
  winsim::SetAnsiCodePage(1252);
}
constexpr char kEnglishLibrary[] = "C:\\Program Files\\Tarvex\\OxaRes0.dll";
constexpr char kMainModeKey[] = "Software\\Vornek\\Tarvex4\\Helmex";
constexpr char kFormsModeKey[] = "Software\\Vornek\\Brindo4\\Helmex";

constexpr UINT kTitleId = 101;
constexpr UINT kBadTimeId = 102;

// A "GetResourceID" that knows the two keys the start-up library asks for.
inline int __cdecl KnownKeysResourceId(const char* key) {
  if (key == nullptr) return 0;
  if (std::strcmp(key, "PROGRAM_TITLE") == 0) return kTitleId;
  if (std::strcmp(key, "MSG_BAD_TIME") == 0) return kBadTimeId;
  return 0;
}
inline int __cdecl NoKeysResourceId(const char*) { return 0; }

inline FARPROC AsExport(int(__cdecl* function)(const char*)) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

// A resource library with its own title, clock message and one logo bitmap.
inline winsim::ModuleImage ResourceLibraryImage(const std::string& title, const std::string& badTime) {
  winsim::ModuleImage image;
  image.strings[kTitleId] = title;
  image.strings[kBadTimeId] = badTime;
  image.exports["GetResourceID"] = AsExport(KnownKeysResourceId);
  image.bitmaps["SVGA_LOGO_PELTRA"] = std::vector<BYTE>(64, 0x11);
  return image;
}

inline std::string LibraryPathFor(int language) {
  return "C:\\Program Files\\Tarvex\\OxaRes" + std::to_string(language) + ".dll";
}

// Stores a value under HKEY_CURRENT_USER, creating the key; true when stored.
inline bool SetUserValue(const char* keyPath, const char* name, DWORD type, const void* data, DWORD size) {
  UniqueRegKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  return RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

inline bool SetUserString(const char* keyPath, const char* name, const std::string& text) {
  return SetUserValue(keyPath, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

// The value's type and bytes, or type REG_NONE with "<missing>" when absent.
struct UserValue {
  DWORD type;
  std::string data;
};

inline UserValue ReadUserValue(const char* keyPath, const char* name) {
  UserValue missing{REG_NONE, "<missing>"};
  UniqueRegKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return missing;
  char data[512];
  DWORD size = sizeof data;
  DWORD type = 0xdeadbeef;
  const LSTATUS status = RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  if (status != ERROR_SUCCESS) return missing;
  return UserValue{type, std::string(data, size)};
}

}  // namespace language_test
