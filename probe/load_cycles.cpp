#include "load_cycles.h"

#include <windows.h>

#include "library_exports.h"
#include "message_pump.h"
#include "process_counts.h"
#include "process_modules.h"
#include "wide_text.h"

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
  long long completed = 0, loadFailures = 0, unloadFailures = 0, stillLoaded = 0, logoWindows = 0;
  long long lastMode = -1, lastEdition = -1;
  HMODULE lastModule = nullptr;
  for (int cycle = 0; cycle < options.cycles; ++cycle) {
    HMODULE library = LoadLibraryW(Utf16(options.library).c_str());
    if (!library) {
      ++loadFailures;
    } else {
      lastModule = library;
      if (options.pumpMs > 0) PumpMessages(options.pumpMs);
      if (FindWindowA("TarvexLogoWndClass", nullptr)) ++logoWindows;
      auto getMode = Export<IntQuery>(library, MAKEINTRESOURCEA(1));
      auto getEdition = Export<IntQuery>(library, MAKEINTRESOURCEA(2));
      lastMode = getMode ? getMode() : -1;
      lastEdition = getEdition ? getEdition() : -1;
      if (!FreeLibrary(library)) ++unloadFailures;
      if (GetModuleHandleW(Utf16(options.library).c_str())) ++stillLoaded;
      if (options.unregisterLogoClass) UnregisterClassA("TarvexLogoWndClass", library);
      ++completed;
    }
    if (cycle == 0) afterFirst = TakeCounts();
  }
  const ProcessCounts after = TakeCounts();
  json.Field("completed", completed);
  json.Field("loadFailures", loadFailures);
  json.Field("unloadFailures", unloadFailures);
  json.Field("stillLoadedAfterUnload", stillLoaded);
  json.Field("logoWindows", logoWindows);
  json.Field("lastMode", lastMode);
  json.Field("lastEdition", lastEdition);
  WNDCLASSA leftClass;
  json.Field("logoClassAfterUnload",
             lastModule != nullptr && GetClassInfoA(lastModule, "TarvexLogoWndClass", &leftClass) != FALSE);
  WriteCounts(json, "before", before);
  WriteCounts(json, "afterFirst", afterFirst);
  WriteCounts(json, "after", after);
  WriteCounterSources(json);
  // By name, so that a module left behind is named in the report.
  json.Key("modulesAdded");
  json.BeginArray();
  for (const std::string& path : LoadedModulePaths()) {
    bool known = false;
    for (const std::string& old : modulesBefore) known = known || old == path;
    if (!known) json.Value(path);
  }
  json.EndArray();
  json.EndObject();
  return loadFailures == 0;
}
