// The command a host leaves to be started when the library is unloaded.
#include "core/command_program.h"
#include "core/logo_startup.h"
#include "core/program_start.h"
#include "diagnostics/diagnostics.h"
#include "utf8_text.h"

namespace {

// Starts `commandLine` when it names one program the host meant, and tells the
// diagnostics what started, or why nothing did.
void StartExitCommand(const char* commandLine, int show) {
  CommandProgram found;
  FindCommandProgram(commandLine, &found);
  char line[kTextSize];
  char program[kTextSize];
  CopyAnsiPathAsUtf8(line, sizeof line, commandLine);
  CopyAnsiPathAsUtf8(program, sizeof program, found.program);
  switch (found.kind) {
    case CommandProgramKind::QuoteOpen:
      Diagnose(diagnostic_form::ExitQuoteOpen);
      return;
    case CommandProgramKind::NotFound:
      Diagnose(diagnostic_form::ExitWithoutProgram, line);
      return;
    case CommandProgramKind::TooLong:
      Diagnose(diagnostic_form::ExitNameTooLong, line);
      return;
    case CommandProgramKind::Ambiguous: {
      char alsoFound[kTextSize];
      CopyAnsiPathAsUtf8(alsoFound, sizeof alsoFound, found.alsoFound);
      Diagnose(diagnostic_form::ExitAmbiguous, program, alsoFound);
      return;
    }
    case CommandProgramKind::Quoted:
    case CommandProgramKind::Found:
      break;
  }
  // The program found is named by its full name, so that no file planted
  // between the search and the start runs instead.
  const char* application = found.kind == CommandProgramKind::Found ? found.program : nullptr;
  if (StartWithoutWaiting(application, commandLine, show)) {
    Diagnose(diagnostic_form::ExitStarted, program, line);
  } else {
    const SystemError why(GetLastError());
    Diagnose(diagnostic_form::ExitRefused, program, why.text, why.code);
  }
}

}  // namespace

const char* LogoStartup::SetExitCommand(const char* command, int show) {
  return exitCommands_.Set(command, show);
}

void LogoStartup::RunExitCommand() {
  const KeptExitCommand* command = exitCommands_.Take();
  if (command != nullptr) StartExitCommand(command->text, command->show);
}
