// The phases of a start that shows the logo, each ended by the diagnostics
// line the library writes when the phase is done. Timing when each line is
// written splits the time to the logo by what the start spends it on.
#pragma once

#include <string>
#include <vector>

struct StartPhase {
  const char* lineStart;       // how the line ending the phase begins, after "TarvexLogo: "
  const char* otherLineStart;  // another way it may begin, or null
  const char* name;            // what the phase does, for the report
};

// The phases of a warm start with a mode switch and the logo, in order; the
// time from the last line to the return of the load comes after them.
const std::vector<StartPhase>& LogoStartPhases();

// Whether `lines` (debug-output lines as written, prefix and line end
// included) are exactly the lines ending LogoStartPhases(), in order.
bool LinesMatchPhases(const std::vector<std::string>& lines);
