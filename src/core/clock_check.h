// The clock check's conversion of a local time to 32-bit calendar time.
#pragma once

#include <windows.h>

#include <cstdint>

// Seconds since 1970-01-01 00:00:00 of the local time `local`, as the C
// library's 32-bit `time` gives them. Returns false, leaving *seconds
// untouched, when the year lies outside 1970 to 2038 or the seconds do not fit
// a signed 32-bit value.
bool LocalTimeToCalendarTime(const SYSTEMTIME& local, std::int32_t* seconds);
