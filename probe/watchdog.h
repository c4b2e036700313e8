// Ends a stuck run of the probe.
#pragma once

// Starts a thread that ends the process with exit code 3 after `seconds`
// (after writing {"event":"timeout"} to stderr). It makes no window calls, so
// nothing the library or the watcher waits for can hold it up. Returns once
// the thread runs.
void StartWatchdog(int seconds);
