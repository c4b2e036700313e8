// Which program a command line starts, read as process creation reads it: the
// quoted name at its start, or, unquoted, the first reading of the line up to
// a space or tab that names a file, then up to the next, and so on. An
// unquoted path with a space may so start a file planted at a shorter
// reading; the library starts the one program the host meant, or none.
#pragma once

#include "text/bounded_text.h"

enum class CommandProgramKind {
  Quoted,     // the program is the quoted name, found by the system
  Found,      // exactly one reading names a program
  Ambiguous,  // a reading names a program, and a longer one names another
  NotFound,   // no reading names a program, or the quoted name is empty
  QuoteOpen,  // a quote opens the line and none closes it
  TooLong,    // a reading's full name does not fit a buffer of the library
};

struct CommandProgram {
  CommandProgramKind kind;
  // Quoted: the quoted name; Found: the full name of the one program;
  // Ambiguous: the full name of the program the system would start.
  char program[kTextSize];
  // Ambiguous: the full name of the longer reading's program.
  char alsoFound[kTextSize];
};

// Reads `commandLine` (at most 511 characters) into *found. Each reading is
// looked for as process creation looks (SearchPathA with ".exe", then
// without), and one that finds a folder names no program.
void FindCommandProgram(const char* commandLine, CommandProgram* found);
