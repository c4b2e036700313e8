// The report's "logoWindow": the logo window as the host sees it.
#pragma once

#include "json_writer.h"
#include "probe_options.h"

// Writes the field "logoWindow": null, or the window's class, text, place,
// size, styles, and with the options the capture and the bitmap comparison.
// Returns whether there was a logo window.
bool ReportLogoWindow(JsonWriter& json, const Options& options);
