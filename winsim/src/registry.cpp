// Simulated registry: the machine and current-user roots, keys and values
// whose names ignore ASCII letter case, raw typed data, and handles that carry
// their own access rights. Where Windows and Wine differ in what can be
// observed, this follows what the conformance tests pin under Wine.
#include "internal.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

namespace winsim {
namespace {

using detail::AdjustLiveHandles;
using detail::EnterCall;

// A key name of 256 characters is still accepted (measured on Windows and
// Wine alike, one more than documented); longer ones are refused.
constexpr size_t kMaxKeyNameLength = 256;
constexpr size_t kMaxValueNameLength = 16383;
// The ANSI functions convert a path into a buffer of MAX_PATH characters;
// a longer path fails with ERROR_MORE_DATA before the registry sees it.
constexpr size_t kMaxAnsiPathLength = MAX_PATH;

constexpr REGSAM kWriteDac = 0x00040000L;
constexpr REGSAM kWriteOwner = 0x00080000L;
constexpr REGSAM kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | kWriteDac | kWriteOwner;

struct Key;
using KeyPtr = std::shared_ptr<Key>;

struct Key {
  std::string name;
  int depth = 0;  // 0 for a predefined root
  bool deleted = false;
  RegistryDenial denial = RegistryDenial::None;
  std::vector<KeyPtr> subkeys;        // in enumeration order
  std::vector<RegistryValue> values;  // in enumeration order
};

struct Handle {
  KeyPtr key;
  REGSAM rights;
};

struct RegistryState {
  KeyPtr machine = std::make_shared<Key>();
  KeyPtr user = std::make_shared<Key>();
  std::map<ULONG_PTR, Handle> handles;
  ULONG_PTR nextHandle = 0x1000;  // never reused, so a closed handle stays invalid
};

RegistryState& State() {
  static RegistryState state;
  return state;
}

void ResetRegistry() { State() = RegistryState(); }
const detail::ResetHook resetRegistry(ResetRegistry);

int FoldLower(char ch) {
  unsigned char byte = static_cast<unsigned char>(ch);
  return byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte;
}

// The registry server's order: by lower-case form, a name before any longer
// name it begins.
int CompareNames(const std::string& a, const std::string& b) {
  size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    int difference = FoldLower(a[i]) - FoldLower(b[i]);
    if (difference != 0) return difference;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

template <typename Item, typename NameOf>
size_t Position(const std::vector<Item>& items, const std::string& name, NameOf nameOf, bool* found) {
  auto at = std::lower_bound(items.begin(), items.end(), name, [&](const Item& item, const std::string& wanted) {
    return CompareNames(nameOf(item), wanted) < 0;
  });
  *found = at != items.end() && CompareNames(nameOf(*at), name) == 0;
  return static_cast<size_t>(at - items.begin());
}

const std::string& KeyName(const KeyPtr& key) { return key->name; }
const std::string& ValueName(const RegistryValue& value) { return value.name; }

KeyPtr FindSubkey(const Key& parent, const std::string& name) {
  bool found = false;
  size_t at = Position(parent.subkeys, name, KeyName, &found);
  return found ? parent.subkeys[at] : nullptr;
}

KeyPtr AddSubkey(Key& parent, const std::string& name) {
  bool found = false;
  size_t at = Position(parent.subkeys, name, KeyName, &found);
  if (found) return parent.subkeys[at];
  auto key = std::make_shared<Key>();
  key->name = name;
  key->depth = parent.depth + 1;
  parent.subkeys.insert(parent.subkeys.begin() + static_cast<std::ptrdiff_t>(at), key);
  return key;
}

RegistryValue* FindValue(Key& key, const std::string& name) {
  bool found = false;
  size_t at = Position(key.values, name, ValueName, &found);
  return found ? &key.values[at] : nullptr;
}

// An existing value keeps the letter case of its name, as in Windows.
void StoreValue(Key& key, const std::string& name, DWORD type, const BYTE* data, size_t size) {
  bool found = false;
  size_t at = Position(key.values, name, ValueName, &found);
  if (!found) key.values.insert(key.values.begin() + static_cast<std::ptrdiff_t>(at), RegistryValue{name, 0, {}});
  RegistryValue& value = key.values[at];
  value.type = type;
  value.data.assign(data, data + size);
}

void MarkDeleted(Key& key) {
  key.deleted = true;
  for (const KeyPtr& subkey : key.subkeys) MarkDeleted(*subkey);
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

bool IsPredefined(HKEY key) { return key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER; }

KeyPtr RootKey(HKEY root) {
  if (root == HKEY_LOCAL_MACHINE) return State().machine;
  if (root == HKEY_CURRENT_USER) return State().user;
  return nullptr;
}

// The key and rights behind a handle; false for a handle that is no open key.
bool Resolve(HKEY handle, Handle* out) {
  if (KeyPtr root = RootKey(handle)) {
    *out = Handle{root, KEY_ALL_ACCESS};
    return true;
  }
  auto found = State().handles.find(reinterpret_cast<ULONG_PTR>(handle));
  if (found == State().handles.end()) return false;
  *out = found->second;
  return true;
}

// The key for an operation that needs `rights`, or the error Windows reports.
LONG KeyForCall(HKEY handle, REGSAM rights, KeyPtr* key) {
  Handle resolved;
  if (!Resolve(handle, &resolved)) return ERROR_INVALID_HANDLE;
  if ((resolved.rights & rights) != rights) return ERROR_ACCESS_DENIED;
  if (resolved.key->deleted) return ERROR_KEY_DELETED;
  *key = resolved.key;
  return ERROR_SUCCESS;
}

HKEY NewHandle(const KeyPtr& key, REGSAM rights) {
  RegistryState& state = State();
  ULONG_PTR id = state.nextHandle;
  state.nextHandle += 4;
  state.handles[id] = Handle{key, rights};
  AdjustLiveHandles(HandleKind::RegistryKey, 1);
  return reinterpret_cast<HKEY>(id);
}

bool Denied(const Key& key, REGSAM rights) {
  switch (key.denial) {
    case RegistryDenial::None:
      return false;
    case RegistryDenial::Write:
      return (rights & kWriteRights) != 0;
    case RegistryDenial::All:
      return true;
  }
  return true;
}

// Backslash-separated components; empty ones (doubled or trailing
// backslashes) are skipped.
std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> components;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) components.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return components;
}

// Checks a path given to the API as Windows does.
LONG SplitApiPath(LPCSTR path, std::vector<std::string>* components) {
  components->clear();
  if (path == nullptr) return ERROR_SUCCESS;
  if (std::strlen(path) > kMaxAnsiPathLength) return ERROR_MORE_DATA;
  if (path[0] == '\\') return ERROR_BAD_PATHNAME;
  *components = Components(path);
  for (const std::string& component : *components) {
    if (component.size() > kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
  }
  return ERROR_SUCCESS;
}

// Copies value data as the ANSI functions do: a string that lacks its
// terminator gets one when the buffer has room after it.
void CopyData(const RegistryValue& value, BYTE* data, DWORD capacity) {
  size_t size = value.data.size();
  if (size > 0) std::memcpy(data, value.data.data(), size);
  if (IsStringType(value.type) && size > 0 && size < capacity && value.data[size - 1] != 0) data[size] = 0;
}

KeyPtr WalkControlPath(HKEY root, const std::string& path, bool create) {
  KeyPtr key = RootKey(root);
  for (const std::string& component : Components(path)) {
    if (!key) break;
    key = create ? AddSubkey(*key, component) : FindSubkey(*key, component);
  }
  return key;
}

void DumpKey(const Key& key, const std::string& path, std::string* out) {
  *out += "key [" + path + "]\n";
  char hex[4];
  for (const RegistryValue& value : key.values) {
    *out += "  value \"" + value.name + "\" type " + std::to_string(value.type) + " size " +
            std::to_string(value.data.size()) + ":";
    for (BYTE byte : value.data) {
      std::snprintf(hex, sizeof hex, " %02x", byte);
      *out += hex;
    }
    *out += "\n";
  }
  for (const KeyPtr& subkey : key.subkeys) DumpKey(*subkey, path.empty() ? subkey->name : path + "\\" + subkey->name, out);
}

}  // namespace

// ---- tests' side

void CreateRegistryKey(HKEY root, const std::string& path) { WalkControlPath(root, path, true); }

void SetRegistryValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                      const std::vector<BYTE>& data) {
  if (KeyPtr key = WalkControlPath(root, path, true)) StoreValue(*key, name, type, data.data(), data.size());
}

void SetRegistryString(HKEY root, const std::string& path, const std::string& name, const std::string& text,
                       DWORD type) {
  std::vector<BYTE> data(text.begin(), text.end());
  data.push_back(0);
  SetRegistryValue(root, path, name, type, data);
}

bool RegistryKeyExists(HKEY root, const std::string& path) { return WalkControlPath(root, path, false) != nullptr; }

bool GetRegistryValue(HKEY root, const std::string& path, const std::string& name, RegistryValue* value) {
  KeyPtr key = WalkControlPath(root, path, false);
  if (!key) return false;
  const RegistryValue* found = FindValue(*key, name);
  if (!found) return false;
  *value = *found;
  return true;
}

std::vector<std::string> RegistrySubkeyNames(HKEY root, const std::string& path) {
  std::vector<std::string> names;
  if (KeyPtr key = WalkControlPath(root, path, false)) {
    for (const KeyPtr& subkey : key->subkeys) names.push_back(subkey->name);
  }
  return names;
}

std::vector<RegistryValue> RegistryValues(HKEY root, const std::string& path) {
  KeyPtr key = WalkControlPath(root, path, false);
  return key ? key->values : std::vector<RegistryValue>();
}

void DeleteRegistryTree(HKEY root, const std::string& path) {
  std::vector<std::string> components = Components(path);
  if (components.empty()) return;
  std::string last = components.back();
  components.pop_back();
  KeyPtr parent = RootKey(root);
  for (const std::string& component : components) {
    if (!parent) return;
    parent = FindSubkey(*parent, component);
  }
  if (!parent) return;
  bool found = false;
  size_t at = Position(parent->subkeys, last, KeyName, &found);
  if (!found) return;
  MarkDeleted(*parent->subkeys[at]);
  parent->subkeys.erase(parent->subkeys.begin() + static_cast<std::ptrdiff_t>(at));
}

void DenyRegistryAccess(HKEY root, const std::string& path, RegistryDenial denial) {
  if (KeyPtr key = WalkControlPath(root, path, true)) key->denial = denial;
}

std::string DumpRegistryTree(HKEY root, const std::string& path) {
  std::string out;
  if (KeyPtr key = WalkControlPath(root, path, false)) DumpKey(*key, "", &out);
  return out;
}

}  // namespace winsim

