// What the process holds, for leak checks across load cycles.
#pragma once

#include <windows.h>

#include <string>

#include "json_writer.h"

struct ProcessCounts {
  long long gdiObjects = 0;
  long long userObjects = 0;
  long long kernelHandles = 0;
  long long modules = 0;
  long long privateBytes = 0;  // committed memory of this process alone, in bytes
};

ProcessCounts TakeCounts();
// Writes `counts` as the object `key`.
void WriteCounts(JsonWriter& json, const std::string& key, const ProcessCounts& counts);
// Writes "calibration": how much each counter grows for objects made on
// purpose, so that "no growth" means something. `registryLibrary` is
// advapi32, for registry keys.
void WriteCalibration(JsonWriter& json, HMODULE registryLibrary);
// Writes "sources": where each count came from.
void WriteCounterSources(JsonWriter& json);
