// Crashes inside the start-up library, told as such: an access violation or
// a bad instruction at an address of the library's image, loaded or already
// unloaded. Such a crash is one event line on stderr and exit code 5; on a
// thread armed for it, that thread alone ends and the crash is counted.
#pragma once

#include <windows.h>

// The exit code of a thread that crashed inside the library while armed.
constexpr DWORD kCrashedThreadExit = 0xC0DE;
// The probe's exit code after a crash inside the library.
constexpr UINT kCrashExitCode = 5;

// Installs the watch, before any other handler.
void WatchForCrashes();
// The library's image as it is loaded now: noted before an unload, so that
// code run there after it still counts as the library's.
void NoteLibraryRange(HMODULE library);
// A crash inside the library on the calling thread ends only this thread,
// with kCrashedThreadExit.
void EndThisThreadOnCrash();
