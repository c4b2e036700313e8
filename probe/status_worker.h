// A host's worker thread reporting progress on the logo while the thread that
// loaded the library waits for it.
#pragma once

#include <string>

#include "library_exports.h"
#include "worker_thread.h"

struct StatusFromWorker {
  bool returned;  // the worker's call returned within the wait
  int result;     // LogoSetStatusText's result; -1 when it had not returned
};

// Calls `setStatusText(text)` (text in the ANSI code page) on a new thread and
// waits for that thread at most `waitMs` milliseconds, as `wait` says.
StatusFromWorker SetStatusTextFromWorker(SetStatusTextFunction setStatusText, const std::string& text, int waitMs,
                                         WorkerWait wait);
