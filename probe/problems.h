// The report's verdict: plain sentences that tell a support engineer what
// went wrong in a run and what to do, drawn from what the probe saw.
#pragma once

#include <string>
#include <vector>

#include "run_record.h"

// The problems of `run`, the one most likely to explain the others first;
// empty for a clean start.
std::vector<std::string> FindProblems(const RunRecord& run);
