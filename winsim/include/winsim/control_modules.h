// Simulated files and modules: the host executable, the library's own module,
// and resource libraries registered as in-memory images.
//
// Paths are given and returned in UTF-8; the simulated file system keeps them
// in UTF-16, as the wide functions see them. The ANSI functions see them
// through the ANSI code page (SetAnsiCodePage), every character it lacks as
// '?', as Windows shows them.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace winsim {

// A dialog template as the simulated dialog manager sees it.
struct DialogTemplate {
  std::string caption;
  std::vector<int> controlIds;  // controls the user can click
};

// What a module file holds. Resource names are compared without regard to
// ASCII letter case, as Windows does.
struct ModuleImage {
  std::map<UINT, std::string> strings;                   // string table, by identifier
  std::map<std::string, FARPROC> exports;                // exported functions, by name
  std::map<WORD, FARPROC> ordinals;                      // exported functions, by ordinal
  std::map<std::string, std::vector<BYTE>> bitmaps;      // RT_BITMAP data (a DIB without file header), by name
  std::map<WORD, DialogTemplate> dialogs;                // dialog templates, by identifier
  bool versionRecord = false;                            // a VERSIONINFO resource, found by no lookup
  bool damaged = false;                                  // the file exists but LoadLibrary fails on it
};

// Sets the full path of the process's executable (GetModuleFileNameW(NULL)).
// Default "C:\\Program Files\\Tarvex\\host.exe".
void SetHostExecutablePath(const std::string& path);
HMODULE HostModule();

// Puts a module file at `path`: FindFirstFile finds it, LoadLibrary loads it.
void AddModuleFile(const std::string& path, ModuleImage image);
// Puts a plain file (not loadable) at `path`.
void AddFile(const std::string& path);
// Puts an empty folder at `path`. A folder that holds a file, or the host
// executable, exists without one; the current folder is the host's.
void AddFolder(const std::string& path);
void RemoveFile(const std::string& path);

// A module that is already loaded (the start-up library itself, as the loader
// hands it to the entry). Not counted among LoadLibraryA's live modules.
HMODULE AddLoadedModule(const std::string& path, ModuleImage image = {});

// ---- the code of a module
// Declares `procedures` (window and dialog procedures) as code of `module`,
// and maps that code: a new load of it. A window, class or dialog that takes
// one of them is stamped with this load.
void MapModuleCode(HMODULE module, std::vector<const void*> procedures);
// The module's code goes, as when the loader unmaps it. Each of its
// procedures still running on any thread is a violation (Violations), and so
// is a later call of a procedure stamped with a load that is gone: it is not
// made, as the crash would end it.
void UnmapModuleCode(HMODULE module);
// Runs on the dispatching thread, without winsim's lock, after a window's
// procedure was read and before it is called: a test stops a dispatch there
// to run another thread's call in the gap. Null: none.
void SetProcedureGate(std::function<void(HWND window, UINT message)> gate);

// Full paths of the modules LoadLibrary has loaded and not yet freed.
std::vector<std::string> LoadedLibraryPaths();

// UTF-8 and UTF-16, as the tests name files (no API call, nothing logged).
std::u16string Utf16(const std::string& utf8);
std::string Utf8(const std::u16string& utf16);

}  // namespace winsim
