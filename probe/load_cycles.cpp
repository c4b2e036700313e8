#include "load_cycles.h"

#include <windows.h>

#include "tarvex_logo.h"

#include "library_exports.h"
#include "message_pump.h"
#include "process_counts.h"
#include "process_modules.h"
#include "wide_text.h"

namespace {

// What the cycles saw, summed.
struct CycleTotals {
  long long completed = 0, loadFailures = 0, unloadFailures = 0, stillLoaded = 0, logoWindows = 0;
  long long lastMode = -1, lastEdition = -1;
  HMODULE lastModule = nullptr;
};

// One load, its logo, the settled mode and edition, and the unload.
void RunCycle(const Options& options, CycleTotals* totals) {
  HMODULE library = LoadLibraryW(Utf16(options.library).c_str());
  if (!library) {
    ++totals->loadFailures;
    return;
  }
  totals->lastModule = library;
  if (options.pumpMs > 0) PumpMessages(options.pumpMs);
  if (FindWindowA(TARVEX_LOGO_WINDOW_CLASS, nullptr)) ++totals->logoWindows;
  auto getMode = Export<IntQuery>(library, MAKEINTRESOURCEA(TARVEX_LOGO_ORDINAL_GET_MODE));
  auto getEdition = Export<IntQuery>(library, MAKEINTRESOURCEA(TARVEX_LOGO_ORDINAL_GET_EDITION));
  totals->lastMode = getMode ? getMode() : -1;
  totals->lastEdition = getEdition ? getEdition() : -1;
  if (!FreeLibrary(library)) ++totals->unloadFailures;
  if (GetModuleHandleW(Utf16(options.library).c_str())) ++totals->stillLoaded;
  if (options.unregisterLogoClass) UnregisterClassA(TARVEX_LOGO_WINDOW_CLASS, library);
  ++totals->completed;
}

}  // namespace

bool RunCycles(JsonWriter& json, const Options& options) {
  // A host application has the system libraries the start-up library imports
  // loaded already; loading them here keeps them out of the module count.
  HMODULE registryLibrary = LoadLibraryA("advapi32.dll");
  LoadLibraryA("msvcrt.dll");

  json.Key("cycles");
  json.BeginObject();
  json.Field("requested", static_cast<long long>(options.cycles));
  WriteCalibration(json, registryLibrary);
  const std::vector<std::string> modulesBefore = LoadedModulePaths();
  const ProcessCounts before = TakeCounts();
  ProcessCounts afterFirst;
  CycleTotals totals;
  for (int cycle = 0; cycle < options.cycles; ++cycle) {
    RunCycle(options, &totals);
    if (cycle == 0) afterFirst = TakeCounts();
  }
  const ProcessCounts after = TakeCounts();
  json.Field("completed", totals.completed);
  json.Field("loadFailures", totals.loadFailures);
  json.Field("unloadFailures", totals.unloadFailures);
  json.Field("stillLoadedAfterUnload", totals.stillLoaded);
  json.Field("logoWindows", totals.logoWindows);
  json.Field("lastMode", totals.lastMode);
  json.Field("lastEdition", totals.lastEdition);
  WNDCLASSA leftClass;
  json.Field("logoClassAfterUnload", totals.lastModule != nullptr &&
                                         GetClassInfoA(totals.lastModule, TARVEX_LOGO_WINDOW_CLASS, &leftClass) != FALSE);
  WriteCounts(json, "before", before);
  WriteCounts(json, "afterFirst", afterFirst);
  WriteCounts(json, "after", after);
  WriteCounterSources(json);
  // By name, so that a module left behind is named in the report.
  std::vector<std::string> added;
  for (const std::string& path : LoadedModulePaths()) {
    bool known = false;
    for (const std::string& old : modulesBefore) known = known || old == path;
    if (!known) added.push_back(path);
  }
  json.Array("modulesAdded", added);
  json.EndObject();
  return totals.loadFailures == 0;
}
