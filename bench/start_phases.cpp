#include "start_phases.h"

#include <cstring>

namespace {

const char kPrefix[] = "TarvexLogo: ";

bool Begins(const std::string& line, const char* start) {
  return start != nullptr && line.compare(0, std::strlen(kPrefix), kPrefix) == 0 &&
         line.compare(std::strlen(kPrefix), std::strlen(start), start) == 0;
}

}  // namespace

const std::vector<StartPhase>& LogoStartPhases() {
  static const std::vector<StartPhase> phases = {
      {"new-user defaults: ", nullptr, "loading the DLL, its runtime start and the defaults copy"},
      {"language ", "no language setting", "the language setting"},
      {"code page ", "no code-page check", "the code-page check"},
      {"resource library ", nullptr, "finding and loading the resource library, the title"},
      {"edition ", nullptr, "the clock check and the edition (\"DisableForms\")"},
      {"mode ", nullptr, "the mode (command line, \"DisableForms\" again)"},
      {"language ", "no language setting", "the language setting of the mode"},
      {"logo ", nullptr, "the logo: class, bitmap and palette, font, window, first paint"},
  };
  return phases;
}

bool LinesMatchPhases(const std::vector<std::string>& lines) {
  const std::vector<StartPhase>& phases = LogoStartPhases();
  if (lines.size() != phases.size()) return false;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!Begins(lines[i], phases[i].lineStart) && !Begins(lines[i], phases[i].otherLineStart)) return false;
  }
  return true;
}
