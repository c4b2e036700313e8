/* GetResourceID of the missing-strings library: every key maps to the
   identifier given in the environment variable FAKE_RESOURCE_ID (decimal,
   optionally negative), or to 0x7F00 when it is not set. */
#include <windows.h>

static int ParseDecimal(const char* text, int fallback) {
  int negative = 0;
  unsigned int value = 0;
  if (*text == '-') {
    negative = 1;
    ++text;
  }
  if (*text < '0' || *text > '9') return fallback;
  for (; *text >= '0' && *text <= '9'; ++text) value = value * 10u + (unsigned int)(*text - '0');
  return negative ? (int)(0u - value) : (int)value;
}

int __cdecl GetResourceID(const char* key) {
  char text[32];
  DWORD length;
  (void)key;
  length = GetEnvironmentVariableA("FAKE_RESOURCE_ID", text, sizeof text);
  if (length == 0 || length >= sizeof text) return 0x7F00;
  return ParseDecimal(text, 0x7F00);
}

BOOL WINAPI FakeLibraryEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reason;
  (void)reserved;
  return TRUE;
}
