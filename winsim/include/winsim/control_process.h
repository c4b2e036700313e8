// Process-wide simulated state: reset, call log, injected failures, command
// line, clock, code page, processes started, debug output, message boxes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace winsim {

// Puts the whole simulated machine back to its fresh state: empty registry,
// no modules or files, no windows, default command line, clock and screen.
void Reset();

// ---- call log and injected failures
// Every simulated API function appends its name here when called.
const std::vector<std::string>& Calls();
void ClearCalls();
// Number of calls of `function` recorded since the last Reset or ClearCalls.
int CallCount(const std::string& function);

// Makes calls of `function` fail: the first `skip` calls succeed, then the next
// `times` calls fail (times < 0: every later call). A failing call returns the
// function's documented failure value; `error` (when non-zero) is the error
// code it reports, else a typical one for that function.
void InjectFailure(const std::string& function, int skip = 0, int times = 1, long error = 0);
void ClearInjectedFailures();

// ---- what Windows would punish
// A procedure called after its module's code was unmapped, a module unmapped
// under a running procedure of it, a GDI object deleted while selected into a
// device context or deleted twice: each a line naming the call, in order.
std::vector<std::string> Violations();
void ClearViolations();

// ---- live handles, for leak checks
enum class HandleKind {
  RegistryKey,
  Module,
  FindHandle,
  GlobalMemory,
  Window,
  GdiObject,
  DeviceContext,
  Process,  // CreateProcessA's process and thread handles
  Thread
};
int LiveHandles(HandleKind kind);

// ---- command line, clock, code page
void SetCommandLine(const std::string& commandLine);  // default "C:\\Program Files\\Tarvex\\host.exe"
// The day of the week follows from the date.
void SetLocalTime(WORD year, WORD month, WORD day, WORD hour = 12, WORD minute = 0, WORD second = 0);
// The time zone GetTimeZoneInformation describes; default UTC without
// daylight saving (all biases 0, TIME_ZONE_ID_UNKNOWN). Biases in minutes:
// UTC = local time + bias (+ standardBias or daylightBias while in force).
struct TimeZone {
  LONG bias = 0;
  LONG standardBias = 0;
  LONG daylightBias = 0;
  DWORD inForce = TIME_ZONE_ID_UNKNOWN;  // or TIME_ZONE_ID_STANDARD, TIME_ZONE_ID_DAYLIGHT
};
void SetTimeZone(const TimeZone& zone);
void SetAnsiCodePage(UINT codePage);  // default 1252

// ---- processes started (CreateProcessA, WinExec)
// The program is the application name's file when one is given (no search,
// no extension added). Without one it is the quoted name at the start of the
// command line, else the first reading of the line up to a space or tab, then
// up to the next, and so on, that names a file: each looked for as
// SearchPathA looks with ".exe", then without, a reading that finds a folder
// naming none. A plain file whose name ends in ".exe" starts; a module image
// or another file is no program (ERROR_BAD_EXE_FORMAT). Nothing runs.
struct StartedProcess {
  std::string applicationName;  // as given, empty for none
  std::string commandLine;      // as given
  std::string program;          // the file started, its full name in UTF-8
  DWORD startupFlags;           // what the program's GetStartupInfoA gives: dwFlags
  WORD show;                    // and wShowWindow
  bool waitedUntilIdle;         // the caller waited for the program to become idle, as WinExec does
};
const std::vector<StartedProcess>& ProcessesStarted();

// ---- OutputDebugStringA and OutputDebugStringW
// With no debug-output viewer listening, each line leaves the last error at
// ERROR_FILE_NOT_FOUND, as Wine does. DebugOutput holds each line as a
// debugger reads it: a wide line in UTF-8, an ANSI one byte for byte.
// ClassicDebugOutput holds the bytes a classic viewer reads: a wide line in
// the ANSI code page, '?' for what that lacks.
const std::vector<std::string>& DebugOutput();
const std::vector<std::string>& ClassicDebugOutput();

// ---- message boxes
struct MessageBoxRecord {
  HWND owner;
  std::string text;
  std::string caption;
  UINT style;
  int answer;
};
// Answers for the next message boxes, in order. Without a queued answer a box
// is answered with its first button (IDOK, or IDYES for MB_YESNO).
void QueueMessageBoxAnswer(int answer);
const std::vector<MessageBoxRecord>& MessageBoxes();

}  // namespace winsim
