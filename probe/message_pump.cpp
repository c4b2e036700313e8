#include "message_pump.h"

#include <windows.h>

void PumpMessages(int milliseconds) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (static_cast<int>(GetTickCount() - start) >= milliseconds) break;
    Sleep(10);
  }
}
