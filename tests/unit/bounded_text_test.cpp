// Copies into fixed text buffers stay inside them and end terminated, whatever
// the buffer held before.
#include "text/bounded_text.h"
#include "guarded_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr char kStale = 'x';  // what a buffer held before, unterminated

struct CopyCase {
  const char* source;  // null: none
  size_t size;
  std::string text;
  size_t length;
};

TEST(CopyBoundedText, CutsToTheBufferAndTerminates) {
  const CopyCase cases[] = {
      {"abc", 8, "abc", 3},   {"abcdefg", 8, "abcdefg", 7}, {"abcdefgh", 8, "abcdefg", 7},
      {"abc", 1, "", 0},      {"", 8, "", 0},              {nullptr, 8, "", 0},
  };
  for (const CopyCase& c : cases) {
    GuardedBuffer<char, 16> buffer;
    buffer.Fill(kStale);
    EXPECT_EQ(CopyBoundedText(buffer.data(), c.source, c.size), c.length) << c.text;
    EXPECT_EQ(std::string(buffer.data()), c.text);
    EXPECT_TRUE(buffer.UntouchedFrom(c.size, kStale)) << c.text << ": past the buffer";
  }
}

struct AppendCase {
  const char* label;
  std::string before;  // the text already in the buffer
  const char* source;
  size_t size;
  std::string after;
};

TEST(AppendBoundedText, AppendsBehindTheTextWithinTheBuffer) {
  const AppendCase cases[] = {
      // An empty text: everything behind its terminator is stale, not text.
      {"empty buffer", "", "abc", 8, "abc"},
      {"empty buffer, cut", "", "abcdefghij", 8, "abcdefg"},
      {"behind a text", "ab", "cd", 8, "abcd"},
      {"cut to the buffer", "abcd", "efghij", 8, "abcdefg"},
      {"full buffer", "abcdefg", "h", 8, "abcdefg"},
      {"null source", "ab", nullptr, 8, "ab"},
  };
  for (const AppendCase& c : cases) {
    GuardedBuffer<char, 16> buffer;
    buffer.Fill(kStale);
    std::memcpy(buffer.data(), c.before.c_str(), c.before.size() + 1);
    AppendBoundedText(buffer.data(), c.source, c.size);
    EXPECT_EQ(std::string(buffer.data()), c.after) << c.label;
    EXPECT_TRUE(buffer.UntouchedFrom(c.size, kStale)) << c.label << ": past the buffer";
  }
}

TEST(AppendBoundedText, LeavesAnUnterminatedBufferAlone) {
  GuardedBuffer<char, 8> buffer;
  buffer.Fill(kStale);
  AppendBoundedText(buffer.data(), "abc", buffer.size());
  EXPECT_TRUE(buffer.UntouchedFrom(0, kStale));
}

}  // namespace
