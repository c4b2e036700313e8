// startup-probe.exe: a small host application for the start-up library. It
// loads the library by full path as the real host does, answers message boxes
// and the mode dialog when told to, calls the exports, reports the logo
// window, unloads, and prints one JSON object of what it saw. Every text it
// reports is UTF-8, so a folder named in any script reads as it is called.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "crash_watch.h"
#include "debug_output_monitor.h"
#include "human_summary.h"
#include "json_writer.h"
#include "library_bitness.h"
#include "library_exports.h"
#include "load_cycles.h"
#include "logo_report.h"
#include "message_pump.h"
#include "modal_watcher.h"
#include "notes.h"
#include "probe_options.h"
#include "problems.h"
#include "process_modules.h"
#include "relaunch.h"
#include "process_end.h"
#include "run_record.h"
#include "status_worker.h"
#include "tarvex_logo.h"
#include "unload_race.h"
#include "watchdog.h"
#include "whole_file.h"
#include "wide_text.h"
#include "worker_exports.h"

namespace {

// The arguments as the system holds them, in UTF-8.
std::vector<std::string> Arguments() {
  std::vector<std::string> arguments;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 0; wide != nullptr && i < count; ++i) arguments.push_back(Utf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

void ReportModals(JsonWriter& json, const std::vector<ModalRecord>& modals) {
  json.Key("messageBoxes");
  json.BeginArray();
  for (const ModalRecord& record : modals) {
    if (record.kind != "messageBox") continue;
    json.BeginObject();
    json.Field("text", record.text);
    json.Field("caption", record.caption);
    json.Field("style", static_cast<long long>(record.style));
    json.Field("answer", static_cast<long long>(record.answer));
    json.EndObject();
  }
  json.EndArray();
  json.Key("modeDialog");
  for (const ModalRecord& record : modals) {
    if (record.kind != "modeDialog") continue;
    json.BeginObject();
    json.Field("caption", record.caption);
    json.Field("answer", static_cast<long long>(record.answer));
    json.EndObject();
    return;
  }
  json.Null();
}

// Whether `path` lies in the Windows folder: a module of the system's.
bool IsSystemModule(const std::string& path) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
  const std::string windows = length > 0 && length < MAX_PATH ? Utf8(std::wstring(folder, length)) + "\\" : "";
  return !windows.empty() && path.size() > windows.size() &&
         CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path.c_str(), static_cast<int>(windows.size()),
                        windows.c_str(), static_cast<int>(windows.size())) == CSTR_EQUAL;
}

// The library's exports, as a host reaches them.
struct Exports {
  explicit Exports(HMODULE library)
      : getMode(Export<IntQuery>(library, MAKEINTRESOURCEA(TARVEX_LOGO_ORDINAL_GET_MODE))),
        getEdition(Export<IntQuery>(library, MAKEINTRESOURCEA(TARVEX_LOGO_ORDINAL_GET_EDITION))),
        closeLogo(Export<CloseQuery>(library, MAKEINTRESOURCEA(TARVEX_LOGO_ORDINAL_CLOSE))),
        setExitCommand(Export<SetExitCommandFunction>(library, MAKEINTRESOURCEA(TARVEX_LOGO_ORDINAL_SET_EXIT_COMMAND))),
        beforeInitHelmex(Export<BeforeInitHelmexFunction>(library, "BeforeInitHelmex")),
        getVersion(Export<IntQuery>(library, "GetVersionNumber")),
        setStatusText(Export<SetStatusTextFunction>(library, MAKEINTRESOURCEA(TARVEX_LOGO_ORDINAL_SET_STATUS_TEXT))) {}
  IntQuery getMode;
  IntQuery getEdition;
  CloseQuery closeLogo;
  SetExitCommandFunction setExitCommand;
  BeforeInitHelmexFunction beforeInitHelmex;
  IntQuery getVersion;
  SetStatusTextFunction setStatusText;
};

// The host's progress on the logo, each line painted before the next, then
// a worker's while this thread, the logo's, waits for the worker.
void ReportStatusLines(JsonWriter& json, const Exports& exports, const Options& options) {
  if (!exports.setStatusText) return;
  if (!options.statusTexts.empty()) {
    json.Key("statusTexts");
    json.BeginArray();
    for (const std::string& text : options.statusTexts) {
      json.BeginObject();
      json.Field("text", text);
      json.Field("result", static_cast<long long>(exports.setStatusText(AnsiText(text).c_str())));
      json.EndObject();
      PumpMessages(options.statusPumpMs);
    }
    json.EndArray();
  }
  if (!options.haveStatusFromThread) return;
  const StatusFromWorker call =
      SetStatusTextFromWorker(exports.setStatusText, AnsiText(options.statusFromThread), 10000, options.workerWait);
  json.Key("statusFromThread");
  json.BeginObject();
  json.Field("text", options.statusFromThread);
  json.Field("returned", call.returned);
  json.Field("result", static_cast<long long>(call.result));
  json.EndObject();
  PumpMessages(options.statusPumpMs);
}

