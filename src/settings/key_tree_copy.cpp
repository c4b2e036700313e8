// The recursive copy of one registry key into another: values first, then
// each subkey's whole tree, in the registry's enumeration order.
//
// Presence of a destination value when only missing values are copied, read
// into a 512-byte buffer:
//   none                                              missing: written
//   REG_SZ or REG_EXPAND_SZ of at most 512 bytes      present: kept
//   any type of more than 512 bytes                   present: kept
//   any other type of at most 512 bytes               missing: replaced
//   unreadable for another reason (access denied)     present: kept, so that
//                                                     a failing read never
//                                                     costs the user a setting
#include <cstring>

#include "settings/reg_key.h"
#include "settings/subkey_list.h"

#if defined(__GNUC__)
#define TARVEX_NOINLINE __attribute__((noinline))
#else
#define TARVEX_NOINLINE
#endif

namespace {

constexpr DWORD kValueBufferSize = 512;

}  // namespace

bool RegKey::LacksValue(const char* name, BYTE* scratch) const {
  DWORD type = REG_NONE;
  DWORD size = kValueBufferSize;
  const LSTATUS status = RegQueryValueExA(key_.get(), name, nullptr, &type, scratch, &size);
  if (status == ERROR_FILE_NOT_FOUND) return true;
  // A value too long for the buffer, and a read that failed, count as present.
  return status == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ;
}

// The value phase of one key. Its three 512-byte buffers live in this frame
// only, so that the walk down a deep tree does not hold them at every level.
// Ends at the first enumeration failure: the last value, or a value whose name
// or data do not fit 512 bytes (neither it nor any later value is copied).
// `valueCount` is the source's count when known (else 0): the walk stops there
// without asking for the end.
TARVEX_NOINLINE void RegKey::CopyValuesInto(RegKey& destination, bool onlyMissing, DWORD valueCount,
                                            KeyTreeCopyCounts* counts) const {
  char name[kValueBufferSize];
  // One byte more than offered to the enumeration: Windows reads the byte
  // after a string's data when it is written back, and takes a zero there as a
  // forgotten terminator. A non-zero byte keeps the copy to the bytes read.
  BYTE data[kValueBufferSize + 1];
  BYTE scratch[kValueBufferSize];
  for (DWORD index = 0; valueCount == 0 || index < valueCount; ++index) {
    DWORD nameSize = kValueBufferSize;
    DWORD dataSize = kValueBufferSize;
    DWORD type = REG_NONE;
    const LSTATUS status = RegEnumValueA(key_.get(), index, name, &nameSize, nullptr, &type, data, &dataSize);
    if (status != ERROR_SUCCESS || dataSize > kValueBufferSize) {
      if (counts != nullptr && status != ERROR_NO_MORE_ITEMS) ++counts->keysCutShort;
      return;
    }
    data[dataSize] = 0xFF;
    if (onlyMissing && !destination.LacksValue(name, scratch)) {
      if (counts != nullptr) ++counts->valuesKept;
      continue;
    }
    const LSTATUS written = destination.SetValue(name, type, data, dataSize);
    if (counts != nullptr) ++(written == ERROR_SUCCESS ? counts->valuesWritten : counts->valuesRefused);
  }
}

void RegKey::CopyKeyTree(RegKey& destination, int onlyMissing, KeyTreeCopyCounts* counts) const {
  // Nothing can be written through a missing destination: the subtree is skipped.
  if (!key_ || !destination.key_ || key_.get() == destination.key_.get()) return;

  RegKeyInfo info;
  const bool counted = QueryInfo(&info) != 0;
  if (counts != nullptr) ++counts->keys;
  // A key this copy has just created holds no values: every value is missing
  // and needs no presence read. A key counted empty has no values to walk;
  // without a count (a failed query) the enumeration tells where they end.
  if (!counted || info.valueCount != 0) {
    CopyValuesInto(destination, onlyMissing && !destination.holdsNoValues_, info.valueCount, counts);
  }

  // A list with room for no name would list nothing.
  if (info.subKeyCount == 0) return;
  // Without memory for the list the subkeys are left out; the copy goes on
  // with the parent's next sibling.
  const UniqueSubkeyList list(AllocateSubkeyList(info.subKeyCount + 1));
  if (!list) return;
  EnumSubkeyNames(list.get(), info.subKeyCount + 1);
  for (const char* name = list.get(); *name != '\0'; name += kSubkeyNameSlotSize) {
    RegKey sourceSubkey = OpenForReading(*this, name);
    // Created even when the source subkey cannot be read, so every key of
    // the source has its namesake in the destination.
    RegKey destinationSubkey = Create(destination, name);
    if (counts != nullptr && destinationSubkey.WasCreated()) ++counts->keysCreated;
    sourceSubkey.CopyKeyTree(destinationSubkey, onlyMissing, counts);
  }
}
