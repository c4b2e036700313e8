// The command a host leaves to be started when the library is unloaded.
#include "core/command_program.h"
#include "core/diagnostics.h"
#include "core/logo_startup.h"
#include "core/program_start.h"
#include "utf8_text.h"
#include "diagnostic_lines.h"

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
      Diagnose(TARVEX_DIAG_EXIT_QUOTE_OPEN);
      return;
    case CommandProgramKind::NotFound:
      Diagnose(TARVEX_DIAG_EXIT_NO_PROGRAM_FORMAT, line);
      return;
    case CommandProgramKind::TooLong:
      Diagnose(TARVEX_DIAG_EXIT_TOO_LONG_FORMAT, line);
      return;
    case CommandProgramKind::Ambiguous: {
      char alsoFound[kTextSize];
      CopyAnsiPathAsUtf8(alsoFound, sizeof alsoFound, found.alsoFound);
      Diagnose(TARVEX_DIAG_EXIT_AMBIGUOUS_FORMAT, program, alsoFound);
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
    Diagnose(TARVEX_DIAG_EXIT_STARTED_FORMAT, program, line);
  } else {
    DiagnoseSystemError(GetLastError(), "", TARVEX_DIAG_EXIT_NOT_STARTED "program %s: ", program);
  }
}

}  // namespace

const char* LogoStartup::SetExitCommand(const char* command, int show) {
  return exitCommands.Set(command, show);
}

void LogoStartup::RunExitCommand() {
  const KeptExitCommand* command = exitCommands.Take();
  if (command != nullptr) StartExitCommand(command->text, command->show);
}
