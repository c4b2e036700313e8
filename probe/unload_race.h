// Load and unload cycles that race a host's worker against its UI thread:
// each load on a thread of its own that pumps without pause, a worker that
// closes the logo or writes its line and at once unloads the library, or
// unloads it while that thread paints the logo.
#pragma once

#include "json_writer.h"
#include "probe_options.h"

// Runs options.cycles cycles of options.cycleStory and writes "cycles": how
// many completed, crashed inside the library, left a logo window or left the
// library loaded. False when a load failed.
bool RunRaceCycles(JsonWriter& json, const Options& options);
