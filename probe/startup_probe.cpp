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

#include "debug_output_monitor.h"
#include "human_summary.h"
#include "json_writer.h"
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
#include "run_record.h"
#include "status_worker.h"
#include "watchdog.h"
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

// Calls the exports of a loaded library and reports what it settled.
void ReportLoadedLibrary(JsonWriter& json, HMODULE library, const Options& options, RunRecord* run) {
  auto getMode = Export<IntQuery>(library, MAKEINTRESOURCEA(1));
  auto getEdition = Export<IntQuery>(library, MAKEINTRESOURCEA(2));
  auto closeLogo = Export<CloseQuery>(library, MAKEINTRESOURCEA(6));
  auto setExitCommand = Export<SetExitCommandFunction>(library, MAKEINTRESOURCEA(8));
  auto beforeInitHelmex = Export<BeforeInitHelmexFunction>(library, "BeforeInitHelmex");
  auto getVersion = Export<IntQuery>(library, "GetVersionNumber");
  auto setStatusText = Export<SetStatusTextFunction>(library, MAKEINTRESOURCEA(14));

  PumpMessages(options.pumpMs);
  // The host's progress on the logo, each line painted before the next.
  if (!options.statusTexts.empty()) {
    json.Key("statusTexts");
    json.BeginArray();
    for (const std::string& text : options.statusTexts) {
      json.BeginObject();
      json.Field("text", text);
      if (setStatusText) json.Field("result", static_cast<long long>(setStatusText(AnsiText(text).c_str())));
      json.EndObject();
      PumpMessages(options.statusPumpMs);
    }
    json.EndArray();
  }
  // A worker's progress while this thread, the logo's, waits for the worker.
  if (options.haveStatusFromThread && setStatusText) {
    const StatusFromWorker call = SetStatusTextFromWorker(setStatusText, AnsiText(options.statusFromThread), 10000);
    json.Key("statusFromThread");
    json.BeginObject();
    json.Field("text", options.statusFromThread);
    json.Field("returned", call.returned);
    json.Field("result", static_cast<long long>(call.result));
    json.EndObject();
    PumpMessages(options.statusPumpMs);
  }
  run->settled = getMode && getEdition;
  if (getMode) json.Field("mode", static_cast<long long>(run->mode = getMode()));
  if (getEdition) json.Field("edition", static_cast<long long>(run->edition = getEdition()));
  if (getVersion) json.Field("version", static_cast<long long>(getVersion()));
  if (beforeInitHelmex) {
    char names[520];
    std::memset(names, 0, sizeof names);
    beforeInitHelmex(names);
    names[259] = names[519] = '\0';
    json.Field("productKeyName", std::string(names));
    json.Field("resourceBaseName", std::string(names + 260));
  }
  const std::vector<std::string> modules = LoadedModulePaths();
  json.Key("modules");
  json.BeginArray();
  for (const std::string& path : modules) json.Value(path);
  json.EndArray();
  // The library and its resource library, apart from the system's modules.
  json.Key("productModules");
  json.BeginArray();
  for (const std::string& path : modules) {
    if (path == run->host || IsSystemModule(path)) continue;
    run->productModules.push_back(path);
    json.Value(path);
  }
  json.EndArray();
  run->logoWindow = ReportLogoWindow(json, options);
  if (options.closeLogo && closeLogo) {
    json.Key("logoClose");
    json.BeginArray();
    json.Value(static_cast<long long>(closeLogo()));
    json.Value(static_cast<long long>(closeLogo()));
    json.EndArray();
    json.Field("logoWindowAfterClose", FindWindowA("TarvexLogoWndClass", nullptr) != nullptr);
    if (options.haveStatusAfterClose && setStatusText) {
      json.Key("statusAfterClose");
      json.BeginObject();
      json.Field("result", static_cast<long long>(setStatusText(AnsiText(options.statusAfterClose).c_str())));
      PumpMessages(options.statusPumpMs);
      json.Field("logoWindow", FindWindowA("TarvexLogoWndClass", nullptr) != nullptr);
      json.EndObject();
    }
  }
  if (options.haveExitCommand && setExitCommand) {
    const char* stored = setExitCommand(options.exitCommand.c_str(), options.exitShow);
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

bool WriteTextFile(const std::string& path, const std::string& text) {
  FILE* file = _wfopen(Utf16(path).c_str(), L"wb");
  if (!file) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
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
  run.resourceLibraryFolder = ProbeFolder();
  run.host = ProbeExecutable();
  if (options.library.empty()) options.library = run.resourceLibraryFolder + "TarvexLogo.dll";
  run.library = LibraryFullName(options.library);
  run.capturePath = options.capturePath;
  // The library looks for its resources beside the host, which is the probe.
  run.libraryOutsideHostFolder = !SameFolder(run.library, run.resourceLibraryFolder);
  if (run.libraryOutsideHostFolder) {
    JsonWriter warning;
    warning.BeginObject();
    warning.Field("event", std::string("warning"));
    warning.Field("text", "the library lies outside the probe's folder, but its resource libraries are looked for "
                          "beside the probe, in " + run.resourceLibraryFolder +
                          ": copy startup-probe.exe into the application's folder to check that installation");
    warning.EndObject();
    std::fprintf(stderr, "%s\n", warning.Text().c_str());
    std::fflush(stderr);
  }

  // Every thread must have started before LoadLibrary: a thread that starts
  // while the loader lock is held waits for it. The watcher must be running
  // then, as the library shows its boxes and dialog inside the loading call.
  const bool monitoringDebugOutput = StartDebugOutputMonitor(options.cycles == 0);
  if (options.timeoutSeconds > 0) StartWatchdog(options.timeoutSeconds);
  StartModalWatcher(options.answers, options.dialogClick);

  JsonWriter json(options.pretty);
  json.BeginObject();
  json.Field("library", options.library);
  json.Field("commandLine", Utf8(GetCommandLineW()));
  json.Field("ansiCodePage", static_cast<long long>(GetACP()));
  json.Field("resourceLibraryFolder", run.resourceLibraryFolder);

  json.Key("preloaded");
  json.BeginArray();
  for (const std::string& path : options.preloads) json.Value(LoadLibraryW(Utf16(path).c_str()) != nullptr);
  json.EndArray();

  HMODULE library = nullptr;
  if (options.cycles > 0) {
    // Reported cycle by cycle.
    run.loaded = RunCycles(json, options);
    json.Field("loaded", run.loaded);
  } else {
    library = LoadLibraryW(Utf16(options.library).c_str());
    run.loadError = library ? 0 : GetLastError();
    run.loaded = library != nullptr;
    json.Field("loaded", run.loaded);
    if (!library) {
      json.Field("loadError", static_cast<long long>(run.loadError));
    } else {
      ReportLoadedLibrary(json, library, options, &run);
      if (options.fromThread == "close") ReportCloseFromThread(json, library, options.pumpMs);
      const bool unloadedByWorker =
          options.fromThread == "unload" && ReportUnloadFromThread(json, library, options.pumpMs);
      json.Field("unloaded", unloadedByWorker || FreeLibrary(library) != FALSE);
      if (!options.fromThread.empty()) json.Field("logoWindowsAfterUnload", static_cast<long long>(LogoWindowCount()));
    }
  }

  run.modals = ModalsSeen();
  ReportModals(json, run.modals);
  if (monitoringDebugOutput) json.Field("diagnosticLineCount", DebugOutputLineCount());
  json.Key("diagnostics");
  if (monitoringDebugOutput && options.cycles == 0) {
    run.diagnosticsSeen = true;
    run.diagnostics = DebugOutputLines();
    json.BeginArray();
    for (const std::string& line : run.diagnostics) json.Value(line);
    json.EndArray();
    json.Field("diagnosticsChannel", std::string(DebugOutputChannel()));
    // What a classic viewer reads, byte for byte, for a check of its encoding.
    json.Key("classicDiagnosticsHex");
    json.BeginArray();
    for (const std::string& line : ClassicDebugOutputLines()) json.Value(HexBytes(line));
    json.EndArray();
  } else {
    json.Null();  // another debug-output viewer has the lines
  }
  const std::vector<std::string> notes = options.cycles == 0 ? FindNotes(run) : std::vector<std::string>();
  json.Key("notes");
  json.BeginArray();
  for (const std::string& note : notes) json.Value(note);
  json.EndArray();
  const std::vector<std::string> problems = options.cycles == 0 ? FindProblems(run) : std::vector<std::string>();
  json.Key("problems");
  json.BeginArray();
  for (const std::string& problem : problems) json.Value(problem);
  json.EndArray();
  json.EndObject();

  const int exitCode = library || options.cycles > 0 ? 0 : 1;
  if (!options.reportPath.empty()) {
    if (!WriteTextFile(options.reportPath, json.Text() + "\n")) {
      std::fprintf(stderr, "startup-probe: cannot write the report to %s\n", options.reportPath.c_str());
      ExitProcess(4);
    }
    std::fputs(HumanSummary(run, notes, problems).c_str(), stdout);
  } else {
    std::printf("%s\n", json.Text().c_str());
  }
  std::fflush(stdout);
  // The watcher polls for ever; the process ends here with it.
  ExitProcess(static_cast<UINT>(exitCode));
}
