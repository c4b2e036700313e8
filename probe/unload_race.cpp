#include "unload_race.h"

#include <windows.h>

#include <memory>

#include "crash_watch.h"
#include "library_exports.h"
#include "message_pump.h"
#include "tarvex_logo.h"
#include "wide_text.h"
#include "worker_exports.h"
#include "worker_thread.h"

namespace {

// How long a cycle may take before the probe gives up on it.
constexpr DWORD kCycleWaitMs = 30000;
// The host's pump after the worker is done, for what the unload left to it.
constexpr int kPumpAfterMs = 50;
constexpr DWORD kLoadFailed = 1;

// One cycle, shared by its UI thread and its worker.
struct RaceCycle {
  std::wstring library;
  std::string story;
  HMODULE module = nullptr;
  // Started by the UI thread, waited for by the probe's own: a UI thread that
  // crashed leaves it running.
  UniqueThread worker;
  volatile LONG freed = 0;
  volatile LONG logoWindowsLeft = 0;
};

DWORD WINAPI Worker(LPVOID parameter) {
  auto* cycle = static_cast<RaceCycle*>(parameter);
  if (cycle->story == "close-unload") {
    if (auto close = Export<CloseQuery>(cycle->module, MAKEINTRESOURCEA(TARVEX_LOGO_ORDINAL_CLOSE))) close();
  } else if (cycle->story == "status-unload") {
    auto status = Export<SetStatusTextFunction>(cycle->module, MAKEINTRESOURCEA(TARVEX_LOGO_ORDINAL_SET_STATUS_TEXT));
    if (status) status("Loading modules...");
  }
  InterlockedExchange(&cycle->freed, FreeLibrary(cycle->module) ? 1 : 0);
  return 0;
}

// The logo window of the calling thread, or null.
HWND OwnLogoWindow() {
  const HWND window = FindWindowA(TARVEX_LOGO_WINDOW_CLASS, nullptr);
  return window != nullptr && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId() ? window : nullptr;
}

// Pumps until the worker is done, painting the logo all the while for paint-unload.
void PumpWhileTheWorkerRuns(HANDLE worker, const RaceCycle& cycle) {
  const HWND logo = OwnLogoWindow();
  const bool paint = cycle.story == "paint-unload";
  while (WaitForSingleObject(worker, 0) != WAIT_OBJECT_0) {
    if (paint && logo != nullptr && IsWindow(logo)) {
      InvalidateRect(logo, nullptr, FALSE);
      UpdateWindow(logo);
    }
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

// The host's UI thread of one cycle: loads the library, starts the worker
// and pumps without pause until it is done, then a little more.
DWORD WINAPI UiThread(LPVOID parameter) {
  auto* cycle = static_cast<RaceCycle*>(parameter);
  EndThisThreadOnCrash();
  cycle->module = LoadLibraryW(cycle->library.c_str());
  if (cycle->module == nullptr) return kLoadFailed;
  NoteLibraryRange(cycle->module);
  cycle->worker.reset(CreateThread(nullptr, 0, Worker, cycle, 0, nullptr));
  if (cycle->worker) PumpWhileTheWorkerRuns(cycle->worker.get(), *cycle);
  PumpMessages(kPumpAfterMs);
  InterlockedExchange(&cycle->logoWindowsLeft, LogoWindowCount());
  return 0;
}

struct RaceTotals {
  long long completed = 0, crashes = 0, stuck = 0, loadFailures = 0, unloadFailures = 0;
  long long logoWindowsLeft = 0, stillLoaded = 0;
};

// One cycle, on a UI thread of its own; false when it did not end in time.
bool RunRaceCycle(const Options& options, RaceTotals* totals) {
  auto cycle = std::make_unique<RaceCycle>();
  cycle->library = Utf16(options.library);
  cycle->story = options.cycleStory;
  const UniqueThread ui(CreateThread(nullptr, 0, UiThread, cycle.get(), 0, nullptr));
  const bool uiEnded = ui && WaitForSingleObject(ui.get(), kCycleWaitMs) == WAIT_OBJECT_0;
  DWORD exitCode = 0;
  if (uiEnded) GetExitCodeThread(ui.get(), &exitCode);
  // A UI thread that crashed leaves its worker to finish on its own.
  if (!uiEnded || (cycle->worker && WaitForSingleObject(cycle->worker.get(), kCycleWaitMs) != WAIT_OBJECT_0)) {
    ++totals->stuck;
    // Left to the threads that may still use it.
    static_cast<void>(cycle.release());
    return false;
  }
  totals->crashes += exitCode == kCrashedThreadExit;
  totals->loadFailures += exitCode == kLoadFailed;
  if (exitCode == 0) {
    totals->unloadFailures += cycle->freed == 0;
    totals->logoWindowsLeft += cycle->logoWindowsLeft;
  }
  totals->stillLoaded += GetModuleHandleW(cycle->library.c_str()) != nullptr;
  ++totals->completed;
  return true;
}

}  // namespace

bool RunRaceCycles(JsonWriter& json, const Options& options) {
  RaceTotals totals;
  // A stuck cycle's thread may still hold the library: the rest would only repeat it.
  for (int cycle = 0; cycle < options.cycles && RunRaceCycle(options, &totals); ++cycle) {
  }
  json.Key("cycles");
  json.BeginObject();
  json.Field("requested", static_cast<long long>(options.cycles));
  json.Field("story", options.cycleStory);
  json.Field("completed", totals.completed);
  json.Field("crashes", totals.crashes);
  json.Field("stuck", totals.stuck);
  json.Field("loadFailures", totals.loadFailures);
  json.Field("unloadFailures", totals.unloadFailures);
  json.Field("logoWindowsLeft", totals.logoWindowsLeft);
  json.Field("stillLoadedAfterUnload", totals.stillLoaded);
  json.EndObject();
  return totals.loadFailures == 0;
}
