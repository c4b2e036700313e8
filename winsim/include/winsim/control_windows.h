// Simulated windows, dialogs and GDI: set-up and inspection for tests.
#pragma once

#include <windows.h>

namespace winsim {
}  // namespace winsim
