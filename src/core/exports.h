// The functions the host application calls, exported by ordinal with the C
// calling convention. Each forwards to the one start-up object.
#pragma once

#include <windows.h>

// Size of each of the two text fields of BeforeInitHelmex's area, in bytes.
constexpr int kHelmexFieldSize = 260;

extern "C" {
// Ordinal 1: the settled mode (0 main, 1 forms).
int __cdecl LogoGetMode();
// Ordinal 2: the settled edition.
int __cdecl LogoGetEdition();
// Ordinal 6: closes the logo; non-zero when a logo font was deleted.
int __cdecl LogoClose();
// Ordinal 8: keeps `command` (at most 511 characters) to run with `show` when
// the library unloads; returns the stored copy.
const char* __cdecl LogoSetExitCommand(const char* command, int show);
// Ordinal 12: fills `names` (2 x 260 bytes) with the product key name and, at
// offset 260, the resource base name.
void __cdecl BeforeInitHelmex(char* names);
// Ordinal 13: the library's version number, 402.
int __cdecl GetVersionNumber();
}
