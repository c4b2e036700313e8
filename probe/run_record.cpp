#include "run_record.h"

#include "diagnostic_lines.h"

std::string DiagnosticLine(const RunRecord& run, const std::string& start, bool last) {
  static const std::string kPrefix = TARVEX_DIAG_PREFIX;
  std::string found;
  for (const std::string& line : run.diagnostics) {
    if (line.compare(0, kPrefix.size(), kPrefix) != 0) continue;
    if (line.compare(kPrefix.size(), start.size(), start) != 0) continue;
    found = line.substr(kPrefix.size());
    if (!last) break;
  }
  return found;
}
