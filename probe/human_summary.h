// A few aligned lines for a person: what the start settled and why, which
// resource library served, the logo, what the switches kept away, and the
// problems.
#pragma once

#include <string>
#include <vector>

#include "run_record.h"

std::string HumanSummary(const RunRecord& run, const std::vector<std::string>& notes,
                         const std::vector<std::string>& problems);
