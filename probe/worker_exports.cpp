#include "worker_exports.h"

#include <memory>

#include "library_exports.h"
#include "message_pump.h"
#include "tarvex_logo.h"
#include "crash_watch.h"
#include "module_range.h"
#include "worker_thread.h"

namespace {

constexpr char kLogoClass[] = TARVEX_LOGO_WINDOW_CLASS;

// How long the loading thread waits for a worker's call.
constexpr DWORD kWorkerWaitMs = 10000;

struct CloseCall {
  CloseQuery close;
  volatile LONG result;
};

DWORD WINAPI CloseOnWorker(LPVOID parameter) {
  auto* call = static_cast<CloseCall*>(parameter);
  InterlockedExchange(&call->result, call->close());
  return 0;
}

struct UnloadCall {
  HMODULE library;
  volatile LONG freed;
};

DWORD WINAPI UnloadOnWorker(LPVOID parameter) {
  auto* call = static_cast<UnloadCall*>(parameter);
  InterlockedExchange(&call->freed, FreeLibrary(call->library) ? 1 : 0);
  return 0;
}

BOOL CALLBACK CountLogoWindow(HWND window, LPARAM count) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  if (process == GetCurrentProcessId() && lstrcmpA(name, kLogoClass) == 0) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

struct Orphans {
  ModuleRange library;
  int windowsInLibrary;
  int messaged;
};

// Every window of this thread gets a paint and a message, as a host's loop
// would hand them on; one whose procedure lies in the unloaded library is counted.
BOOL CALLBACK PaintAndMessage(HWND window, LPARAM parameter) {
  auto* orphans = reinterpret_cast<Orphans*>(parameter);
  const auto procedure = static_cast<ULONG_PTR>(GetWindowLongPtrA(window, GWLP_WNDPROC));
  if (orphans->library.Holds(procedure)) {
    ++orphans->windowsInLibrary;
    return TRUE;  // the message would run code that is gone
  }
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
  SendMessageA(window, WM_USER + 1, 0, 0);
  ++orphans->messaged;
  return TRUE;
}

// Loads the library again on this thread, closes its logo and unloads it.
void ReportReload(JsonWriter& json, const wchar_t* path, int pumpMs) {
  json.Key("reload");
  json.BeginObject();
  HMODULE again = LoadLibraryW(path);
  json.Field("loaded", again != nullptr);
  if (again != nullptr) {
    PumpMessages(pumpMs);
    json.Field("logoWindows", static_cast<long long>(LogoWindowCount()));
    auto close = Export<CloseQuery>(again, MAKEINTRESOURCEA(6));
    json.Field("closeResult", static_cast<long long>(close ? close() : -1));
    json.Field("logoWindowsAfterClose", static_cast<long long>(LogoWindowCount()));
    json.Field("unloaded", FreeLibrary(again) != FALSE);
  }
  json.EndObject();
}

}  // namespace

int LogoWindowCount() {
  int count = 0;
  EnumWindows(CountLogoWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

void ReportCloseFromThread(JsonWriter& json, HMODULE library, const Options& options) {
  auto call = std::make_unique<CloseCall>(CloseCall{Export<CloseQuery>(library, MAKEINTRESOURCEA(6)), -1});
  json.Key("closeFromThread");
  json.BeginObject();
  const bool returned = call->close != nullptr && RunOnWorker(CloseOnWorker, call, kWorkerWaitMs, options.workerWait);
  json.Field("returned", returned);
  json.Field("result", static_cast<long long>(returned ? call->result : -1));
  json.Field("logoWindowsBeforePump", static_cast<long long>(LogoWindowCount()));
  PumpMessages(options.pumpMs);
  json.Field("logoWindowsAfterPump", static_cast<long long>(LogoWindowCount()));
  json.EndObject();
}

bool ReportUnloadFromThread(JsonWriter& json, HMODULE library, const Options& options) {
  const int pumpMs = options.pumpMs;
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(library, path, MAX_PATH);
  Orphans orphans{RangeOf(library), 0, 0};
  auto call = std::make_unique<UnloadCall>(UnloadCall{library, 0});
  json.Key("unloadFromThread");
  json.BeginObject();
  NoteLibraryRange(library);
  const bool returned = RunOnWorker(UnloadOnWorker, call, kWorkerWaitMs, options.workerWait);
  const bool freed = returned && call->freed != 0;
  json.Field("returned", returned);
  json.Field("unloaded", freed);
  json.Field("logoWindowsBeforePump", static_cast<long long>(LogoWindowCount()));
  // A class left by the unload still answers to the old module's handle.
  WNDCLASSA leftover{};
  const bool classLeft = GetClassInfoA(library, kLogoClass, &leftover) != FALSE;
  json.Field("classLeft", classLeft);
  json.Field("classProcedureInLibrary",
             classLeft && orphans.library.Holds(reinterpret_cast<ULONG_PTR>(leftover.lpfnWndProc)));
  EnumThreadWindows(GetCurrentThreadId(), PaintAndMessage, reinterpret_cast<LPARAM>(&orphans));
  json.Field("windowsInLibrary", static_cast<long long>(orphans.windowsInLibrary));
  json.Field("windowsMessaged", static_cast<long long>(orphans.messaged));
  PumpMessages(pumpMs);
  json.Field("logoWindowsAfterPump", static_cast<long long>(LogoWindowCount()));
  if (length > 0 && length < MAX_PATH && freed) ReportReload(json, path, pumpMs);
  json.EndObject();
  return freed;
}
