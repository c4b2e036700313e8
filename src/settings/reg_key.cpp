// Registry key access: open, read, write, list and count, always falling back
// on a default when the key or value is not there.
#include "settings/reg_key.h"

#include <cstring>

#include "core/bounded_text.h"

namespace {

constexpr DWORD kStringBufferSize = 512;

}  // namespace

const char kMachineSettingsKey[] = "SOFTWARE\\Pellix\\Tarvex\\4.0";

RegKey::RegKey(int readOnlyKey)
    : handle(nullptr), readOnly(readOnlyKey), created(0), openStatus(ERROR_INVALID_HANDLE) {}

RegKey::~RegKey() { Close(); }

void RegKey::Open(HKEY root, const char* subKeyPath) {
  Close();
  HKEY opened = nullptr;
  LSTATUS status;
  if (readOnly) {
    status = RegOpenKeyExA(root, subKeyPath, 0, KEY_READ, &opened);
  } else {
    DWORD disposition = 0;
    status = RegCreateKeyExA(root, subKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                             &opened, &disposition);
    // Kept, so that a copy into a key just made needs no presence reads.
    created = status == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY ? 1 : 0;
  }
  handle = status == ERROR_SUCCESS ? opened : nullptr;
  openStatus = status;
}

void RegKey::Close() {
  created = 0;
  if (handle == nullptr) return;
  RegCloseKey(handle);
  handle = nullptr;
}

int RegKey::ReadString(const char* valueName, const char* defaultText, char* buffer, DWORD bufferSize,
                       int* defaultUsed, StoredString* found) {
  if (defaultUsed) *defaultUsed = 0;
  if (found) *found = StoredString::NoKey;
  if (bufferSize == 0 || buffer == nullptr) return 0;
  if (handle != nullptr) {
    DWORD type = REG_NONE;
    DWORD size = bufferSize;
    LSTATUS status = RegQueryValueExA(handle, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    if (found) {
      *found = status == ERROR_FILE_NOT_FOUND ? StoredString::Missing
               : status == ERROR_MORE_DATA    ? StoredString::TooLong
               : status != ERROR_SUCCESS      ? StoredString::Unreadable
               : type == REG_SZ || type == REG_EXPAND_SZ ? StoredString::Text
                                                         : StoredString::NotText;
    }
    if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
      // A stored text may lack its terminator and may fill the whole buffer:
      // end it within the data, and within the buffer.
      if (size > bufferSize) size = bufferSize;
      const void* end = std::memchr(buffer, '\0', size);
      DWORD length = end ? static_cast<DWORD>(static_cast<const char*>(end) - buffer) : size;
      if (length == bufferSize) length = bufferSize - 1;
      buffer[length] = '\0';
      return static_cast<int>(length);
    }
    if (status == ERROR_MORE_DATA) {
      // The registry leaves the buffer as it was; make it a text.
      std::memset(buffer, 0, bufferSize);
      return static_cast<int>(bufferSize - 1);
    }
  }
  size_t length = CopyBoundedText(buffer, defaultText, bufferSize);
  std::memset(buffer + length, 0, bufferSize - length);
  if (defaultUsed) *defaultUsed = 1;
  return static_cast<int>(length);
}

int RegKey::ReadString(const char* valueName, const char* defaultText, char* buffer, int* defaultUsed) {
  return ReadString(valueName, defaultText, buffer, kStringBufferSize, defaultUsed);
}

int RegKey::WriteString(const char* valueName, const char* text) {
  if (handle == nullptr) return 0;
  if (text == nullptr) text = "";
  DWORD size = static_cast<DWORD>(std::strlen(text) + 1);
  if (RegSetValueExA(handle, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), size) != ERROR_SUCCESS) {
    return 0;
  }
  // The key holds a value now: a copy into it must not take it for empty.
  created = 0;
  return 1;
}

void RegKey::EnumSubkeyNames(char* list, DWORD slotCount) {
  if (list == nullptr || slotCount == 0) return;
  DWORD count = 0;
  if (handle != nullptr) {
    // The last slot is kept for the end of the list, whatever the key holds now.
    while (count + 1 < slotCount) {
      char* slot = list + static_cast<size_t>(count) * kSubkeyNameSlotSize;
      DWORD size = kSubkeyNameSlotSize;
      FILETIME lastWrite;
      if (RegEnumKeyExA(handle, count, slot, &size, nullptr, nullptr, nullptr, &lastWrite) != ERROR_SUCCESS) break;
      ++count;
    }
  }
  list[static_cast<size_t>(count) * kSubkeyNameSlotSize] = '\0';
}

int RegKey::QueryInfo(RegKeyInfo* info) {
  if (info == nullptr) return 0;
  *info = RegKeyInfo{};
  if (handle == nullptr) return 0;
  if (RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, &info->subKeyCount, &info->maxSubKeyNameLength,
                       &info->maxClassLength, &info->valueCount, &info->maxValueNameLength,
                       &info->maxValueDataSize, nullptr, nullptr) != ERROR_SUCCESS) {
    *info = RegKeyInfo{};
    return 0;
  }
  return 1;
}

void ReadMachineSetting(char* buffer, const char* valueName, StoredString* found, long* openError) {
  if (found) *found = StoredString::NoKey;
  if (buffer == nullptr) return;
  buffer[0] = '\0';
  RegKey key(1);
  key.Open(HKEY_LOCAL_MACHINE, kMachineSettingsKey);
  if (openError) *openError = key.openStatus;
  if (key.handle != nullptr) key.ReadString(valueName, "", buffer, kStringBufferSize, nullptr, found);
  key.Close();
}
