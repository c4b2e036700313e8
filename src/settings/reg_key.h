// Scoped access to one registry key, and the one machine-wide setting reader.
#pragma once

#include <windows.h>

#include "unique_reg_key.h"

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

// A registry key held for one operation, by name: opened for reading, or
// created when missing and opened for reading and writing. A key that cannot
// be opened leaves the object without one, and every operation then gives its
// default result. Moves, never copies; closed at the end of its scope.
//
// Whether a key holds no values is known only to the owner: it is set by the
// create path when that made the key, and every write through the owner ends
// it. The key's handle never leaves the object, so no write can pass it by.
class RegKey {
 public:
  // Holds no key: every operation gives its default result.
  RegKey() = default;

  // Opens existing `subKeyPath` under `root` (a predefined root) or under
  // `parent`'s key for reading (KEY_READ); creates nothing.
  static RegKey OpenForReading(HKEY root, const char* subKeyPath);
  static RegKey OpenForReading(const RegKey& parent, const char* subKeyPath);
  // Creates `subKeyPath` and every missing key on its way under `root` or
  // `parent`'s key, or opens it when it exists, for reading and writing.
  static RegKey Create(HKEY root, const char* subKeyPath);
  static RegKey Create(const RegKey& parent, const char* subKeyPath);

  // Whether a key is held.
  bool IsOpen() const { return static_cast<bool>(key_); }
  // The open's result: ERROR_SUCCESS or the platform's error code;
  // ERROR_INVALID_HANDLE for an object never opened.
  long OpenStatus() const { return openStatus_; }
  // True when the open made the key (REG_CREATED_NEW_KEY) and it is still held.
  bool WasCreated() const { return IsOpen() && created_; }
  // Closes the key held, if any.
  void Close();

  // Reads a REG_SZ or REG_EXPAND_SZ value (unexpanded) into `buffer`
  // (`bufferSize` bytes), or else the default, cut to bufferSize - 1
  // characters with the rest of the buffer zeroed. Returns the length of the
  // terminated text in the buffer, in bytes; *defaultUsed (when given) is 1
  // when the default was used. A value too long for the buffer counts as read:
  // result bufferSize - 1, the buffer then holds the empty text. bufferSize 0:
  // result 0, buffer untouched. *found (when given) says what the read found.
  int ReadString(const char* valueName, const char* defaultText, char* buffer, DWORD bufferSize,
                 int* defaultUsed, StoredString* found = nullptr) const;
  // The same with a buffer of 512 bytes.
  int ReadString(const char* valueName, const char* defaultText, char* buffer, int* defaultUsed) const;

  // Stores `text` with its terminator as a REG_SZ value. 1 when written, else 0.
  int WriteString(const char* valueName, const char* text);

  // Lists the subkey names in enumeration order into `list`, which has room
  // for `slotCount` slots of kSubkeyNameSlotSize bytes: at most slotCount - 1
  // names, then an empty slot. Stops quietly at the first enumeration failure.
  // slotCount 0: nothing is written.
  void EnumSubkeyNames(char* list, DWORD slotCount) const;

  // Fills `info` with the key's counts, or with zeros when it cannot be
  // queried. Returns 1 when the counts are the key's, 0 when they are zeros
  // for want of an answer.
  int QueryInfo(RegKeyInfo* info) const;

  // Copies this key's values and subkeys into `destination`, recursively and
  // depth first; with `onlyMissing` non-zero only the values the destination
  // lacks (see key_tree_copy.cpp). Reads only this key; writes only through
  // destination and the keys below it. Adds what it did to *counts when given.
  void CopyKeyTree(RegKey& destination, int onlyMissing, KeyTreeCopyCounts* counts = nullptr) const;

 private:
  RegKey(HKEY key, long openStatus, bool created);
  // Writes one value as given; a key written into no longer counts as empty.
  LSTATUS SetValue(const char* valueName, DWORD type, const BYTE* data, DWORD size);
  // Whether this key lacks `valueName` by the copy's presence rules, from one
  // read into `scratch` (512 bytes).
  bool LacksValue(const char* valueName, BYTE* scratch) const;
  // The value phase of the copy into `destination` (see key_tree_copy.cpp).
  void CopyValuesInto(RegKey& destination, bool onlyMissing, DWORD valueCount, KeyTreeCopyCounts* counts) const;

  UniqueRegKey key_;
  long openStatus_ = ERROR_INVALID_HANDLE;
  bool created_ = false;
  // Set only by the create path, for a key it made; ended by every write
  // through this object and by Close.
  bool holdsNoValues_ = false;
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
