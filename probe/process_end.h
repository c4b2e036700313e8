// A host that ends with the library still loaded: the system then runs the
// library's detach as the process ends, its other threads already gone.
#pragma once

// The exit code of such an end.
constexpr unsigned kEndedWithLibraryLoaded = 7;

// Ends the process with kEndedWithLibraryLoaded, from this thread or from a
// worker while this thread pumps its messages. Never returns.
[[noreturn]] void EndProcessWithTheLibraryLoaded(bool fromWorker);
