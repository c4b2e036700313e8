// Stack use of a call, found by painting the stack below the caller first
// and looking afterwards for the lowest byte that changed.
#pragma once

#include <cstddef>

// Bytes of stack painted below the caller; a call that uses more than this is
// reported as using exactly this much.
constexpr size_t kPaintedStackBytes = 512 * 1024;

// Runs run(context) and returns how far below the caller's frame it wrote
// into the stack, in bytes. Frames of any depth up to kPaintedStackBytes are
// seen, the functions the call makes included.
size_t MeasureStackUse(void (*run)(void*), void* context);

// Stack per recursion level, in bytes: the difference between the use at two
// depths divided by the difference of the depths (deeper > shallower).
double StackPerLevel(size_t shallowUse, int shallowDepth, size_t deepUse, int deepDepth);
