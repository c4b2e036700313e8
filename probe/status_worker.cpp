#include "status_worker.h"

#include <windows.h>

#include <memory>

#include "worker_thread.h"

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

StatusFromWorker SetStatusTextFromWorker(SetStatusTextFunction setStatusText, const std::string& text, int waitMs,
                                         WorkerWait wait) {
  auto call = std::make_unique<WorkerCall>(WorkerCall{setStatusText, text, -1});
  const bool returned = RunOnWorker(CallFromWorker, call, static_cast<DWORD>(waitMs), wait);
  return StatusFromWorker{returned, returned ? static_cast<int>(call->result) : -1};
}
