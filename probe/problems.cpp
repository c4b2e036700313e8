#include "problems.h"

#include <windows.h>

#include "diagnostic_lines.h"
#include "library_bitness.h"
#include "line_reading.h"
#include "system_message.h"

namespace {

// The last part of a path, after its last backslash.
std::string FileName(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

bool HasResourceLibrary(const RunRecord& run) {
  for (const std::string& path : run.productModules) {
    const std::string name = FileName(path);
    if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name.c_str(), 6, "OxaRes", 6) == CSTR_EQUAL) return true;
  }
  return false;
}

// "no resource library was loaded: ..." with the reason the library gave for
// its last attempt (a second language may have been tried after the mode).
std::string MissingResourceLibrary(const RunRecord& run) {
  const std::string line = DiagnosticLine(run, TARVEX_DIAG_RESOURCE_LIBRARY, true);
  std::string path, reason;
  if (ReadResourceNotFound(line, &path)) {
    return "no resource library was loaded: " + FileName(path) + " is not beside " + run.host;
  }
  if (ReadResourceLoadFailure(line, &path, &reason)) {
    return "no resource library was loaded: " + path + " failed to load: " + FillInserts(reason, FileName(path));
  }
  if (IsNoResourcePath(DiagnosticLine(run, TARVEX_DIAG_NO_RESOURCE_PATH))) {
    return "no resource library was loaded: the host executable's folder could not be read";
  }
  return "no resource library was loaded beside " + run.host;
}

std::string WrongImage(const RunRecord& run) {
  const int probeBits = sizeof(void*) == 8 ? 64 : 32;
  const int libraryBits = ImageBits(run.library);
  if (libraryBits == 0) return ": the file is no Windows library for x86 or x64";
  if (libraryBits == probeBits) return "";
  return ": the library is " + std::to_string(libraryBits) + "-bit and this probe " + std::to_string(probeBits) +
         "-bit; run the " + std::to_string(libraryBits) + "-bit probe, startup-probe.exe of " +
         (libraryBits == 64 ? "bin\\x64" : "bin\\x86");
}

// "forms stay enabled: ..." when "DisableForms" is there and is neither "0"
// nor a text beginning with "1": whatever else it holds leaves forms enabled,
// likely against the intent of whoever set it. Empty otherwise.
std::string UnclearDisableForms(const RunRecord& run) {
  std::string found;
  if (!ReadUnclearDisableForms(DiagnosticLine(run, TARVEX_DIAG_FORMS_ENABLED), &found)) return "";
  return "forms stay enabled: " + found + "; only a text beginning with \"1\" disables them (\"0\" enables them)";
}

// What kept the logo away, when it was no switch.
void AddLogoProblem(const RunRecord& run, std::vector<std::string>* problems) {
  if (!run.settled || run.logoWindow) return;
  const std::string logo = DiagnosticLine(run, TARVEX_DIAG_NO_LOGO);
  if (IsNoLogoFailure(logo)) {
    problems->push_back(logo);
  } else if (logo.empty() && !run.diagnosticsSeen) {
    problems->push_back("no logo (the library's diagnostics went to another debug-output viewer)");
  }
}

}  // namespace

std::vector<std::string> FindProblems(const RunRecord& run) {
  std::vector<std::string> problems;
  if (!run.loaded) {
    problems.push_back("the start-up library " + run.library + " could not be loaded: " +
                       SystemMessage(run.loadError, FileName(run.library)) + " (error " +
                       std::to_string(run.loadError) + ")" +
                       (run.loadError == ERROR_BAD_EXE_FORMAT ? WrongImage(run) : std::string()));
    return problems;
  }
  if (run.libraryOutsideHostFolder) {
    problems.push_back("the resource library was looked for beside the probe, in " + run.resourceLibraryFolder +
                       ", not beside " + run.library +
                       ": copy startup-probe.exe into the application's folder to check that installation");
  }
  if (!HasResourceLibrary(run)) problems.push_back(MissingResourceLibrary(run));
  if (LacksResourceLookup(DiagnosticLine(run, TARVEX_DIAG_RESOURCE_LIBRARY, true))) {
    problems.push_back("the resource library exports no GetResourceID: texts show as their keys");
  }
  const std::string prefix = TARVEX_DIAG_PREFIX;
  for (const std::string& line : run.diagnostics) {
    std::string mismatch;
    if (line.compare(0, prefix.size(), prefix) == 0 && ReadCodePageMismatch(line.substr(prefix.size()), &mismatch)) {
      problems.push_back("the interface " + mismatch + " (the user was told)");
    }
  }
  const std::string defaults = DiagnosticLine(run, TARVEX_DIAG_DEFAULTS);
  if (IsDefaultsFailure(defaults)) problems.push_back(defaults);
  const std::string disableForms = UnclearDisableForms(run);
  if (!disableForms.empty()) problems.push_back(disableForms);
  std::string reason;
  if (ReadModeDialogFailure(DiagnosticLine(run, TARVEX_DIAG_MODE_DIALOG_FAILED), &reason)) {
    problems.push_back("the mode dialog could not be shown: " + reason);
  }
  AddLogoProblem(run, &problems);
  return problems;
}
