// Which of the process's modules is a resource library, by its name.
#pragma once

#include <string>

#include "ascii_case.h"

// Whether a module's full path names a resource library: a file name of more
// than six characters that begins with "OxaRes", in any case.
inline bool IsResourceLibraryPath(const std::string& path) {
  const std::string name = path.substr(path.find_last_of('\\') + 1);
  return name.size() > 6 && StartsWithIgnoringCase(name, "OxaRes");
}
