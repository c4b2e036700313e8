// The system's own words for an error code, made to fit into a sentence: the
// library's diagnostics and the probe's problems both quote them.
#pragma once

#include <cstddef>

// The system's message for `error` in UTF-8, without its line end and full
// stop, into `text` (`size` bytes, size > 0); "no message" when the system
// has none. Leaves the thread's last-error code as it found it.
void SystemErrorText(unsigned long error, char* text, size_t size);
