// Registry trees for the benchmarks, built key by key with the ANSI registry
// functions the library itself uses.
#include "bench_tree.h"

#include <cstdio>
#include <cstring>

#include "unique_reg_key.h"

namespace {

constexpr REGSAM kFullAccess = KEY_READ | KEY_WRITE;

// `path` under `parent`, created when missing, for reading and writing; an
// owner of nothing when that fails.
UniqueRegKey CreateKey(HKEY parent, const char* path) {
  UniqueRegKey key;
  if (RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, kFullAccess, nullptr, key.put(), nullptr) !=
      ERROR_SUCCESS) {
    key.reset();
  }
  return key;
}

UniqueRegKey OpenKeyForReading(HKEY parent, const char* path) {
  UniqueRegKey key;
  if (RegOpenKeyExA(parent, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS) key.reset();
  return key;
}

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
    const UniqueRegKey subkey = CreateKey(key, name);
    if (!subkey) return false;
    if (!BuildSubtree(subkey.get(), child, keyCount, valuesPerKey)) return false;
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
    const UniqueRegKey subkey = OpenKeyForReading(key, name);
    if (subkey) CountBelow(subkey.get(), count);
  }
}

}  // namespace

bool BuildScaledTree(HKEY root, const char* path, int keyCount, int valuesPerKey) {
  if (keyCount < 1) return false;
  const UniqueRegKey top = CreateKey(root, path);
  if (!top) return false;
  return BuildSubtree(top.get(), 0, keyCount, valuesPerKey);
}

bool BuildTypicalDefaults(HKEY root, const char* path) {
  const UniqueRegKey top = CreateKey(root, path);
  if (!top) return false;
  for (const TypicalValue& value : kTypical) {
    const UniqueRegKey key = CreateKey(top.get(), value.key);
    if (!key) return false;
    if (!SetText(key.get(), value.name, value.text, value.type)) return false;
  }
  for (const char* empty : kTypicalEmptyKeys) {
    if (!CreateKey(top.get(), empty)) return false;
  }
  return true;
}

bool BuildKeyChain(HKEY root, const char* path, int depth) {
  UniqueRegKey current = CreateKey(root, path);
  if (!current) return false;
  bool ok = SetText(current.get(), "Level", "0");
  // Only the key on the way down stays open.
  for (int level = 1; ok && level <= depth; ++level) {
    current = CreateKey(current.get(), "Level");
    ok = current && SetText(current.get(), "Level", "1");
  }
  return ok;
}

TreeCount CountTree(HKEY root, const char* path) {
  TreeCount count{0, 0, 0};
  const UniqueRegKey top = OpenKeyForReading(root, path);
  if (top) CountBelow(top.get(), &count);
  return count;
}

bool RemoveTree(HKEY root, const char* path) {
  LSTATUS status = RegDeleteTreeA(root, path);
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return false;
  // RegDeleteTree with a subkey removes the key itself too; check it is gone.
  return !OpenKeyForReading(root, path);
}
