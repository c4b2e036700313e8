// Receives the library's diagnostics in the best form the platform gives
// them: the Unicode text, where the platform raises it in this process
// (DBG_PRINTEXCEPTION_WIDE_C, which a vectored handler sees), else the
// classic debug-output buffer's ANSI text, as every debug-output viewer reads
// it, decoded by the process's ANSI code page.
#pragma once

#include <string>
#include <vector>

// Sets up the debug-output buffer, its monitor thread and the handler; false
// when another viewer already holds the buffer (the lines then go there).
// With `keepLines` false the lines are only counted, as across load cycles,
// where keeping thousands would grow the process and hide what the library holds.
bool StartDebugOutputMonitor(bool keepLines);

// Returns once the monitor has taken every classic line written so far (at
// most a second): a writer does not wait for the reader, and the unload's
// lines come just before the report.
void WaitForDebugOutputTaken();

// The lines of this process so far, in UTF-8, line ends removed: the Unicode
// ones when any arrived, else the classic ones, where a character the ANSI
// code page lacks arrives as '?'.
std::vector<std::string> DebugOutputLines();
// "unicode" or "ansi": which channel DebugOutputLines reads.
const char* DebugOutputChannel();
// The classic buffer's lines byte for byte, line ends removed.
std::vector<std::string> ClassicDebugOutputLines();
long long DebugOutputLineCount();
