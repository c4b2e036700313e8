// Registry trees for the benchmarks, made and measured through the registry
// API itself, so the same code serves winsim natively and Wine.
#pragma once

#include <windows.h>

// Keys and values of one tree, its top key included.
struct TreeCount {
  long keys;
  long values;
  long parents;  // keys holding at least one subkey
};

// Number of subkeys each key of a scaled tree gets, breadth first.
constexpr int kTreeFanOut = 10;

// Creates root\path with `keyCount` keys in all (the top key included), each
// with `valuesPerKey` REG_SZ values of about 40 bytes; key i hangs below key
// (i - 1) / kTreeFanOut. Returns false when a key or value cannot be written.
bool BuildScaledTree(HKEY root, const char* path, int keyCount, int valuesPerKey);

// Creates root\path as a typical set of new-user defaults: the 8 keys and
// 30 string values of kTypicalKeys and kTypicalValues, 5 of the keys with
// subkeys and one without values. False on a failed write.
bool BuildTypicalDefaults(HKEY root, const char* path);
constexpr int kTypicalKeys = 8;
constexpr int kTypicalValues = 30;
constexpr int kTypicalParents = 5;
constexpr int kTypicalKeysWithoutValues = 1;

// Creates root\path and a chain of `depth` keys below it, each the only
// subkey of the one above and holding one value. False on a failed write.
bool BuildKeyChain(HKEY root, const char* path, int depth);

// Counts the keys and values of root\path and everything below it; zeros when
// the key cannot be opened.
TreeCount CountTree(HKEY root, const char* path);

// Removes root\path with everything below it; true when it is gone.
bool RemoveTree(HKEY root, const char* path);