// ---- the API

using winsim::Handle;
using winsim::KeyPtr;
using winsim::detail::EnterCall;

LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM desired, PHKEY result) {
  long injected = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("RegOpenKeyExA", &injected)) {
    if (result) *result = nullptr;
    return injected ? injected : ERROR_ACCESS_DENIED;
  }
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  if (key == nullptr) return ERROR_INVALID_HANDLE;
  *result = nullptr;
  Handle parent;
  if (!winsim::Resolve(key, &parent)) return ERROR_INVALID_HANDLE;
  std::vector<std::string> components;
  if (LONG status = winsim::SplitApiPath(subKey, &components)) return status;
  if (parent.key->deleted) return ERROR_KEY_DELETED;
  // An empty path on a predefined root gives the root itself.
  if (components.empty() && winsim::IsPredefined(key)) {
    *result = key;
    return ERROR_SUCCESS;
  }
  KeyPtr target = parent.key;
  for (const std::string& component : components) {
    target = winsim::FindSubkey(*target, component);
    if (!target) return ERROR_FILE_NOT_FOUND;
  }
  if (winsim::Denied(*target, desired)) return ERROR_ACCESS_DENIED;
  *result = winsim::NewHandle(target, desired);
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM desired,
                               const SECURITY_ATTRIBUTES*, PHKEY result, LPDWORD disposition) {
  long injected = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("RegCreateKeyExA", &injected)) {
    if (result) *result = nullptr;
    return injected ? injected : ERROR_ACCESS_DENIED;
  }
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  // The rights of the parent handle play no part, as in every Windows version.
  Handle parent;
  if (!winsim::Resolve(key, &parent)) return ERROR_INVALID_HANDLE;
  std::vector<std::string> components;
  if (LONG status = winsim::SplitApiPath(subKey, &components)) return status;
  if (parent.key->deleted) return ERROR_KEY_DELETED;

  KeyPtr current = parent.key;
  size_t existing = 0;
  for (; existing < components.size(); ++existing) {
    KeyPtr next = winsim::FindSubkey(*current, components[existing]);
    if (!next) break;
    current = next;
  }
  const bool create = existing < components.size();
  if (create) {
    // Creating needs the right to add subkeys to the last existing key.
    if (current->denial != winsim::RegistryDenial::None) return ERROR_ACCESS_DENIED;
    if (current->depth + static_cast<int>(components.size() - existing) > winsim::kMaxRegistryDepth) {
      return ERROR_INVALID_PARAMETER;
    }
    for (size_t i = existing; i < components.size(); ++i) current = winsim::AddSubkey(*current, components[i]);
  } else if (winsim::Denied(*current, desired)) {
    return ERROR_ACCESS_DENIED;
  }
  *result = winsim::NewHandle(current, desired);
  if (disposition) *disposition = create ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCloseKey(HKEY key) {
  long injected = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("RegCloseKey", &injected)) return injected ? injected : ERROR_INVALID_HANDLE;
  if (winsim::IsPredefined(key)) return ERROR_SUCCESS;
  auto& handles = winsim::State().handles;
  auto found = handles.find(reinterpret_cast<ULONG_PTR>(key));
  if (found == handles.end()) return ERROR_INVALID_HANDLE;
  handles.erase(found);
  winsim::detail::AdjustLiveHandles(winsim::HandleKind::RegistryKey, -1);
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                LPDWORD dataSize) {
  long injected = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("RegQueryValueExA", &injected)) return injected ? injected : ERROR_ACCESS_DENIED;
  if ((data && !dataSize) || reserved) return ERROR_INVALID_PARAMETER;
  if (key == nullptr) return ERROR_INVALID_HANDLE;
  // Set before the key is even looked at, as the ANSI function does.
  if (!data && dataSize) *dataSize = 0;
  if (type) *type = REG_NONE;
  KeyPtr found;
  if (LONG status = winsim::KeyForCall(key, KEY_QUERY_VALUE, &found)) return status;
  const winsim::RegistryValue* value = winsim::FindValue(*found, valueName ? valueName : "");
  if (!value) return ERROR_FILE_NOT_FOUND;
  if (type) *type = value->type;
  DWORD size = static_cast<DWORD>(value->data.size());
  LONG status = ERROR_SUCCESS;
  if (data) {
    if (size > *dataSize) {
      status = ERROR_MORE_DATA;  // the buffer is left untouched
    } else {
      winsim::CopyData(*value, data, *dataSize);
    }
  }
  if (dataSize) *dataSize = size;
  return status;
}

LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize) {
  long injected = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("RegSetValueExA", &injected)) return injected ? injected : ERROR_ACCESS_DENIED;
  KeyPtr found;
  if (LONG status = winsim::KeyForCall(key, KEY_SET_VALUE, &found)) return status;
  std::string name = valueName ? valueName : "";
  if (name.size() > winsim::kMaxValueNameLength) return ERROR_INVALID_PARAMETER;
  if (!data && dataSize) return ERROR_INVALID_PARAMETER;
  DWORD stored = dataSize;
  // A string whose size leaves out its terminator gets it counted when the
  // byte after the data is zero: Windows reads that byte, so callers must own it.
  if (winsim::IsStringType(type) && dataSize > 0 && data[dataSize - 1] != 0 && data[dataSize] == 0) ++stored;
  winsim::StoreValue(*found, name, type, data, stored);
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved,
                             LPSTR keyClass, LPDWORD classLength, PFILETIME lastWriteTime) {
  long injected = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("RegEnumKeyExA", &injected)) return injected ? injected : ERROR_ACCESS_DENIED;
  if (!name || !nameLength || reserved) return ERROR_INVALID_PARAMETER;
  KeyPtr found;
  if (LONG status = winsim::KeyForCall(key, KEY_ENUMERATE_SUB_KEYS, &found)) return status;
  if (index >= found->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  const std::string& subkey = found->subkeys[index]->name;
  // The length passed in counts the terminator; the one passed back does not.
  if (subkey.size() >= *nameLength) return ERROR_MORE_DATA;
  std::memcpy(name, subkey.c_str(), subkey.size() + 1);
  *nameLength = static_cast<DWORD>(subkey.size());
  if (keyClass && classLength && *classLength > 0) keyClass[0] = '\0';
  if (classLength) *classLength = 0;
  if (lastWriteTime) *lastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameLength, LPDWORD reserved,
                             LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  long injected = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("RegEnumValueA", &injected)) return injected ? injected : ERROR_ACCESS_DENIED;
  if (!valueName || !valueNameLength || reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
  KeyPtr found;
  if (LONG status = winsim::KeyForCall(key, KEY_QUERY_VALUE, &found)) return status;
  if (index >= found->values.size()) return ERROR_NO_MORE_ITEMS;
  const winsim::RegistryValue& value = found->values[index];
  DWORD size = static_cast<DWORD>(value.data.size());
  if (type) *type = value.type;
  // Data too large: only the type and the size needed are reported.
  if (data && size > *dataSize) {
    *dataSize = size;
    return ERROR_MORE_DATA;
  }
  if (data) winsim::CopyData(value, data, *dataSize);
  LONG status = ERROR_SUCCESS;
  if (value.name.size() >= *valueNameLength) {
    // A name too long for the buffer arrives cut and terminated; the length stays.
    status = ERROR_MORE_DATA;
    if (*valueNameLength > 0) {
      std::memcpy(valueName, value.name.data(), *valueNameLength - 1);
      valueName[*valueNameLength - 1] = '\0';
    }
  } else {
    std::memcpy(valueName, value.name.c_str(), value.name.size() + 1);
    *valueNameLength = static_cast<DWORD>(value.name.size());
  }
  if (dataSize) *dataSize = size;
  return status;
}

