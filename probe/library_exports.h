// The start-up library's exports as the probe calls them.
#pragma once

#include <windows.h>

typedef int(__cdecl* IntQuery)();
typedef int(__cdecl* CloseQuery)();
typedef const char*(__cdecl* SetExitCommandFunction)(const char*, int);
typedef void(__cdecl* BeforeInitHelmexFunction)(char*);
typedef int(__cdecl* SetStatusTextFunction)(const char*);

// GetProcAddress hands out a generic function pointer; the export's real type
// is known here.
template <typename Function>
Function Export(HMODULE library, LPCSTR name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}
