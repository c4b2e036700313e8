// Registry trees for the benchmarks, built key by key with the ANSI registry
// functions the library itself uses.
#include "bench_tree.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr REGSAM kFullAccess = KEY_READ | KEY_WRITE;

// Owns one open key for the length of a scope.
class OpenKey {
 public:
  OpenKey() = default;
  ~OpenKey() {
    if (handle_ != nullptr) RegCloseKey(handle_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;

  bool Create(HKEY parent, const char* path) {
    return RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, kFullAccess, nullptr, &handle_,
                           nullptr) == ERROR_SUCCESS;
  }
  bool OpenForReading(HKEY parent, const char* path) {
    return RegOpenKeyExA(parent, path, 0, KEY_READ, &handle_) == ERROR_SUCCESS;
  }
  HKEY handle() const { return handle_; }

 private:
  HKEY handle_ = nullptr;
};

bool SetText(HKEY key, const char* name, const char* text, DWORD type = REG_SZ) {
  return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(std::strlen(text) + 1)) == ERROR_SUCCESS;
}

bool FillKey(HKEY key, int keyIndex, int valuesPerKey) {
  for (int value = 0; value < valuesPerKey; ++value) {
    char name[32];
    char text[64];
    std::snprintf(name, sizeof name, "Value%02d", value);
    std::snprintf(text, sizeof text, "Default text of value %02d in key %05d", value, keyIndex);
    if (!SetText(key, name, text)) return false;
  }
  return true;
}

// Depth first, so only the keys on the way down are open at a time.
bool BuildSubtree(HKEY key, int keyIndex, int keyCount, int valuesPerKey) {
  if (!FillKey(key, keyIndex, valuesPerKey)) return false;
  for (int child = keyIndex * kTreeFanOut + 1; child <= keyIndex * kTreeFanOut + kTreeFanOut; ++child) {
    if (child >= keyCount) break;
    char name[32];
    std::snprintf(name, sizeof name, "Key%06d", child);
    OpenKey subkey;
    if (!subkey.Create(key, name)) return false;
    if (!BuildSubtree(subkey.handle(), child, keyCount, valuesPerKey)) return false;
  }
  return true;
}

struct TypicalValue {
  const char* key;  // below the defaults root; "" for the root itself
  const char* name;
  const char* text;
  DWORD type;
};

// What a product's new-user defaults look like: a few keys per mode, the
// language settings, toolbars, and one empty key.
const TypicalValue kTypical[] = {
    {"", "", "Tarvex 4.0 defaults", REG_SZ},
    {"", "Version", "4.0", REG_SZ},
    {"Tarvex4", "Installed", "1", REG_SZ},
    {"Tarvex4", "Edition", "Standard", REG_SZ},
    {"Tarvex4\\Helmex", "InterfaceLanguage", "0", REG_SZ},
    {"Tarvex4\\Helmex", "StartPage", "Welcome", REG_SZ},
    {"Tarvex4\\Helmex", "RecentFileCount", "8", REG_SZ},
    {"Tarvex4\\Helmex", "ShowTips", "1", REG_SZ},
    {"Tarvex4\\Helmex", "AutoSaveMinutes", "10", REG_SZ},
    {"Tarvex4\\Helmex", "BackupCopies", "2", REG_SZ},
    {"Tarvex4\\Helmex", "Units", "mm", REG_SZ},
    {"Tarvex4\\Helmex", "Theme", "Classic", REG_SZ},
    {"Tarvex4\\Helmex\\Toolbars", "Standard", "visible", REG_SZ},
    {"Tarvex4\\Helmex\\Toolbars", "Formatting", "visible", REG_SZ},
    {"Tarvex4\\Helmex\\Toolbars", "Drawing", "hidden", REG_SZ},
    {"Tarvex4\\Helmex\\Toolbars", "Status", "visible", REG_SZ},
    {"Brindo4", "Installed", "1", REG_SZ},
    {"Brindo4\\Helmex", "InterfaceLanguage", "0", REG_SZ},
    {"Brindo4\\Helmex", "FormsFolder", "%USERPROFILE%\\Forms", REG_EXPAND_SZ},
    {"Brindo4\\Helmex", "StartPage", "Forms", REG_SZ},
    {"Brindo4\\Helmex", "RecentFileCount", "8", REG_SZ},
    {"Brindo4\\Helmex", "ShowGrid", "1", REG_SZ},
    {"Brindo4\\Helmex", "SnapToGrid", "1", REG_SZ},
    {"Brindo4\\Helmex", "GridSize", "8", REG_SZ},
    {"Brindo4\\Helmex", "AutoSaveMinutes", "10", REG_SZ},
    {"Brindo4\\Helmex\\Toolbars", "Standard", "visible", REG_SZ},
    {"Brindo4\\Helmex\\Toolbars", "Controls", "visible", REG_SZ},
    {"Brindo4\\Helmex\\Toolbars", "Layout", "visible", REG_SZ},
    {"Brindo4\\Helmex\\Toolbars", "Align", "hidden", REG_SZ},
    {"Brindo4\\Helmex\\Toolbars", "Status", "visible", REG_SZ},
};

