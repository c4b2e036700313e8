#include "status_worker.h"

#include <windows.h>

namespace {

struct WorkerCall {
  SetStatusTextFunction setStatusText;
  std::string text;
  volatile LONG result;
};

DWORD WINAPI CallFromWorker(LPVOID parameter) {
  auto* call = static_cast<WorkerCall*>(parameter);
  InterlockedExchange(&call->result, call->setStatusText(call->text.c_str()));
  return 0;
}

}  // namespace

StatusFromWorker SetStatusTextFromWorker(SetStatusTextFunction setStatusText, const std::string& text, int waitMs) {
  // Left to the worker when it does not come back: a call still blocked in
  // the library may write to it later.
  auto* call = new WorkerCall{setStatusText, text, -1};
  HANDLE worker = CreateThread(nullptr, 0, CallFromWorker, call, 0, nullptr);
  if (worker == nullptr) {
    delete call;
    return StatusFromWorker{false, -1};
  }
  const bool returned = WaitForSingleObject(worker, static_cast<DWORD>(waitMs)) == WAIT_OBJECT_0;
  CloseHandle(worker);
  const StatusFromWorker outcome{returned, static_cast<int>(call->result)};
  if (returned) delete call;
  return outcome;
}
