// Scoped access to one registry key, and the one machine-wide setting reader.
#pragma once

#include <windows.h>

// Counts the registry reports for one key; all zero when unknown.
struct RegKeyInfo {
  DWORD subKeyCount;
  DWORD maxSubKeyNameLength;  // in characters, without terminator
  DWORD maxClassLength;       // in characters, without terminator
  DWORD valueCount;
  DWORD maxValueNameLength;   // in characters, without terminator
  DWORD maxValueDataSize;     // in bytes
};

// Size of one slot of a subkey-name list, in bytes. A list is consecutive
// slots, each a zero-terminated name, ended by a slot whose first byte is zero.
constexpr DWORD kSubkeyNameSlotSize = 512;

// A registry key held for one operation. Read-only objects open an existing
// key for reading; writable ones create it when missing and open it for
// reading and writing. A failed open leaves `handle` null, and every later
// operation then gives its default result.
class RegKey {
 public:
  explicit RegKey(int readOnly);
  ~RegKey();

  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  // Opens `subKeyPath` under `root` (a predefined root or another open key's
  // handle). A key already held is closed first.
  void Open(HKEY root, const char* subKeyPath);
  void Close();

  // Reads a string value into `buffer` (`bufferSize` bytes), or the default
  // when the value is missing or not a string. Returns the length of the text
  // in the buffer, in bytes; *defaultUsed (when given) tells whether the
  // default was used. A value too long for the buffer counts as read and
  // gives bufferSize - 1.
  int ReadString(const char* valueName, const char* defaultText, char* buffer, DWORD bufferSize,
                 int* defaultUsed);
  // The same with a buffer of 512 bytes.
  int ReadString(const char* valueName, const char* defaultText, char* buffer, int* defaultUsed);

  // Stores `text` as a REG_SZ value. 1 when written, else 0.
  int WriteString(const char* valueName, const char* text);

  // Lists the subkey names into `list`, which has room for `slotCount` slots of
  // kSubkeyNameSlotSize bytes (slotCount >= 1); never writes beyond them, and
  // always ends the list with an empty slot.
  void EnumSubkeyNames(char* list, DWORD slotCount);

  // Fills `info` with the key's counts, or with zeros.
  void QueryInfo(RegKeyInfo* info);

  // Copies this key's values and subkeys into `destination`, recursively;
  // with `onlyMissing` non-zero only the values the destination lacks.
  void CopyKeyTree(RegKey& destination, int onlyMissing);

  HKEY handle;
  const int readOnly;
};

// Reads `valueName` of "SOFTWARE\Pellix\Tarvex\4.0" in HKEY_LOCAL_MACHINE into
// `buffer` (512 bytes): the value's text, or the empty text when the key or
// value is missing or not a string.
void ReadMachineSetting(char* buffer, const char* valueName);
