/* The one export of every resource library: resource key to string
   identifier. Built without the C runtime, so the library imports nothing. */
#include <windows.h>

#include "resource_ids.h"

struct KeyId {
  const char* key;
  int id;
};

static const struct KeyId kKeys[] = {
    {"PROGRAM_TITLE", IDS_PROGRAM_TITLE},
    {"MSG_BAD_TIME", IDS_MSG_BAD_TIME},
};

static int SameKey(const char* a, const char* b) {
  while (*a != '\0' && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b;
}

/* The identifier of the string for `key` (exact, case-sensitive), or 0 for
   an unknown or null key. */
int __cdecl GetResourceID(const char* key) {
  unsigned int i;
  if (key == NULL) return 0;
  for (i = 0; i < sizeof kKeys / sizeof kKeys[0]; ++i) {
    if (SameKey(key, kKeys[i].key)) return kKeys[i].id;
  }
  return 0;
}

/* Entry point: nothing to set up or tear down. */
BOOL WINAPI ResourceLibraryEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reason;
  (void)reserved;
  return TRUE;
}
