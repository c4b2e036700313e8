// Host command lines that make the switch and file-type tests work hardest.
#pragma once

#include <cstddef>
#include <string>

// A line of exactly `length` characters: a quoted program path, then words
// full of signs after blanks, near misses of "NOLOGO" (/NOLOGOS, -nolog,
// /nologo2) and of ".frm" (a.frmx, b.FRM.tif, .fr). It holds neither the
// switch "NOLOGO" nor the file type ".frm", so both tests scan all of it.
std::string WorstCaseCommandLine(size_t length);
