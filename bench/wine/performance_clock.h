// The high-resolution clock the Wine benchmarks time their runs with.
#pragma once

#include <windows.h>

// Microseconds since an arbitrary start, from QueryPerformanceCounter.
inline double NowInMicroseconds() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

// Milliseconds since the same start.
inline double NowInMilliseconds() { return NowInMicroseconds() / 1000.0; }
