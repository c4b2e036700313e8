// The clock check: the library refuses a clock it cannot hold as 32-bit time.
#include "core/clock_check.h"

#include "core/logo_startup.h"

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

bool LocalTimeToCalendarTime(const SYSTEMTIME& local, LONG biasMinutes, std::int32_t* seconds) {
  const int year = local.wYear;
  if (year < 1970 || year > 2038) return false;
  if (local.wMonth < 1 || local.wMonth > 12) return false;
  static const int kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  std::int64_t days = 0;
  for (int y = 1970; y < year; ++y) days += IsLeapYear(y) ? 366 : 365;
  days += kDaysBeforeMonth[local.wMonth - 1];
  if (local.wMonth > 2 && IsLeapYear(year)) ++days;
  days += local.wDay - 1;
  std::int64_t total = days * 86400 + local.wHour * 3600 + local.wMinute * 60 + local.wSecond;
  // The calendar counts in UTC: east of it the first hours of 1970 come before
  // its start, west of it the 32-bit range ends earlier in local time.
  total += std::int64_t{biasMinutes} * 60;
  // Late in January 2038 the seconds leave the 32-bit range.
  if (total < 0 || total > INT32_MAX) return false;
  *seconds = static_cast<std::int32_t>(total);
  return true;
}

LONG CurrentTimeZoneBias() {
  TIME_ZONE_INFORMATION zone;
  switch (GetTimeZoneInformation(&zone)) {
    case TIME_ZONE_ID_UNKNOWN:
      return zone.Bias;
    case TIME_ZONE_ID_STANDARD:
      return zone.Bias + zone.StandardBias;
    case TIME_ZONE_ID_DAYLIGHT:
      return zone.Bias + zone.DaylightBias;
    default:
      // Taken as UTC, rather than refusing a clock that may be fine.
      return 0;
  }
}

void LogoStartup::CheckClock() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  std::int32_t seconds = 0;
  if (LocalTimeToCalendarTime(now, CurrentTimeZoneBias(), &seconds)) return;
  resources_.ShowMessageByKey("MSG_BAD_TIME", MB_ICONHAND | MB_OK);
  ExitProcess(2);
}
