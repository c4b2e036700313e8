#include "problems.h"

#include <windows.h>

#include "wide_text.h"

namespace {

std::string SystemMessage(unsigned long error) {
  wchar_t text[256] = L"";
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                256, nullptr);
  while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L'.')) --length;
  return length > 0 ? Utf8(std::wstring(text, length)) : std::string("no message");
}

bool HasArgument(const RunRecord& run, const char* name) {
  for (size_t i = 1; i < run.arguments.size(); ++i) {
    const std::string& argument = run.arguments[i];
    if (argument.size() != std::string(name).size() + 1 || (argument[0] != '/' && argument[0] != '-')) continue;
    if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, argument.c_str() + 1, -1, name, -1) == CSTR_EQUAL) return true;
  }
  return false;
}

bool HasResourceLibrary(const RunRecord& run) {
  for (const std::string& path : run.productModules) {
    const std::string name = path.substr(path.find_last_of('\\') + 1);
    if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name.c_str(), 6, "OxaRes", 6) == CSTR_EQUAL) return true;
  }
  return false;
}

// "no resource library was loaded: ..." with the reason the library gave for
// its last attempt (a second language may have been tried after the mode).
std::string MissingResourceLibrary(const RunRecord& run) {
  const std::string start = "resource library ";
  const std::string line = DiagnosticLine(run, start, true);
  const std::string notFound = " not found, own module used";
  const std::string failed = " failed to load: ";
  if (line.size() > start.size() + notFound.size() &&
      line.compare(line.size() - notFound.size(), notFound.size(), notFound) == 0) {
    const std::string path = line.substr(start.size(), line.size() - start.size() - notFound.size());
    return "no resource library was loaded: " + path.substr(path.find_last_of('\\') + 1) + " is not beside " + run.host;
  }
  const size_t at = line.find(failed);
  if (at != std::string::npos) {
    const std::string reason = line.substr(at + failed.size());
    return "no resource library was loaded: " + line.substr(start.size(), at - start.size()) + " failed to load: " +
           reason.substr(0, reason.rfind(", own module used"));
  }
  if (!DiagnosticLine(run, "no resource library path").empty()) {
    return "no resource library was loaded: the host executable's folder could not be read";
  }
  return "no resource library was loaded beside " + run.host;
}

}  // namespace

std::vector<std::string> FindProblems(const RunRecord& run) {
  std::vector<std::string> problems;
  if (!run.loaded) {
    problems.push_back("the start-up library " + run.library + " could not be loaded: " + SystemMessage(run.loadError) +
                       " (error " + std::to_string(run.loadError) + ")");
    return problems;
  }
  if (run.libraryOutsideHostFolder) {
    problems.push_back("the resource library was looked for beside the probe, in " + run.resourceLibraryFolder +
                       ", not beside " + run.library +
                       ": copy startup-probe.exe into the application's folder to check that installation");
  }
  if (!HasResourceLibrary(run)) problems.push_back(MissingResourceLibrary(run));
  const std::string keys = DiagnosticLine(run, "resource library ", true);
  if (keys.find("no GetResourceID") != std::string::npos) {
    problems.push_back("the resource library exports no GetResourceID: texts show as their keys");
  }
  for (const std::string& line : run.diagnostics) {
    if (line.find(" needs code page ") != std::string::npos) {
      problems.push_back("the interface " + line.substr(line.find("language ")) + " (the user was told)");
    }
  }
  const std::string defaults = DiagnosticLine(run, "new-user defaults: ");
  if (defaults.find("could not be opened") != std::string::npos || defaults.find("refused") != std::string::npos) {
    problems.push_back(defaults);
  }
  const std::string dialog = "mode 0: the mode dialog could not be shown: ";
  const std::string mode = DiagnosticLine(run, dialog);
  if (!mode.empty()) problems.push_back("the mode dialog could not be shown: " + mode.substr(dialog.size()));
  if (run.settled && !run.logoWindow) {
    const std::string logo = DiagnosticLine(run, "no logo: ");
    if (logo.find("NOLOGO switch") != std::string::npos) {
      const char* switches[] = {"NOLOGO", "AUTOMATION", "EMBEDDING"};
      std::string which = "an AUTOMATION, EMBEDDING or NOLOGO";
      for (const char* name : switches) {
        if (HasArgument(run, name)) {
          which = std::string("the ") + name;
          break;
        }
      }
      problems.push_back("no logo: " + which + " switch");
    } else if (!logo.empty()) {
      problems.push_back(logo);
    } else if (!run.diagnosticsSeen) {
      problems.push_back("no logo (the library's diagnostics went to another debug-output viewer)");
    }
  }
  return problems;
}
