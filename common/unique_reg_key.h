// The owner of an open registry key, for the library, its tests and the
// benchmarks alike.
#pragma once

#include <windows.h>

#include "unique_handle.h"

using UniqueRegKey = UniqueHandle<HKEY, RegCloseKey>;
