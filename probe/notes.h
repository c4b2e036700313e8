// What a run did not do because its command line asked so: reported beside
// the problems, never among them, so that "problems" holds faults only.
#pragma once

#include <string>
#include <vector>

#include "run_record.h"

// Plain sentences of what the switches kept away (the logo, for one); empty
// when the start did everything.
std::vector<std::string> FindNotes(const RunRecord& run);
