#include "process_end.h"

#include <windows.h>

namespace {

DWORD WINAPI EndOnWorker(LPVOID) { ExitProcess(kEndedWithLibraryLoaded); }

}  // namespace

void EndProcessWithTheLibraryLoaded(bool fromWorker) {
  if (fromWorker && CreateThread(nullptr, 0, EndOnWorker, nullptr, 0, nullptr) != nullptr) {
    // The logo's thread pumps, as a host's UI thread does, until the end comes.
    for (;;) {
      MSG message;
      if (GetMessageA(&message, nullptr, 0, 0) <= 0) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  ExitProcess(kEndedWithLibraryLoaded);
}