// What the start settled: mode, edition, version and the two names.
void ReportSettled(JsonWriter& json, const Exports& exports, RunRecord* run) {
  run->settled = exports.getMode && exports.getEdition;
  if (exports.getMode) json.Field("mode", static_cast<long long>(run->mode = exports.getMode()));
  if (exports.getEdition) json.Field("edition", static_cast<long long>(run->edition = exports.getEdition()));
  if (exports.getVersion) json.Field("version", static_cast<long long>(exports.getVersion()));
  if (!exports.beforeInitHelmex) return;
  constexpr int kField = TARVEX_LOGO_NAME_FIELD_SIZE;
  char names[2 * kField] = {};
  exports.beforeInitHelmex(names);
  names[kField - 1] = names[2 * kField - 1] = '\0';
  json.Field("productKeyName", std::string(names));
  json.Field("resourceBaseName", std::string(names + kField));
}

// Every module of the process, and apart from the system's the library and its resource library.
void ReportModules(JsonWriter& json, RunRecord* run) {
  const std::vector<std::string> modules = LoadedModulePaths();
  json.Array("modules", modules);
  for (const std::string& path : modules) {
    if (path != run->host && !IsSystemModule(path)) run->productModules.push_back(path);
  }
  json.Array("productModules", run->productModules);
}

// LogoClose twice, and a status line after it when asked.
void ReportClose(JsonWriter& json, const Exports& exports, const Options& options) {
  if (!options.closeLogo || !exports.closeLogo) return;
  const long long results[] = {exports.closeLogo(), exports.closeLogo()};
  json.Array("logoClose", results);
  json.Field("logoWindowAfterClose", FindWindowA(TARVEX_LOGO_WINDOW_CLASS, nullptr) != nullptr);
  if (!options.haveStatusAfterClose || !exports.setStatusText) return;
  json.Key("statusAfterClose");
  json.BeginObject();
  json.Field("result", static_cast<long long>(exports.setStatusText(AnsiText(options.statusAfterClose).c_str())));
  PumpMessages(options.statusPumpMs);
  json.Field("logoWindow", FindWindowA(TARVEX_LOGO_WINDOW_CLASS, nullptr) != nullptr);
  json.EndObject();
}

// Calls the exports of a loaded library and reports what it settled.
void ReportLoadedLibrary(JsonWriter& json, HMODULE library, const Options& options, RunRecord* run) {
  const Exports exports(library);
  PumpMessages(options.pumpMs);
  ReportStatusLines(json, exports, options);
  ReportSettled(json, exports, run);
  ReportModules(json, run);
  run->logoWindow = ReportLogoWindow(json, options);
  ReportClose(json, exports, options);
  if (options.haveExitCommand && exports.setExitCommand) {
    const char* stored = exports.setExitCommand(options.exitCommand.c_str(), options.exitShow);
    json.Field("exitCommand", std::string(stored ? stored : ""));
  }
}

// The full name of `path`, as the loader reports it.
std::string LibraryFullName(const std::string& path) {
  std::wstring full(32768, L'\0');
  const DWORD length = GetFullPathNameW(Utf16(path).c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
  return length > 0 && length < full.size() ? Utf8(full.substr(0, length)) : path;
}

// Whether the file `path` lies directly in `folder` (which ends in a backslash).
bool SameFolder(const std::string& path, const std::string& folder) {
  const size_t slash = path.find_last_of('\\');
  if (slash == std::string::npos || slash + 1 != folder.size()) return false;
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path.c_str(), static_cast<int>(slash + 1), folder.c_str(),
                        static_cast<int>(folder.size())) == CSTR_EQUAL;
}

// Where the run's paths come from, and the warning for a library outside the probe's folder.
void PrepareRun(Options* options, RunRecord* run) {
  run->resourceLibraryFolder = ProbeFolder();
  run->host = ProbeExecutable();
  if (options->library.empty()) options->library = run->resourceLibraryFolder + "TarvexLogo.dll";
  run->library = LibraryFullName(options->library);
  run->capturePath = options->capturePath;
  // The library looks for its resources beside the host, which is the probe.
  run->libraryOutsideHostFolder = !SameFolder(run->library, run->resourceLibraryFolder);
  if (!run->libraryOutsideHostFolder) return;
  JsonWriter warning;
  warning.BeginObject();
  warning.Field("event", std::string("warning"));
  warning.Field("text", "the library lies outside the probe's folder, but its resource libraries are looked for "
                        "beside the probe, in " + run->resourceLibraryFolder +
                        ": copy startup-probe.exe into the application's folder to check that installation");
  warning.EndObject();
  std::fprintf(stderr, "%s\n", warning.Text().c_str());
  std::fflush(stderr);
}

