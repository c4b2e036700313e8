// The addresses a loaded module's image covers, for telling whether code or
// a window procedure lies in it, before and after it is unloaded.
#pragma once

#include <windows.h>

struct ModuleRange {
  ULONG_PTR base;
  ULONG_PTR size;
  bool Holds(ULONG_PTR address) const { return address - base < size; }
};

// The image of a module that is loaded now: its base and its size in memory.
inline ModuleRange RangeOf(HMODULE module) {
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(reinterpret_cast<const BYTE*>(module) + dos->e_lfanew);
  return ModuleRange{reinterpret_cast<ULONG_PTR>(module), nt->OptionalHeader.SizeOfImage};
}
