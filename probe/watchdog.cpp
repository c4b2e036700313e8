#include "watchdog.h"

#include <windows.h>

#include <cstdio>

namespace {

struct WatchdogStart {
  HANDLE started;
  int seconds;
};

DWORD WINAPI Watchdog(LPVOID param) {
  const int seconds = static_cast<WatchdogStart*>(param)->seconds;
  SetEvent(static_cast<WatchdogStart*>(param)->started);
  Sleep(static_cast<DWORD>(seconds) * 1000u);
  std::fprintf(stderr, "{\"event\":\"timeout\"}\n");
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 3);
  return 0;
}

}  // namespace

void StartWatchdog(int seconds) {
  // A thread that starts while the loader lock is held waits for it: this
  // one must run before LoadLibrary.
  WatchdogStart start = {CreateEventA(nullptr, TRUE, FALSE, nullptr), seconds};
  CloseHandle(CreateThread(nullptr, 0, Watchdog, &start, 0, nullptr));
  WaitForSingleObject(start.started, INFINITE);
  CloseHandle(start.started);
}