// One load: the exports, a worker's close or unload when asked, the unload.
// Null when the library did not load.
HMODULE ReportLoad(JsonWriter& json, const Options& options, RunRecord* run) {
  HMODULE library = LoadLibraryW(Utf16(options.library).c_str());
  run->loadError = library ? 0 : GetLastError();
  run->loaded = library != nullptr;
  json.Field("loaded", run->loaded);
  if (!library) {
    json.Field("loadError", static_cast<long long>(run->loadError));
    // Named for what it is in the problems: a library of the other bitness, or no library at all.
    if (run->loadError == ERROR_BAD_EXE_FORMAT) run->libraryBits = ImageBits(run->library);
    return nullptr;
  }
  ReportLoadedLibrary(json, library, options, run);
  if (options.fromThread == "close") ReportCloseFromThread(json, library, options);
  const bool unloadedByWorker = options.fromThread == "unload" && ReportUnloadFromThread(json, library, options);
  if (unloadedByWorker) {
    json.Field("unloaded", true);
  } else if (options.endProcess.empty()) {
    // The unload starts the exit command: the host waits this long for it.
    const DWORD start = GetTickCount();
    const bool unloaded = FreeLibrary(library) != FALSE;
    json.Field("unloadMs", static_cast<long long>(GetTickCount() - start));
    json.Field("unloaded", unloaded);
  }
  // A process that ends with the library loaded leaves the unload to the system.
  if (!options.fromThread.empty()) json.Field("logoWindowsAfterUnload", static_cast<long long>(LogoWindowCount()));
  return library;
}

// The library's lines as the monitor caught them, then the notes and the problems.
void ReportVerdict(JsonWriter& json, bool monitoring, const Options& options, RunRecord* run,
                   std::vector<std::string>* notes, std::vector<std::string>* problems) {
  if (monitoring) WaitForDebugOutputTaken();
  if (monitoring) json.Field("diagnosticLineCount", DebugOutputLineCount());
  if (monitoring && options.cycles == 0) {
    run->diagnosticsSeen = true;
    run->diagnostics = DebugOutputLines();
    json.Array("diagnostics", run->diagnostics);
    json.Field("diagnosticsChannel", std::string(DebugOutputChannel()));
    // What a classic viewer reads, byte for byte, for a check of its encoding.
    std::vector<std::string> hex;
    for (const std::string& line : ClassicDebugOutputLines()) hex.push_back(HexBytes(line));
    json.Array("classicDiagnosticsHex", hex);
  } else {
    json.Key("diagnostics");
    json.Null();  // another debug-output viewer has the lines
  }
  if (options.cycles == 0) {
    *notes = FindNotes(*run);
    *problems = FindProblems(*run);
  }
  json.Array("notes", *notes);
  json.Array("problems", *problems);
}

// The report on stdout, or into its file with a summary for a person on stdout.
void WriteReport(const JsonWriter& json, const Options& options, const RunRecord& run,
                 const std::vector<std::string>& notes, const std::vector<std::string>& problems) {
  if (options.reportPath.empty()) {
    std::printf("%s\n", json.Text().c_str());
  } else if (WriteWholeFile(options.reportPath, json.Text() + "\n")) {
    std::fputs(HumanSummary(run, notes, problems).c_str(), stdout);
  } else {
    std::fprintf(stderr, "startup-probe: cannot write the report to %s\n", options.reportPath.c_str());
    ExitProcess(4);
  }
  std::fflush(stdout);
}

}  // namespace

int main() {
  // The report is read by tools: plain LF line ends.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  Options options;
  RunRecord run;
  run.arguments = Arguments();
  if (!ParseOptions(run.arguments, &options)) return 2;
  if (!options.relaunchLine.empty()) return Relaunch(options.relaunchLine);
  PrepareRun(&options, &run);

  // Every thread must have started before LoadLibrary: a thread that starts
  // while the loader lock is held waits for it. The watcher must be running
  // then, as the library shows its boxes and dialog inside the loading call.
  WatchForCrashes();
  const bool monitoring = StartDebugOutputMonitor(options.cycles == 0);
  if (options.timeoutSeconds > 0) StartWatchdog(options.timeoutSeconds);
  StartModalWatcher(options.answers, options.dialogClick);

  JsonWriter json(options.pretty);
  json.BeginObject();
  json.Field("library", options.library);
  json.Field("commandLine", Utf8(GetCommandLineW()));
  json.Field("ansiCodePage", static_cast<long long>(GetACP()));
  json.Field("resourceLibraryFolder", run.resourceLibraryFolder);
  std::vector<bool> preloaded;
  for (const std::string& path : options.preloads) preloaded.push_back(LoadLibraryW(Utf16(path).c_str()) != nullptr);
  json.Array("preloaded", preloaded);

  bool loaded = false;
  if (options.cycles > 0) {
    // Reported cycle by cycle.
    run.loaded = options.cycleStory.empty() ? RunCycles(json, options) : RunRaceCycles(json, options);
    json.Field("loaded", run.loaded);
    loaded = true;
  } else {
    loaded = ReportLoad(json, options, &run) != nullptr;
  }
  run.modals = ModalsSeen();
  ReportModals(json, run.modals);
  std::vector<std::string> notes, problems;
  ReportVerdict(json, monitoring, options, &run, &notes, &problems);
  json.EndObject();
  WriteReport(json, options, run, notes, problems);
  if (loaded && !options.endProcess.empty()) EndProcessWithTheLibraryLoaded(options.endProcess == "worker");
  // The watcher polls for ever; the process ends here with it.
  ExitProcess(loaded ? 0 : 1);
}
