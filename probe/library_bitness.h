// Which kind of Windows image a file holds, read from its headers, so that
// a library the probe cannot load is named for what it is.
#pragma once

#include <string>

// 32 for an x86 image, 64 for an x64 one, 0 for any other file, a file that
// cannot be read, or one whose headers are cut short (`path` is UTF-8).
int ImageBits(const std::string& path);
