// Starting a program without waiting for it: the exit command starts while the
// library unloads, and a program that waits for the host must not hold that
// unload.
#pragma once

// Starts `commandLine` as WinExec does, `show` in its start-up information,
// but waits for nothing and keeps no handle: CreateProcessA with
// `application` (null: the system reads the program from the line). False,
// with the system's error left, when nothing started.
bool StartWithoutWaiting(const char* application, const char* commandLine, int show);
