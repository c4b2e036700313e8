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
#include "json_writer.h"
#include "library_exports.h"
#include "load_cycles.h"
#include "logo_report.h"
#include "message_pump.h"
#include "modal_watcher.h"
#include "probe_options.h"
#include "process_modules.h"
#include "relaunch.h"
#include "watchdog.h"
#include "wide_text.h"

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

void ReportModals(JsonWriter& json) {
  const std::vector<ModalRecord> modals = ModalsSeen();
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

// Calls the exports of a loaded library and reports what it settled.
void ReportLoadedLibrary(JsonWriter& json, HMODULE library, const Options& options) {
  auto getMode = Export<IntQuery>(library, MAKEINTRESOURCEA(1));
  auto getEdition = Export<IntQuery>(library, MAKEINTRESOURCEA(2));
  auto closeLogo = Export<CloseQuery>(library, MAKEINTRESOURCEA(6));
  auto setExitCommand = Export<SetExitCommandFunction>(library, MAKEINTRESOURCEA(8));
  auto beforeInitHelmex = Export<BeforeInitHelmexFunction>(library, "BeforeInitHelmex");
  auto getVersion = Export<IntQuery>(library, "GetVersionNumber");

  PumpMessages(options.pumpMs);
  if (getMode) json.Field("mode", static_cast<long long>(getMode()));
  if (getEdition) json.Field("edition", static_cast<long long>(getEdition()));
  if (getVersion) json.Field("version", static_cast<long long>(getVersion()));
  if (beforeInitHelmex) {
    char names[520];
    std::memset(names, 0, sizeof names);
    beforeInitHelmex(names);
    names[259] = names[519] = '\0';
    json.Field("productKeyName", std::string(names));
    json.Field("resourceBaseName", std::string(names + 260));
  }
  json.Key("modules");
  json.BeginArray();
  for (const std::string& path : LoadedModulePaths()) json.Value(path);
  json.EndArray();
  ReportLogoWindow(json, options);
  if (options.closeLogo && closeLogo) {
    json.Key("logoClose");
    json.BeginArray();
    json.Value(static_cast<long long>(closeLogo()));
    json.Value(static_cast<long long>(closeLogo()));
    json.EndArray();
    json.Field("logoWindowAfterClose", FindWindowA("TarvexLogoWndClass", nullptr) != nullptr);
  }
  if (options.haveExitCommand && setExitCommand) {
    const char* stored = setExitCommand(options.exitCommand.c_str(), options.exitShow);
    json.Field("exitCommand", std::string(stored ? stored : ""));
  }
}

}  // namespace

int main() {
  // The report is read by tools: plain LF line ends.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  Options options;
  if (!ParseOptions(Arguments(), &options)) return 2;
  if (!options.relaunchLine.empty()) return Relaunch(options.relaunchLine);
  if (options.library.empty()) options.library = ProbeFolder() + "TarvexLogo.dll";

  // Every thread must have started before LoadLibrary: a thread that starts
  // while the loader lock is held waits for it. The watcher must be running
  // then, as the library shows its boxes and dialog inside the loading call.
  const bool monitoringDebugOutput = StartDebugOutputMonitor(options.cycles == 0);
  if (options.timeoutSeconds > 0) StartWatchdog(options.timeoutSeconds);
  StartModalWatcher(options.answers, options.dialogClick);

  JsonWriter json;
  json.BeginObject();
  json.Field("library", options.library);
  json.Field("commandLine", Utf8(GetCommandLineW()));
  json.Field("ansiCodePage", static_cast<long long>(GetACP()));

  json.Key("preloaded");
  json.BeginArray();
  for (const std::string& path : options.preloads) json.Value(LoadLibraryW(Utf16(path).c_str()) != nullptr);
  json.EndArray();

  HMODULE library = nullptr;
  if (options.cycles > 0) {
    // Reported cycle by cycle.
    json.Field("loaded", RunCycles(json, options));
  } else {
    library = LoadLibraryW(Utf16(options.library).c_str());
    const DWORD loadError = library ? 0 : GetLastError();
    json.Field("loaded", library != nullptr);
    if (!library) {
      json.Field("loadError", static_cast<long long>(loadError));
    } else {
      ReportLoadedLibrary(json, library, options);
      json.Field("unloaded", FreeLibrary(library) != FALSE);
    }
  }

  ReportModals(json);
  if (monitoringDebugOutput) json.Field("diagnosticLineCount", DebugOutputLineCount());
  json.Key("diagnostics");
  if (monitoringDebugOutput && options.cycles == 0) {
    json.BeginArray();
    for (const std::string& line : DebugOutputLines()) json.Value(line);
    json.EndArray();
  } else {
    json.Null();  // another debug-output viewer has the lines
  }
  json.EndObject();

  std::printf("%s\n", json.Text().c_str());
  std::fflush(stdout);
  // The watcher polls for ever; the process ends here with it.
  ExitProcess(library || options.cycles > 0 ? 0 : 1);
}
