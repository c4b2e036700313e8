// The system's own words for an error code, made to fit into a sentence.
#pragma once

#include <string>

// The system's message for `error` (UTF-8, without its line end and full
// stop), its inserts filled by FillInserts; "no message" when it has none.
std::string SystemMessage(unsigned long error, const std::string& fileName);

// `text` with each insert "%1" replaced by `fileName` and every other insert
// ("%2" to "%99", with or without a "!format!") left out; the rest unchanged.
std::string FillInserts(const std::string& text, const std::string& fileName);
