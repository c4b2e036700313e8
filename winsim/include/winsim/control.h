// The tests' side of winsim: set up the simulated machine, script the user's
// answers, inject failures, and read back what the library did.
#pragma once

#include <winsim/control_process.h>
#include <winsim/control_modules.h>
#include <winsim/control_registry.h>
#include <winsim/control_windows.h>
#include <winsim/control_dialogs.h>
