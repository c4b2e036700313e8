// Shared plumbing of the simulated API: the call log, injected failures,
// live-handle counts and the reset of every area.
#pragma once

#include <winsim/control.h>

#include <string>

namespace winsim::detail {

// Records a call of `function` and tells whether an injected failure hits it.
// When it does and `error` is given, *error receives the injected error code
// (0 when the test left the choice to the function).
bool EnterCall(const char* function, long* error = nullptr);

// Each area registers how to put its state back to a fresh machine.
struct ResetHook {
  explicit ResetHook(void (*reset)());
};

void AdjustLiveHandles(HandleKind kind, int delta);

// ASCII-only case folding, as Windows compares key, value and resource names.
bool EqualsIgnoringCase(const std::string& a, const std::string& b);
std::string ToUpperAscii(std::string text);

}  // namespace winsim::detail