// A key without values still belongs to the defaults.
const char* const kTypicalEmptyKeys[] = {"Tarvex4\\Plugins"};

void CountBelow(HKEY key, TreeCount* count) {
  DWORD subkeys = 0;
  DWORD values = 0;
  if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS) {
    return;
  }
  ++count->keys;
  count->values += static_cast<long>(values);
  count->parents += subkeys != 0;
  for (DWORD index = 0; index < subkeys; ++index) {
    char name[256];
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    OpenKey subkey;
    if (subkey.OpenForReading(key, name)) CountBelow(subkey.handle(), count);
  }
}

}  // namespace

bool BuildScaledTree(HKEY root, const char* path, int keyCount, int valuesPerKey) {
  if (keyCount < 1) return false;
  OpenKey top;
  if (!top.Create(root, path)) return false;
  return BuildSubtree(top.handle(), 0, keyCount, valuesPerKey);
}

bool BuildTypicalDefaults(HKEY root, const char* path) {
  OpenKey top;
  if (!top.Create(root, path)) return false;
  for (const TypicalValue& value : kTypical) {
    OpenKey key;
    if (!key.Create(top.handle(), value.key)) return false;
    if (!SetText(key.handle(), value.name, value.text, value.type)) return false;
  }
  for (const char* empty : kTypicalEmptyKeys) {
    OpenKey key;
    if (!key.Create(top.handle(), empty)) return false;
  }
  return true;
}

bool BuildKeyChain(HKEY root, const char* path, int depth) {
  OpenKey top;
  if (!top.Create(root, path)) return false;
  HKEY current = top.handle();
  bool ok = SetText(current, "Level", "0");
  for (int level = 1; ok && level <= depth; ++level) {
    HKEY next = nullptr;
    ok = RegCreateKeyExA(current, "Level", 0, nullptr, REG_OPTION_NON_VOLATILE, kFullAccess, nullptr, &next,
                         nullptr) == ERROR_SUCCESS;
    if (current != top.handle()) RegCloseKey(current);
    current = next;
    if (ok) ok = SetText(current, "Level", "1");
  }
  if (current != nullptr && current != top.handle()) RegCloseKey(current);
  return ok;
}

TreeCount CountTree(HKEY root, const char* path) {
  TreeCount count{0, 0, 0};
  OpenKey top;
  if (top.OpenForReading(root, path)) CountBelow(top.handle(), &count);
  return count;
}

bool RemoveTree(HKEY root, const char* path) {
  LSTATUS status = RegDeleteTreeA(root, path);
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return false;
  // RegDeleteTree with a subkey removes the key itself too; check it is gone.
  HKEY probe = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &probe) == ERROR_SUCCESS) {
    RegCloseKey(probe);
    return false;
  }
  return true;
}
