// The DLL's one start-up object and its entry point. Linked only into
// TarvexLogo.dll: tests build their own start-up object.
#include <windows.h>

#include "core/library_entry.h"
#include "core/product_startup.h"

namespace {
// Constructed by the runtime's static initialisation before DllMain sees
// process attach, destroyed after DllMain has handled process detach.
ProductStartup g_productStartup;
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  return RunLibraryEntry(g_productStartup, instance, reason, reserved);
}
