// Receives the library's diagnostics as a debug-output viewer does, through
// the system's debug-output buffer, and keeps the lines of this process.
#pragma once

#include <string>
#include <vector>

// Sets up the debug-output buffer and its monitor thread; false when another
// viewer already holds the buffer (the lines then go there). With
// `keepLines` false the lines are only counted, as across load cycles, where
// keeping thousands would grow the process and hide what the library holds.
bool StartDebugOutputMonitor(bool keepLines);

// The lines of this process so far (text as written, line ends removed).
std::vector<std::string> DebugOutputLines();
long long DebugOutputLineCount();
