// Writing a whole file at once.
#pragma once

#include <string>

// Writes `bytes` to `path` (UTF-8), replacing what was there; false when the
// file could not be opened, written or closed whole.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
