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

// What one tree copy did, added up over the whole tree; for the start-up
// diagnostics. The caller zeroes it before the copy.
struct KeyTreeCopyCounts {
  DWORD keys;            // source keys whose values were walked, the top one included
  DWORD keysCreated;     // destination subkeys the copy created (the top one is its caller's)
  DWORD valuesWritten;   // values the destination accepted
  DWORD valuesKept;      // values left alone because the destination has them
  DWORD valuesRefused;   // writes the destination refused
  DWORD keysCutShort;    // keys whose value walk stopped early: a value too long
                         // for 512 bytes, or a failed enumeration
};

// What a string read found, for a caller that tells why it used a default.
enum class StoredString {
  NoKey,       // the key is not open
  Missing,     // no value of that name
  Text,        // a REG_SZ or REG_EXPAND_SZ value, read
  TooLong,     // a value too long for the buffer, of any type
  NotText,     // a value of another type
  Unreadable,  // the read failed for another reason
};

// A registry key held for one operation. Read-only objects open an existing
// key for reading; writable ones create it when missing and open it for
// reading and writing. A failed open leaves `handle` null, and every later
// operation then gives its default result. Never copied; closed at the end of
// its scope.
class RegKey {
 public:
  explicit RegKey(int readOnly);
  ~RegKey();

  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  // Opens `subKeyPath` under `root` (a predefined root or another open key's
  // handle); `handle` is null when that fails. A key already held is closed
  // first. A writable object keeps in `created` whether the key was made now.
  void Open(HKEY root, const char* subKeyPath);
  // Closes the key held, if any; `handle` is null afterwards.
  void Close();

  // Reads a REG_SZ or REG_EXPAND_SZ value (unexpanded) into `buffer`
  // (`bufferSize` bytes), or else the default, cut to bufferSize - 1
  // characters with the rest of the buffer zeroed. Returns the length of the
  // terminated text in the buffer, in bytes; *defaultUsed (when given) is 1
  // when the default was used. A value too long for the buffer counts as read:
  // result bufferSize - 1, the buffer then holds the empty text. bufferSize 0:
  // result 0, buffer untouched. *found (when given) says what the read found.
  int ReadString(const char* valueName, const char* defaultText, char* buffer, DWORD bufferSize,
                 int* defaultUsed, StoredString* found = nullptr);
  // The same with a buffer of 512 bytes.
  int ReadString(const char* valueName, const char* defaultText, char* buffer, int* defaultUsed);

  // Stores `text` with its terminator as a REG_SZ value. 1 when written (and
  // `created` is then 0), else 0.
  int WriteString(const char* valueName, const char* text);

  // Lists the subkey names in enumeration order into `list`, which has room
  // for `slotCount` slots of kSubkeyNameSlotSize bytes: at most slotCount - 1
  // names, then an empty slot. Stops quietly at the first enumeration failure.
  // slotCount 0: nothing is written.
  void EnumSubkeyNames(char* list, DWORD slotCount);

  // Fills `info` with the key's counts, or with zeros when it cannot be
  // queried. Returns 1 when the counts are the key's, 0 when they are zeros
  // for want of an answer.
  int QueryInfo(RegKeyInfo* info);

  // Copies this key's values and subkeys into `destination`, recursively and
  // depth first; with `onlyMissing` non-zero only the values the destination
  // lacks (see key_tree_copy.cpp). Reads only this key; writes only through
  // destination and the keys below it. Adds what it did to *counts when given.
  void CopyKeyTree(RegKey& destination, int onlyMissing, KeyTreeCopyCounts* counts = nullptr);

  HKEY handle;
  const int readOnly;
  // 1 when the last Open created the key (REG_CREATED_NEW_KEY) and nothing
  // has been written or copied into it since: it holds no values. 0 for a key
  // that existed, a failed open, a read-only key, and after a write into it.
  int created;
  // The last Open's result: ERROR_SUCCESS or the platform's error code;
  // ERROR_INVALID_HANDLE before the first Open.
  long openStatus;
};

// The machine-wide product key, under HKEY_LOCAL_MACHINE, in the registry
// view of this build's bitness.
extern const char kMachineSettingsKey[];

// Reads `valueName` of "SOFTWARE\Pellix\Tarvex\4.0" in HKEY_LOCAL_MACHINE into
// `buffer` (512 bytes): the value's text, or the empty text when the key or
// value is missing or not a string. *found (when given) says which, and
// *openError (when given) the key's open result, ERROR_SUCCESS when it opened.
void ReadMachineSetting(char* buffer, const char* valueName, StoredString* found = nullptr,
                        long* openError = nullptr);
