// The clock check's conversion of a local time to 32-bit calendar time.
#pragma once

#include <windows.h>

#include <cstdint>

// Seconds since 1970-01-01 00:00:00 UTC of the local time `local` in a zone
// whose bias is `biasMinutes` (UTC = local time + bias), as the C library's
// 32-bit `time` gives them. Returns false, leaving *seconds untouched, when
// the local year lies outside 1970 to 2038 or the seconds do not fit a signed
// 32-bit value (before 1970 or after 03:14:07 on 19 January 2038, UTC).
bool LocalTimeToCalendarTime(const SYSTEMTIME& local, LONG biasMinutes, std::int32_t* seconds);

// The time zone's bias now, in minutes (UTC = local time + bias), daylight
// saving included while in force; 0 when the system cannot tell.
LONG CurrentTimeZoneBias();
