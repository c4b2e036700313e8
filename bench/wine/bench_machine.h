// The machine a returning user's start meets in the Wine benchmarks, and the
// little the benchmark programs need to know about themselves.
#pragma once

#include <string>

// The product's machine-wide key with "DisableForms" "0" and a typical set of
// new-user defaults, in the registry view of this build. What a start adds
// for the user, and the machine-wide keys, are removed again by Restore
// unless they were there before Prepare.
class TypicalMachine {
 public:
  TypicalMachine();
  TypicalMachine(const TypicalMachine&) = delete;
  TypicalMachine& operator=(const TypicalMachine&) = delete;

  // Writes the defaults and "DisableForms"; false on a failed write.
  bool Prepare();
  // Removes what was not there before; false when some of it stays.
  bool Restore();

 private:
  bool machineExisted_;
  bool userExisted_;
};

// Folder of the running program with its trailing backslash; empty on failure.
std::string ExecutableDirectory();

// Whether the command line holds "/name" (any letter case) after a blank,
// followed by a blank or its end.
bool CommandLineHasSwitch(const char* name);

// True when every file is in `directory`; names the first missing one on stderr.
bool FilesBesideProgram(const std::string& directory, const char* const* files, int count, const char* program);
