// The functions the host application calls, exported by ordinal with the C
// calling convention (declared for hosts in include/tarvex_logo.h). Each
// forwards to the one start-up object.
#pragma once

#include <windows.h>

#define TARVEX_LOGO_BUILDING
#include "tarvex_logo.h"

// Size of each of the two text fields of BeforeInitHelmex's area, in bytes.
constexpr int kHelmexFieldSize = TARVEX_LOGO_NAME_FIELD_SIZE;
