#include "problems.h"

#include <windows.h>

#include "line_reading.h"
#include "resource_library_name.h"
#include "system_message.h"

namespace {

// The last part of a path, after its last backslash.
std::string FileName(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

bool HasResourceLibrary(const RunRecord& run) {
  for (const std::string& path : run.productModules) {
    if (IsResourceLibraryPath(path)) return true;
  }
  return false;
}

// "no resource library was loaded: ..." with the reason the library gave for
// its last attempt (a second language may have been tried after the mode).
std::string MissingResourceLibrary(const RunRecord& run, const std::vector<DiagnosticReading>& lines) {
  const DiagnosticReading* last = FindReading(lines, kResourceLibraryLines, true);
  // ResourceNotFound: the library; ResourceFailed: the library, the system's message, the error.
  if (last != nullptr && last->key == DiagnosticKey::ResourceNotFound) {
    return TARVEX_DIAG_NO_RESOURCE_LIBRARY ": " + FileName(last->fields[0]) + " is not beside " + run.host;
  }
  if (last != nullptr && last->key == DiagnosticKey::ResourceFailed) {
    const std::string& path = last->fields[0];
    const std::string reason = FillForm(TARVEX_DIAG_SYSTEM_ERROR, {last->fields[1], last->fields[2]});
    return TARVEX_DIAG_NO_RESOURCE_LIBRARY ": " + path + TARVEX_DIAG_FAILED_TO_LOAD +
           FillInserts(reason, FileName(path));
  }
  if (FindReading(lines, {DiagnosticKey::ResourcePathMissing}) != nullptr) {
    return TARVEX_DIAG_NO_RESOURCE_LIBRARY ": the host executable's folder could not be read";
  }
  return TARVEX_DIAG_NO_RESOURCE_LIBRARY " beside " + run.host;
}

std::string WrongImage(const RunRecord& run) {
  const int probeBits = sizeof(void*) == 8 ? 64 : 32;
  const int libraryBits = run.libraryBits;
  if (libraryBits == 0) return ": the file is no Windows library for x86 or x64";
  if (libraryBits == probeBits) return "";
  return ": the library is " + std::to_string(libraryBits) + "-bit and this probe " + std::to_string(probeBits) +
         "-bit; run the " + std::to_string(libraryBits) + "-bit probe, startup-probe.exe of " +
         (libraryBits == 64 ? "bin\\x64" : "bin\\x86");
}

// "forms stay enabled: ..." when "DisableForms" is there and is neither "0"
// nor a text beginning with "1": whatever else it holds leaves forms enabled,
// likely against the intent of whoever set it. Empty otherwise.
std::string UnclearDisableForms(const std::vector<DiagnosticReading>& lines) {
  const DiagnosticReading* found = nullptr;
  for (const DiagnosticReading& line : lines) {
    // The edition lines: the edition, then what it says of the forms mode.
    if (IsOneOf(line.key, kEditionLines) && line.fields[1] == TARVEX_DIAG_FORMS_ENABLED) {
      found = &line;
      break;
    }
  }
  if (found == nullptr || !IsOneOf(found->key, kDisableFormsFoundLines)) return "";
  // EditionValueIs: the edition, forms, key, view, the one character.
  if (found->key == DiagnosticKey::EditionValueIs && found->fields[4] == "0") return "";
  return "forms stay enabled: " + found->text.substr(found->text.find(TARVEX_DIAG_DISABLE_FORMS_IN)) +
         "; only a text beginning with \"1\" disables them (\"0\" enables them)";
}

// What kept the logo away, when it was no switch.
void AddLogoProblem(const RunRecord& run, const std::vector<DiagnosticReading>& lines,
                    std::vector<std::string>* problems) {
  if (!run.settled || run.logoWindow) return;
  const DiagnosticReading* noLogo = FindReading(lines, kNoLogoLines);
  if (noLogo != nullptr && noLogo->key != DiagnosticKey::NoLogoSwitch) {
    problems->push_back(noLogo->text);
  } else if (noLogo == nullptr && !run.diagnosticsSeen) {
    problems->push_back("no logo (the library's diagnostics went to another debug-output viewer)");
  }
}

// What the library's lines tell of the resource library, the code page, the
// defaults, the edition and the mode dialog.
void AddStartProblems(const RunRecord& run, const std::vector<DiagnosticReading>& lines,
                      std::vector<std::string>* problems) {
  if (!HasResourceLibrary(run)) problems->push_back(MissingResourceLibrary(run, lines));
  const DiagnosticReading* library = FindReading(lines, kResourceLibraryLines, true);
  if (library != nullptr && library->key == DiagnosticKey::ResourceLoadedWithoutLookup) {
    problems->push_back("the resource library exports no GetResourceID: texts show as their keys");
  }
  for (const DiagnosticReading& line : lines) {
    if (line.key != DiagnosticKey::CodePageMismatch) continue;
    problems->push_back("the interface " + line.text + " (the user was told)");
  }
  const DiagnosticReading* defaults = FindReading(lines, kDefaultsLines);
  if (defaults != nullptr &&
      (defaults->key == DiagnosticKey::DefaultsUserKeyFailed || defaults->key == DiagnosticKey::DefaultsRefused)) {
    problems->push_back(defaults->text);
  }
  const std::string disableForms = UnclearDisableForms(lines);
  if (!disableForms.empty()) problems->push_back(disableForms);
  const DiagnosticReading* dialog = FindReading(lines, kModeDialogFailedLines);
  if (dialog != nullptr) problems->push_back(dialog->text.substr(dialog->text.find(TARVEX_DIAG_DIALOG_NOT_SHOWN)));
}

}  // namespace

std::vector<std::string> FindProblems(const RunRecord& run) {
  std::vector<std::string> problems;
  if (!run.loaded) {
    const std::string why = FillForm(TARVEX_DIAG_SYSTEM_ERROR, {SystemMessage(run.loadError, FileName(run.library)),
                                                                std::to_string(run.loadError)});
    problems.push_back("the start-up library " + run.library + " could not be loaded: " + why +
                       (run.loadError == ERROR_BAD_EXE_FORMAT ? WrongImage(run) : ""));
    return problems;
  }
  if (run.libraryOutsideHostFolder) {
    problems.push_back("the resource library was looked for beside the probe, in " + run.resourceLibraryFolder +
                       ", not beside " + run.library +
                       ": copy startup-probe.exe into the application's folder to check that installation");
  }
  const std::vector<DiagnosticReading> lines = ReadDiagnosticLines(run.diagnostics);
  AddStartProblems(run, lines, &problems);
  AddLogoProblem(run, lines, &problems);
  return problems;
}
