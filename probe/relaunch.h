// Starting the probe again with an exact command line, which `wine prog.exe
// args` cannot give (it quotes and escapes the arguments).
#pragma once

#include <string>

// Starts this program again with exactly `line` (UTF-8) as its command line,
// with the same standard handles, waits for it and returns its exit code; 4
// when it cannot be started.
int Relaunch(const std::string& line);
