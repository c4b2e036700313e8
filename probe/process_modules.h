// The modules of the probe's own process: its folder, what is loaded, and
// which resource library the start-up library loaded. Paths are UTF-8.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The probe's own executable: the host, beside which the library looks for
// its resource libraries.
std::string ProbeExecutable();
// The probe's own folder with a trailing backslash, of any length.
std::string ProbeFolder();

// Full paths of the modules loaded in this process.
std::vector<std::string> LoadedModulePaths();

// The resource library (OxaRes*.dll) the start-up library loaded, or null.
HMODULE LoadedResourceLibrary();
