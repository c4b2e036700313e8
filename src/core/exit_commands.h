// The exit commands a host leaves for the unload. Any thread may set one
// while others read the copies they were handed: each call publishes a copy
// of its own, and every copy stays whole and in place until the unload.
#pragma once

#include <windows.h>

#include <atomic>

#include "text/bounded_text.h"

// One command as it was set: kept unchanged until ExitCommands::Release.
struct KeptExitCommand {
  KeptExitCommand* older;  // the copy kept before this one
  HGLOBAL memory;          // the block this lies in, locked while kept
  int show;                // the show state it starts with
  char text[kTextSize];    // at most 511 characters, terminated
};

class ExitCommands {
 public:
  ExitCommands() = default;
  // Frees what the unload left, in a start-up object that never saw one.
  ~ExitCommands() { Release(); }
  ExitCommands(const ExitCommands&) = delete;
  ExitCommands& operator=(const ExitCommands&) = delete;

  // Makes a copy of at most 511 characters of `command` the command to start,
  // and returns the copy; a null or empty command withdraws the command and
  // returns "". Null, the earlier command kept, when no memory could be had.
  const char* Set(const char* command, int show);
  // The command to start, taken so that it starts once; null when there is none.
  const KeptExitCommand* Take();
  // Frees every copy Set handed out: none may be read from here on.
  void Release();

 private:
  void Keep(KeptExitCommand* copy);

  std::atomic<KeptExitCommand*> current_{nullptr};  // the command to start, or null
  std::atomic<KeptExitCommand*> kept_{nullptr};     // every copy handed out, the newest first
};
