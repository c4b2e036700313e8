/* The yardstick for the start-up cost: a DLL that does nothing when loaded,
 * built with the same runtime start-up code as TarvexLogo.dll. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reason;
  (void)reserved;
  return TRUE;
}
