// The command a host leaves to be run when the library is unloaded.
#include "core/bounded_text.h"
#include "core/logo_startup.h"

const char* LogoStartup::SetExitCommand(const char* command, int show) {
  exitShowCommand = show;
  // A null command clears any earlier one, as the empty command does.
  CopyBoundedText(exitCommand, command, sizeof exitCommand);
  return exitCommand;
}

void LogoStartup::RunExitCommand() {
  if (exitCommand[0] == '\0') return;
  WinExec(exitCommand, static_cast<UINT>(exitShowCommand));
}