LSTATUS WINAPI RegQueryInfoKeyA(HKEY key, LPSTR keyClass, LPDWORD classLength, LPDWORD reserved,
                                LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                                LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                                LPDWORD securityDescriptorSize, PFILETIME lastWriteTime) {
  long injected = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("RegQueryInfoKeyA", &injected)) return injected ? injected : ERROR_ACCESS_DENIED;
  if (reserved || (keyClass && !classLength)) return ERROR_INVALID_PARAMETER;
  KeyPtr found;
  if (LONG status = winsim::KeyForCall(key, KEY_QUERY_VALUE, &found)) return status;
  DWORD longestSubkey = 0;
  for (const KeyPtr& subkey : found->subkeys) longestSubkey = std::max(longestSubkey, DWORD(subkey->name.size()));
  DWORD longestName = 0;
  DWORD largestData = 0;
  for (const winsim::RegistryValue& value : found->values) {
    longestName = std::max(longestName, DWORD(value.name.size()));
    // Strings are held as UTF-16, and their size is reported as held.
    DWORD held = DWORD(value.data.size()) * (winsim::IsStringType(value.type) ? 2 : 1);
    largestData = std::max(largestData, held);
  }
  if (keyClass && *classLength > 0) keyClass[0] = '\0';
  if (classLength) *classLength = 0;
  if (subKeys) *subKeys = static_cast<DWORD>(found->subkeys.size());
  if (maxSubKeyLength) *maxSubKeyLength = longestSubkey;
  if (maxClassLength) *maxClassLength = 0;
  if (values) *values = static_cast<DWORD>(found->values.size());
  if (maxValueNameLength) *maxValueNameLength = longestName;
  if (maxValueLength) *maxValueLength = largestData;
  if (securityDescriptorSize) *securityDescriptorSize = 0;
  if (lastWriteTime) *lastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegDeleteValueA(HKEY key, LPCSTR valueName) {
  long injected = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("RegDeleteValueA", &injected)) return injected ? injected : ERROR_ACCESS_DENIED;
  KeyPtr found;
  if (LONG status = winsim::KeyForCall(key, KEY_SET_VALUE, &found)) return status;
  std::vector<winsim::RegistryValue>& values = found->values;
  bool present = false;
  size_t at = winsim::Position(values, valueName ? valueName : "", winsim::ValueName, &present);
  if (!present) return ERROR_FILE_NOT_FOUND;
  values.erase(values.begin() + static_cast<std::ptrdiff_t>(at));
  return ERROR_SUCCESS;
}

