// Registry key access: open, read, write, list and count, always falling back
// on a default when the key or value is not there.
#include "settings/reg_key.h"

#include <cstring>

#include "text/bounded_text.h"

namespace {

constexpr DWORD kStringBufferSize = 512;

}  // namespace

const char kMachineSettingsKey[] = "SOFTWARE\\Pellix\\Tarvex\\4.0";

RegKey::RegKey(HKEY key, long openStatus, bool created)
    : key_(key), openStatus_(openStatus), created_(created), holdsNoValues_(created) {}

RegKey RegKey::OpenForReading(HKEY root, const char* subKeyPath) {
  HKEY opened = nullptr;
  const LSTATUS status = RegOpenKeyExA(root, subKeyPath, 0, KEY_READ, &opened);
  return RegKey(status == ERROR_SUCCESS ? opened : nullptr, status, false);
}

RegKey RegKey::Create(HKEY root, const char* subKeyPath) {
  HKEY opened = nullptr;
  DWORD disposition = 0;
  const LSTATUS status = RegCreateKeyExA(root, subKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                                         nullptr, &opened, &disposition);
  if (status != ERROR_SUCCESS) return RegKey(nullptr, status, false);
  // Kept, so that a copy into a key just made needs no presence reads.
  return RegKey(opened, status, disposition == REG_CREATED_NEW_KEY);
}

RegKey RegKey::OpenForReading(const RegKey& parent, const char* subKeyPath) {
  return OpenForReading(parent.key_.get(), subKeyPath);
}

RegKey RegKey::Create(const RegKey& parent, const char* subKeyPath) { return Create(parent.key_.get(), subKeyPath); }

void RegKey::Close() {
  key_.reset();
  created_ = false;
  holdsNoValues_ = false;
}

LSTATUS RegKey::SetValue(const char* valueName, DWORD type, const BYTE* data, DWORD size) {
  const LSTATUS status = RegSetValueExA(key_.get(), valueName, 0, type, data, size);
  // The key holds a value now: a copy into it must not take it for empty.
  if (status == ERROR_SUCCESS) holdsNoValues_ = false;
  return status;
}

int RegKey::ReadString(const char* valueName, const char* defaultText, char* buffer, DWORD bufferSize,
                       int* defaultUsed, StoredString* found) const {
  if (defaultUsed) *defaultUsed = 0;
  if (found) *found = StoredString::NoKey;
  if (bufferSize == 0 || buffer == nullptr) return 0;
  if (key_) {
    DWORD type = REG_NONE;
    DWORD size = bufferSize;
    LSTATUS status = RegQueryValueExA(key_.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
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

int RegKey::ReadString(const char* valueName, const char* defaultText, char* buffer, int* defaultUsed) const {
  return ReadString(valueName, defaultText, buffer, kStringBufferSize, defaultUsed);
}

int RegKey::WriteString(const char* valueName, const char* text) {
  if (!key_) return 0;
  if (text == nullptr) text = "";
  const DWORD size = static_cast<DWORD>(std::strlen(text) + 1);
  return SetValue(valueName, REG_SZ, reinterpret_cast<const BYTE*>(text), size) == ERROR_SUCCESS ? 1 : 0;
}

void RegKey::EnumSubkeyNames(char* list, DWORD slotCount) const {
  if (list == nullptr || slotCount == 0) return;
  DWORD count = 0;
  if (key_) {
    // The last slot is kept for the end of the list, whatever the key holds now.
    while (count + 1 < slotCount) {
      char* slot = list + static_cast<size_t>(count) * kSubkeyNameSlotSize;
      DWORD size = kSubkeyNameSlotSize;
      FILETIME lastWrite;
      if (RegEnumKeyExA(key_.get(), count, slot, &size, nullptr, nullptr, nullptr, &lastWrite) != ERROR_SUCCESS) break;
      ++count;
    }
  }
  list[static_cast<size_t>(count) * kSubkeyNameSlotSize] = '\0';
}

int RegKey::QueryInfo(RegKeyInfo* info) const {
  if (info == nullptr) return 0;
  *info = RegKeyInfo{};
  if (!key_) return 0;
  if (RegQueryInfoKeyA(key_.get(), nullptr, nullptr, nullptr, &info->subKeyCount, &info->maxSubKeyNameLength,
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
  RegKey key = RegKey::OpenForReading(HKEY_LOCAL_MACHINE, kMachineSettingsKey);
  if (openError) *openError = key.OpenStatus();
  if (key.IsOpen()) key.ReadString(valueName, "", buffer, kStringBufferSize, nullptr, found);
}
