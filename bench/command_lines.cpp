#include "command_lines.h"

namespace {

const char kProgram[] = "\"C:\\Program Files\\Tarvex\\host.exe\"";
const char kNearMisses[] = " /NOLOGOS -nolog /nologo2 -NoLogo, a.frmx b.FRM.tif .fr --nologo c.frm1";

}  // namespace

std::string WorstCaseCommandLine(size_t length) {
  std::string line = kProgram;
  while (line.size() < length) line += kNearMisses;
  line.resize(length);
  // Cut short, a near miss can become a hit at the end of the line
  // ("/nologo2" -> "/nologo", "c.frm1" -> "c.frm"): spoil its last letter.
  if (!line.empty() && line.back() != ' ') line.back() = 'x';
  return line;
}
