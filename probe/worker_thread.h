// A call made on a worker thread while this one, the logo's, waits for it:
// pumping its messages as a host's UI thread does, or pumping nothing.
#pragma once

#include <windows.h>

#include <memory>

#include "unique_handle.h"

using UniqueThread = UniqueHandle<HANDLE, CloseHandle>;

// How the loading thread waits for its worker.
enum class WorkerWait { Pumping, Plain };

// Waits at most `waitMs` for `thread` to end; with Pumping, dispatches this
// thread's messages meanwhile. True when it ended.
inline bool WaitForWorker(HANDLE thread, DWORD waitMs, WorkerWait wait) {
  if (wait == WorkerWait::Plain) return WaitForSingleObject(thread, waitMs) == WAIT_OBJECT_0;
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD spent = GetTickCount() - start;
    if (spent >= waitMs) return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    const DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, waitMs - spent, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0) return true;
    if (woke != WAIT_OBJECT_0 + 1) return false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

// Runs run(call) on a new thread and waits for it at most `waitMs`. True when
// it came back. When it did not, `call` is left to the worker, which may
// still write to it, and `call` is then empty here.
template <typename Call>
bool RunOnWorker(LPTHREAD_START_ROUTINE run, std::unique_ptr<Call>& call, DWORD waitMs, WorkerWait wait) {
  const UniqueThread worker(CreateThread(nullptr, 0, run, call.get(), 0, nullptr));
  if (!worker) return false;
  if (WaitForWorker(worker.get(), waitMs, wait)) return true;
  call.release();
  return false;
}
