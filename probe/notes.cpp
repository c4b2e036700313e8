#include "notes.h"

#include <windows.h>

#include "diagnostic_lines.h"
#include "line_reading.h"

namespace {

bool HasArgument(const RunRecord& run, const char* name) {
  for (size_t i = 1; i < run.arguments.size(); ++i) {
    const std::string& argument = run.arguments[i];
    if (argument.size() != std::string(name).size() + 1 || (argument[0] != '/' && argument[0] != '-')) continue;
    if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, argument.c_str() + 1, -1, name, -1) == CSTR_EQUAL) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> FindNotes(const RunRecord& run) {
  std::vector<std::string> notes;
  if (!run.settled || run.logoWindow) return notes;
  if (!IsNoLogoSwitch(DiagnosticLine(run, TARVEX_DIAG_NO_LOGO))) return notes;
  // The library names the three switches together; the probe's own
  // arguments tell which one it was.
  std::string which = "an AUTOMATION, EMBEDDING or NOLOGO";
  for (const char* name : {"NOLOGO", "AUTOMATION", "EMBEDDING"}) {
    if (HasArgument(run, name)) {
      which = std::string("the ") + name;
      break;
    }
  }
  notes.push_back("no logo: " + which + " switch");
  return notes;
}
