// What the end-to-end tests need around the probe: an install folder holding
// the probe, the library and the chosen resource libraries; a run of the
// probe with an exact command line; and the registry of the Wine prefix.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "json_reader.h"

struct ProbeResult {
  DWORD exitCode = 0xdeadbeef;
  bool timedOut = false;
  std::string out;
  std::string err;
  JsonValue report;               // stdout as JSON; null when it was not JSON
  std::vector<JsonValue> events;  // the JSON lines of stderr (modal windows as they appeared)
};

// The folder the build put the probe, the library and the resource libraries in.
std::string BuildBinFolder();

class InstallFolder {
 public:
  // A fresh folder named `name` (UTF-8, any script; backslashes make levels)
  // with the probe, TarvexLogo.dll and the resource libraries OxaRes<N>.dll
  // of `languages`, copied from the build. Paths here are UTF-8.
  InstallFolder(const std::string& name, const std::vector<int>& languages);
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

  // Runs the probe from this folder with exactly `arguments` after its quoted path.
  ProbeResult Run(const std::string& arguments, DWORD timeoutMs = 60000) const;
  // The same, with `currentDirectory` as the probe's current directory.
  ProbeResult RunIn(const std::string& currentDirectory, const std::string& arguments,
                    DWORD timeoutMs = 60000) const;

 private:
  std::string path_;
};

// Runs `commandLine` (UTF-8) to its end (at most `timeoutMs`), capturing its output;
// in `currentDirectory` when one is given, else in this process's own.
ProbeResult RunProcess(const std::string& commandLine, DWORD timeoutMs,
                       const std::string& currentDirectory = std::string());

// The path of a deliberately faulty resource library built for the tests
// (bin/e2e-fakes/<name>.dll).
std::string FakeResourceLibrary(const std::string& name);

// `path` (UTF-8) made absolute, with "." and ".." resolved.
std::string ComparableName(const std::string& path);

// `path` made absolute, with "." and ".." resolved and in upper case, for
// comparing paths the loader reports.
std::string ComparablePath(const std::string& path);

// The product title of the build's resource library of `language`, in UTF-8.
std::string ResourceLibraryTitle(int language);

// The full paths of the OxaRes*.dll modules in the probe's report.
std::vector<std::string> LoadedResourceLibraryPaths(const ProbeResult& run);

// The reg.exe switch for the registry view this build's programs read:
// "/reg:32" for the 32-bit build (WOW6432Node on 64-bit Windows), "/reg:64"
// for the 64-bit one.
const char* OwnRegistryView();
// The access flag that reaches the other view of HKLM\SOFTWARE.
REGSAM OtherViewAccess();

// Imports a .reg file of the tests' data folder with reg.exe, into the view
// of this build.
void ImportRegFile(const std::string& fileName);
// The path of a file in the tests' data folder.
std::string TestDataFile(const std::string& fileName);

// Removes everything the library reads or writes from the prefix's
// registry, in both views.
void ResetProductRegistry();

// The REG_SZ value, or `missing` when there is no such string value.
std::string ReadRegistryString(HKEY root, const std::string& path, const std::string& name,
                               const std::string& missing = "<missing>");
// Writes a REG_SZ value, creating its key; `view` may name a registry view
// (KEY_WOW64_32KEY or KEY_WOW64_64KEY), else this build's own.
void WriteRegistryString(HKEY root, const std::string& path, const std::string& name, const std::string& value,
                         REGSAM view = 0);
bool RegistryKeyExists(HKEY root, const std::string& path);
// The REG_DWORD value, or `missing` when there is no such DWORD value.
DWORD ReadRegistryDword(HKEY root, const std::string& path, const std::string& name, DWORD missing = 0xdeadbeef);

// Appends the bytes of the file `path` (UTF-8) to *text; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* text);

// Waits up to `timeoutMs` for a file to appear.
bool WaitForFile(const std::string& path, DWORD timeoutMs);
