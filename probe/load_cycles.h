// Load and unload cycles, as a host that reloads the library would run them.
#pragma once

#include "json_writer.h"
#include "probe_options.h"

// Loads and unloads options.library options.cycles times and writes
// "cycles": what the process held before the first cycle, after it and after
// the last. False when a load failed.
bool RunCycles(JsonWriter& json, const Options& options);
