// Simulated registry: set-up and inspection for tests. None of these is an API
// call: they are not logged, cannot be made to fail and ignore access denials.
// Paths are relative to a predefined root (HKEY_LOCAL_MACHINE or
// HKEY_CURRENT_USER), components separated by backslashes; names compare
// ignoring ASCII letter case, as in the registry.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace winsim {

struct RegistryValue {
  std::string name;
  DWORD type;
  std::vector<BYTE> data;  // stored bytes, exactly as enumerated
};

inline bool operator==(const RegistryValue& a, const RegistryValue& b) {
  return a.name == b.name && a.type == b.type && a.data == b.data;
}

// Creates the key and any missing keys on its path.
void CreateRegistryKey(HKEY root, const std::string& path);
// Stores a value, creating its key; `data` is kept byte for byte (no
// terminator is added to string types).
void SetRegistryValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                      const std::vector<BYTE>& data);
// Stores `text` and its terminating zero as a REG_SZ (or `type`) value.
void SetRegistryString(HKEY root, const std::string& path, const std::string& name, const std::string& text,
                       DWORD type = REG_SZ);

bool RegistryKeyExists(HKEY root, const std::string& path);
// The value, or false when the key or the value is missing (*value untouched).
bool GetRegistryValue(HKEY root, const std::string& path, const std::string& name, RegistryValue* value);
// Subkey names and values of a key in the registry's enumeration order; empty
// when the key is missing.
std::vector<std::string> RegistrySubkeyNames(HKEY root, const std::string& path);
std::vector<RegistryValue> RegistryValues(HKEY root, const std::string& path);

// Removes the key with everything below it; open handles to removed keys then
// report ERROR_KEY_DELETED, as in Windows.
void DeleteRegistryTree(HKEY root, const std::string& path);

// Access control on one key (not its subkeys), as an ACL would set it.
enum class RegistryDenial {
  None,
  Write,  // opens for reading only; no subkey can be created under it
  All,    // cannot be opened at all; no subkey can be created under it
};
// Creates the key when missing, then applies `denial` to it.
void DenyRegistryAccess(HKEY root, const std::string& path, RegistryDenial denial);

// The whole tree below root\path as text, one line per key and per value, in
// enumeration order, with key paths relative to it; for deep comparisons.
// Empty when the key is missing.
std::string DumpRegistryTree(HKEY root, const std::string& path);

// Keys deeper than this below a predefined root cannot be created.
constexpr int kMaxRegistryDepth = 512;

}  // namespace winsim
