// The library entry's logic, apart from the DLL's own DllMain so that tests
// can drive it with a start-up object of their own.
#pragma once

#include <windows.h>

class LogoStartup;

// Runs the start-up sequence on process attach and the shut-down sequence on
// process detach (`reserved` not null: the process is ending); thread attach
// and detach do nothing. Always returns TRUE.
BOOL RunLibraryEntry(LogoStartup& startup, HMODULE ownModule, DWORD reason, LPVOID reserved = nullptr);
