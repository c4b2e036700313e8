// A host's worker that closes the logo or unloads the library while the
// logo is up, the loading thread (the logo's) waiting for it, pumping its
// messages as a host's UI thread does or (--worker-wait plain) not.
#pragma once

#include <windows.h>

#include "json_writer.h"
#include "probe_options.h"

// "closeFromThread": LogoClose on a worker; the logo before and after this
// thread's next pump.
void ReportCloseFromThread(JsonWriter& json, HMODULE library, const Options& options);

// "unloadFromThread": FreeLibrary on a worker; whether a window or class is
// left whose procedure lies in the unloaded library, a paint and a message
// for every window of this thread, the pump, then a second load here that
// shows and closes the logo. True when the worker unloaded the library.
bool ReportUnloadFromThread(JsonWriter& json, HMODULE library, const Options& options);

// Logo windows (class TARVEX_LOGO_WINDOW_CLASS) of this process.
int LogoWindowCount();
