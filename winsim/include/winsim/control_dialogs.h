// Simulated modal dialogs: scripted user actions and what was shown.
#pragma once

#include <windows.h>

namespace winsim {
}  // namespace winsim
