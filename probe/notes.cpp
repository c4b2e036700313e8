#include "notes.h"

#include "ascii_case.h"
#include "line_reading.h"

namespace {

bool HasArgument(const RunRecord& run, const char* name) {
  for (size_t i = 1; i < run.arguments.size(); ++i) {
    const std::string& argument = run.arguments[i];
    if (argument.empty() || (argument[0] != '/' && argument[0] != '-')) continue;
    if (EqualsIgnoringCase(argument.substr(1), name)) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> FindNotes(const RunRecord& run) {
  std::vector<std::string> notes;
  if (!run.settled || run.logoWindow) return notes;
  const std::vector<DiagnosticReading> lines = ReadDiagnosticLines(run.diagnostics);
  const DiagnosticReading* noLogo = FindReading(lines, kNoLogoLines);
  if (noLogo == nullptr || noLogo->key != DiagnosticKey::NoLogoSwitch) return notes;
  // The library names the three switches together; the probe's own
  // arguments tell which one it was.
  std::string which = TARVEX_DIAG_LOGO_SWITCHES;
  for (const char* name : {"NOLOGO", "AUTOMATION", "EMBEDDING"}) {
    if (HasArgument(run, name)) {
      which = std::string("the ") + name;
      break;
    }
  }
  notes.push_back(TARVEX_DIAG_NO_LOGO + which + TARVEX_DIAG_SWITCH);
  return notes;
}
