#include "crash_watch.h"

#include <cstdio>

#include "module_range.h"

namespace {

// Read by the handler on any thread; written before the threads that run
// the library's code start.
volatile ULONG_PTR g_libraryBase = 0;
volatile ULONG_PTR g_librarySize = 0;
thread_local bool t_endThreadOnCrash = false;

bool InLibrary(ULONG_PTR address) { return ModuleRange{g_libraryBase, g_librarySize}.Holds(address); }

void WINAPI CrashLanding() { ExitThread(kCrashedThreadExit); }

// Written with the system alone: the crash may have left the C runtime's locks held.
void WriteCrashEvent(ULONG_PTR address, DWORD code) {
  char line[200];
  const int length = std::snprintf(line, sizeof line,
                                   "{\"event\":\"crash\",\"code\":\"0x%08lX\",\"address\":\"0x%llX\","
                                   "\"offset\":\"0x%llX\",\"where\":\"inside the start-up library, loaded or "
                                   "unloaded\"}\n",
                                   static_cast<unsigned long>(code), static_cast<unsigned long long>(address),
                                   static_cast<unsigned long long>(address - g_libraryBase));
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(length), &written, nullptr);
}

LONG CALLBACK OnException(EXCEPTION_POINTERS* info) {
  const DWORD code = info->ExceptionRecord->ExceptionCode;
  if (code != EXCEPTION_ACCESS_VIOLATION && code != EXCEPTION_ILLEGAL_INSTRUCTION &&
      code != EXCEPTION_PRIV_INSTRUCTION) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  const auto address = reinterpret_cast<ULONG_PTR>(info->ExceptionRecord->ExceptionAddress);
  if (!InLibrary(address)) return EXCEPTION_CONTINUE_SEARCH;
  WriteCrashEvent(address, code);
  if (!t_endThreadOnCrash) TerminateProcess(GetCurrentProcess(), kCrashExitCode);
  // The thread goes on in a function that ends it, on a stack aligned as after a call.
#if defined(__x86_64__) || defined(_M_X64)
  info->ContextRecord->Rsp = (info->ContextRecord->Rsp & ~DWORD64{15}) - 8;
  info->ContextRecord->Rip = reinterpret_cast<DWORD64>(CrashLanding);
#else
  info->ContextRecord->Eip = reinterpret_cast<DWORD>(CrashLanding);
#endif
  return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

void WatchForCrashes() { AddVectoredExceptionHandler(1, OnException); }

void NoteLibraryRange(HMODULE library) {
  const ModuleRange range = RangeOf(library);
  g_librarySize = 0;
  g_libraryBase = range.base;
  g_librarySize = range.size;
}

void EndThisThreadOnCrash() { t_endThreadOnCrash = true; }
