#include "language/language_number.h"

#include <climits>

namespace {

// The white space of the C locale, as atoi skips it.
bool IsBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r'; }

}  // namespace

int ParseLanguageNumber(const char* text) {
  if (text == nullptr) return 0;
  while (IsBlank(*text)) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') {
    negative = *text == '-';
    ++text;
  }
  // Accumulate in a wider type and stop growing at the limit, so that a
  // value of any length stays defined.
  const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  long long value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    if (value < limit) value = value * 10 + (*text - '0');
    if (value > limit) value = limit;
  }
  return static_cast<int>(negative ? -value : value);
}

size_t FormatLanguageNumber(int number, char* buffer, size_t size) {
  // Digits are produced backwards from the magnitude; unsigned arithmetic
  // keeps INT_MIN defined.
  char digits[12];
  size_t count = 0;
  unsigned int magnitude = number < 0 ? 0u - static_cast<unsigned int>(number) : static_cast<unsigned int>(number);
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  size_t length = 0;
  if (number < 0 && length + 1 < size) buffer[length++] = '-';
  while (count > 0 && length + 1 < size) buffer[length++] = digits[--count];
  buffer[length] = '\0';
  return length;
}
