#include "run_record.h"

std::string DiagnosticLine(const RunRecord& run, const std::string& start) {
  static const std::string kPrefix = "TarvexLogo: ";
  for (const std::string& line : run.diagnostics) {
    if (line.compare(0, kPrefix.size(), kPrefix) != 0) continue;
    if (line.compare(kPrefix.size(), start.size(), start) == 0) return line.substr(kPrefix.size());
  }
  return "";
}
