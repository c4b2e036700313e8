#include "human_summary.h"

#include "line_reading.h"

namespace {

void Line(std::string* text, const char* label, const std::string& value) {
  std::string padded = label;
  padded.resize(12, ' ');
  *text += padded + value + "\n";
}

// What the first line of `keys` says after its "edition N" or "mode N"
// (`start`, then the number): "from the /form switch", "forms enabled: ..."
// (the parentheses dropped); "" without such a line.
std::string Why(const std::vector<DiagnosticReading>& lines, const std::vector<DiagnosticKey>& keys,
                const std::string& start) {
  const DiagnosticReading* reading = FindReading(lines, keys);
  if (reading == nullptr) return "";
  const std::string& line = reading->text;
  size_t at = start.size();
  while (at < line.size() && (line[at] == '-' || (line[at] >= '0' && line[at] <= '9'))) ++at;
  if (line.compare(at, 2, ": ") == 0) at += 2;
  if (line.compare(at, 1, " ") == 0) at += 1;
  std::string why = line.substr(at < line.size() ? at : line.size());
  if (!why.empty() && why[0] == '(') {
    const size_t close = why.find(')');
    if (close != std::string::npos) why = why.substr(1, close - 1) + why.substr(close + 1);
  }
  return why;
}

}  // namespace

std::string HumanSummary(const RunRecord& run, const std::vector<std::string>& notes,
                         const std::vector<std::string>& problems) {
  std::string text;
  if (!run.loaded) {
    Line(&text, "library", run.library + " did not load");
  } else if (run.settled) {
    const std::vector<DiagnosticReading> lines = ReadDiagnosticLines(run.diagnostics);
    const std::string edition = Why(lines, kEditionLines, TARVEX_DIAG_EDITION);
    const std::string mode = Why(lines, kModeLines, TARVEX_DIAG_MODE);
    Line(&text, "edition", std::to_string(run.edition) + (edition.empty() ? "" : ", " + edition));
    Line(&text, "mode",
         std::to_string(run.mode) + (run.mode == 1 ? " (forms mode)" : " (main mode)") + (mode.empty() ? "" : ", " + mode));
    std::string resources = "none loaded";
    for (const std::string& path : run.productModules) {
      if (path.find("\\OxaRes") != std::string::npos || path.find("\\oxares") != std::string::npos) resources = path;
    }
    Line(&text, "resources", resources);
    // LogoShown: the bitmap first.
    const DiagnosticReading* shown = FindReading(lines, {DiagnosticKey::LogoShown});
    std::string logo = shown != nullptr ? shown->fields[0] + " shown" : run.logoWindow ? "shown" : "none";
    if (run.logoWindow && !run.capturePath.empty()) logo += ", captured to " + run.capturePath;
    Line(&text, "logo", logo);
  }
  for (size_t i = 0; i < notes.size(); ++i) Line(&text, i == 0 ? "notes" : "", notes[i]);
  if (problems.empty()) {
    Line(&text, "problems", "none");
  } else {
    for (size_t i = 0; i < problems.size(); ++i) Line(&text, i == 0 ? "problems" : "", problems[i]);
  }
  return text;
}
