// The painted-stack measure. The paint and the measured call both start from
// the frame of MeasureStackUse, so the area the paint covered is exactly the
// area the call's frames grow into.
#include "stack_probe.h"

#include <cstdint>

#if defined(__GNUC__)
#define BENCH_NOINLINE __attribute__((noinline))
#else
#define BENCH_NOINLINE
#endif

namespace {

constexpr unsigned char kPaint = 0xA5;

// Lowest address of the painted area, kept as a number: the frame that held
// it is gone once Paint returns, and only its bytes are read again.
volatile std::uintptr_t g_paintedLow = 0;

BENCH_NOINLINE void Paint() {
  volatile unsigned char area[kPaintedStackBytes];
  for (size_t i = 0; i < kPaintedStackBytes; ++i) area[i] = kPaint;
  g_paintedLow = reinterpret_cast<std::uintptr_t>(&area[0]);
}

BENCH_NOINLINE size_t UntouchedBytes() {
  const volatile unsigned char* low = reinterpret_cast<const volatile unsigned char*>(g_paintedLow);
  size_t untouched = 0;
  while (untouched < kPaintedStackBytes && low[untouched] == kPaint) ++untouched;
  return untouched;
}

}  // namespace

size_t MeasureStackUse(void (*run)(void*), void* context) {
  Paint();
  run(context);
  return kPaintedStackBytes - UntouchedBytes();
}

double StackPerLevel(size_t shallowUse, int shallowDepth, size_t deepUse, int deepDepth) {
  if (deepDepth <= shallowDepth) return 0.0;
  return (static_cast<double>(deepUse) - static_cast<double>(shallowUse)) / (deepDepth - shallowDepth);
}
