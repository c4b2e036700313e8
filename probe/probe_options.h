// The probe's command-line options. Every text is UTF-8.
#pragma once

#include <string>
#include <vector>

#include "worker_thread.h"

// How the mode dialog is answered, besides a click on a control.
constexpr int kDialogCloseBox = -1;
constexpr int kDialogEscapeKey = -2;

struct Options {
  std::string library;  // empty: TarvexLogo.dll beside the probe
  std::vector<int> answers;
  int dialogClick = 0;  // 0: not scripted; kDialogCloseBox, kDialogEscapeKey, or a control to click
  std::string exitCommand;
  bool haveExitCommand = false;
  int exitShow = 0;  // SW_HIDE
  bool closeLogo = false;
  int pumpMs = 200;
  std::string capturePath;
  std::string expectedBitmap;
  int timeoutSeconds = 60;
  std::string relaunchLine;
  int cycles = 0;  // 0: load once
  bool unregisterLogoClass = false;
  std::vector<std::string> preloads;
  std::vector<std::string> statusTexts;  // LogoSetStatusText, one call each, in order
  int statusPumpMs = 200;                // the message loop between them
  std::string statusAfterClose;          // LogoSetStatusText once more, after --close-logo
  bool haveStatusAfterClose = false;
  std::string statusFromThread;          // LogoSetStatusText from a worker this thread waits for
  bool haveStatusFromThread = false;
  std::string fromThread;  // "close" or "unload": done by a worker this thread waits for
  WorkerWait workerWait = WorkerWait::Pumping;  // how this thread waits for its workers
  std::string endProcess;  // "here" or "worker": ExitProcess with the library still loaded
  std::string cycleStory;  // with cycles: what a worker does to each load while its thread pumps
  bool pretty = false;     // the report indented
  std::string reportPath;  // the report into this file, a summary for a person on stdout
};

// Reads the options from the arguments (UTF-8, the program's own first);
// anything that is not an option is left for the library's command-line
// tests. --help prints the usage and ends the process. False, with a message
// on stderr, for an unknown option or a missing value.
bool ParseOptions(const std::vector<std::string>& arguments, Options* options);
