#include "core/program_start.h"

#include <windows.h>

#include "text/bounded_text.h"
#include "unique_handle.h"

namespace {
using ScopedKernelHandle = UniqueHandle<HANDLE, CloseHandle>;
}  // namespace

bool StartWithoutWaiting(const char* application, const char* commandLine, int show) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
  // Process creation may write into the line: the copy a host was handed stays as it is.
  char line[kTextSize];
  CopyBoundedText(line, commandLine, sizeof line);
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(application, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
    return false;
  }
  // Both closed at once: nothing here waits for the program or outlives the unload.
  const ScopedKernelHandle thread(started.hThread);
  const ScopedKernelHandle process(started.hProcess);
  return true;
}
