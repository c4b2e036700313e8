#include "problems.h"

#include <windows.h>

#include "library_bitness.h"
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
  const std::string start = "resource library ";
  const std::string line = DiagnosticLine(run, start, true);
  const std::string notFound = " not found, own module used";
  const std::string failed = " failed to load: ";
  if (line.size() > start.size() + notFound.size() &&
      line.compare(line.size() - notFound.size(), notFound.size(), notFound) == 0) {
    const std::string path = line.substr(start.size(), line.size() - start.size() - notFound.size());
    return "no resource library was loaded: " + FileName(path) + " is not beside " + run.host;
  }
  const size_t at = line.find(failed);
  if (at != std::string::npos) {
    const std::string path = line.substr(start.size(), at - start.size());
    const std::string reason = line.substr(at + failed.size());
    // The library's line keeps the system's inserts unfilled.
    return "no resource library was loaded: " + path + " failed to load: " +
           FillInserts(reason.substr(0, reason.rfind(", own module used")), FileName(path));
  }
  if (!DiagnosticLine(run, "no resource library path").empty()) {
    return "no resource library was loaded: the host executable's folder could not be read";
  }
  return "no resource library was loaded beside " + run.host;
}

// What the library's headers tell when the loader refused its image: the
// other build's library needs the other build's probe. Empty when they say
// nothing more.
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
  const std::string line = DiagnosticLine(run, "edition 15 (forms enabled): ");
  const size_t at = line.find("\"DisableForms\" in ");
  if (at == std::string::npos) return "";
  const std::string zero = " is \"0\"";
  if (line.size() > zero.size() && line.compare(line.size() - zero.size(), zero.size(), zero) == 0) return "";
  return "forms stay enabled: " + line.substr(at) + "; only a text beginning with \"1\" disables them (\"0\" enables them)";
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
  const std::string disableForms = UnclearDisableForms(run);
  if (!disableForms.empty()) problems.push_back(disableForms);
  const std::string dialog = "mode 0: the mode dialog could not be shown: ";
  const std::string mode = DiagnosticLine(run, dialog);
  if (!mode.empty()) problems.push_back("the mode dialog could not be shown: " + mode.substr(dialog.size()));
  // A logo kept away by a switch is as asked: a note (notes.cpp), no problem.
  if (run.settled && !run.logoWindow) {
    const std::string logo = DiagnosticLine(run, "no logo: ");
    if (!logo.empty() && logo.find("NOLOGO switch") == std::string::npos) {
      problems.push_back(logo);
    } else if (logo.empty() && !run.diagnosticsSeen) {
      problems.push_back("no logo (the library's diagnostics went to another debug-output viewer)");
    }
  }
  return problems;
}
