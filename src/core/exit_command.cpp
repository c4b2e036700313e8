// The command a host leaves to be run when the library is unloaded.
#include "core/logo_startup.h"

const char* LogoStartup::SetExitCommand(const char* command, int show) {
  return exitCommands.Set(command, show);
}

void LogoStartup::RunExitCommand() {
  const KeptExitCommand* command = exitCommands.Take();
  if (command != nullptr) WinExec(command->text, static_cast<UINT>(command->show));
}