// Tests' clean-up: removes the subkey with its whole tree, or with no subkey
// the key's values and subkeys. Access control is not simulated here.
LSTATUS WINAPI RegDeleteTreeA(HKEY key, LPCSTR subKey) {
  long injected = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("RegDeleteTreeA", &injected)) return injected ? injected : ERROR_ACCESS_DENIED;
  Handle resolved;
  if (!winsim::Resolve(key, &resolved)) return ERROR_INVALID_HANDLE;
  if (resolved.key->deleted) return ERROR_KEY_DELETED;
  std::vector<std::string> components;
  if (LONG status = winsim::SplitApiPath(subKey, &components)) return status;
  KeyPtr parent;
  KeyPtr target = resolved.key;
  for (const std::string& component : components) {
    parent = target;
    target = winsim::FindSubkey(*parent, component);
    if (!target) return ERROR_FILE_NOT_FOUND;
  }
  if (!parent) {
    for (const KeyPtr& subkey : target->subkeys) winsim::MarkDeleted(*subkey);
    target->subkeys.clear();
    target->values.clear();
    return ERROR_SUCCESS;
  }
  bool present = false;
  size_t at = winsim::Position(parent->subkeys, target->name, winsim::KeyName, &present);
  winsim::MarkDeleted(*target);
  parent->subkeys.erase(parent->subkeys.begin() + static_cast<std::ptrdiff_t>(at));
  return ERROR_SUCCESS;
}
