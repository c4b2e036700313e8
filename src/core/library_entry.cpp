#include "core/library_entry.h"

#include "core/logo_startup.h"

BOOL RunLibraryEntry(LogoStartup& startup, HMODULE ownModule, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      startup.OnProcessAttach(ownModule);
      break;
    case DLL_PROCESS_DETACH:
      // A reserved pointer says the process is ending, rather than FreeLibrary.
      startup.OnProcessDetach(reserved != nullptr);
      break;
    default:  // thread attach and detach
      break;
  }
  // Loading never fails from the library's side.
  return TRUE;
}
