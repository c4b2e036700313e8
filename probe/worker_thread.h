// A call made on a worker thread while this one waits for it, pumping nothing.
#pragma once

#include <windows.h>

#include <memory>

#include "unique_handle.h"

using UniqueThread = UniqueHandle<HANDLE, CloseHandle>;

// Runs run(call) on a new thread and waits for it at most `waitMs`. True when
// it came back. When it did not, `call` is left to the worker, which may
// still write to it, and `call` is then empty here.
template <typename Call>
bool RunOnWorker(LPTHREAD_START_ROUTINE run, std::unique_ptr<Call>& call, DWORD waitMs) {
  const UniqueThread worker(CreateThread(nullptr, 0, run, call.get(), 0, nullptr));
  if (!worker) return false;
  if (WaitForSingleObject(worker.get(), waitMs) == WAIT_OBJECT_0) return true;
  call.release();
  return false;
}
