// The interface language number as the registry holds it: decimal text.
#pragma once

#include <cstddef>

// Reads a number the way atoi does: white space skipped, one optional sign,
// then decimal digits up to the first other character; no digits give 0, and
// a number beyond the 32-bit range gives the nearest limit. A null text gives 0.
int ParseLanguageNumber(const char* text);

// Writes `number` as decimal text, a minus sign first when negative, into
// `buffer` (`size` bytes, at least 12). Returns the length in characters.
size_t FormatLanguageNumber(int number, char* buffer, size_t size);
