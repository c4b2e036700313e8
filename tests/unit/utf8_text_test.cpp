// UTF-16 names written as UTF-8 for the diagnostics lines: whole, cut at a
// character's end, and long file names kept readable at both ends.
#include "utf8_text.h"
#include "guarded_buffer.h"

#include <gtest/gtest.h>
#include <winsim/control.h>

#include <cstring>
#include <string>

namespace {


struct Utf8Case {
  std::u16string text;
  size_t size;
  std::string expected;
  int whole;
};

TEST(CopyUtf16AsUtf8, WritesWholeCharactersOnlyAndTerminates) {
  const Utf8Case cases[] = {
      {u"C:\\app", 16, "C:\\app", 1},
      {u"Программы", 32, "Программы", 1},
      {u"程序", 7, "程序", 1},
      {u"程序", 6, "程", 0},                           // the second character needs 3 more bytes
      {u"\U0001F4C1x", 5, "\xF0\x9F\x93\x81", 0},      // a pair is one character of 4 bytes
      {u"\U0001F4C1", 4, "", 0},                       // never half of it
      {std::u16string(1, char16_t(0xD800)) + u"a", 8, "\xEF\xBF\xBD" "a", 1},  // unpaired surrogates
      {std::u16string(1, char16_t(0xDC00)), 8, "\xEF\xBF\xBD", 1},
      {u"abc", 1, "", 0},
      {u"abc", 4, "abc", 1},                           // exactly full
      {u"a", 2, "a", 1},
      {u"\U00010000", 5, "\xF0\x90\x80\x80", 1},        // the first code point past U+FFFF
      {u"\uFFFF", 4, "\xEF\xBF\xBF", 1},                 // the last one below it
      {u"\u007F\u0080", 4, "\x7F\xC2\x80", 1},            // one byte, then two
      {u"\u07FF", 3, "\xDF\xBF", 1},                      // the last of two bytes
      {u"\u0800", 4, "\xE0\xA0\x80", 1},                  // the first of three
      {u"\u0800", 3, "", 0},
      // The surrogate ranges' edges: D800-DBFF lead, DC00-DFFF follow, and
      // the units just outside them are characters of their own.
      {u"\U0010FFFF", 5, "\xF4\x8F\xBF\xBF", 1},
      {u"\uD7FF\uE000", 7, "\xED\x9F\xBF\xEE\x80\x80", 1},
      {std::u16string(1, char16_t(0xDFFF)), 4, "\xEF\xBF\xBD", 1},
      {std::u16string(1, char16_t(0xDBFF)), 4, "\xEF\xBF\xBD", 1},  // a lead at the end
      {std::u16string{char16_t(0xD800), char16_t(0xD800), char16_t(0xDC00)}, 8,
       "\xEF\xBF\xBD\xF0\x90\x80\x80", 1},  // a lead before a lead
      {std::u16string{char16_t(0xDBFF), char16_t(0xE000)}, 8, "\xEF\xBF\xBD\xEE\x80\x80", 1},
  };
  for (const Utf8Case& c : cases) {
    GuardedBuffer<char, 64> buffer;
    EXPECT_EQ(CopyUtf16AsUtf8(buffer.data(), c.size, c.text.c_str()), c.whole) << winsim::Utf8(c.text);
    EXPECT_EQ(std::string(buffer.data()), c.expected) << winsim::Utf8(c.text);
    EXPECT_TRUE(buffer.UntouchedFrom(c.size)) << winsim::Utf8(c.text);
  }
  char buffer[4] = "xx";
  EXPECT_EQ(CopyUtf16AsUtf8(buffer, sizeof buffer, nullptr), 1);
  EXPECT_STREQ(buffer, "");
}

TEST(CopyPathAsUtf8, LongNameKeepsItsBeginningAndItsFileName) {
  const std::u16string path = u"C:\\Программы\\" + std::u16string(300, u'д') + u"\\OxaRes0.dll";
  GuardedBuffer<char, 64> buffer;
  CopyPathAsUtf8(buffer.data(), 64, path.c_str());
  const std::string text = buffer.data();
  EXPECT_LE(text.size(), 63u);
  EXPECT_EQ(text.compare(0, 3, "C:\\"), 0) << text;
  EXPECT_NE(text.find("..."), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - 12), "\\OxaRes0.dll") << text;
  EXPECT_EQ(winsim::Utf8(winsim::Utf16(text)), text) << "only whole characters";
  EXPECT_TRUE(buffer.UntouchedFrom());

  // The end takes half the room, the beginning what "..." leaves; the 36
  // characters fit in 37 bytes and not in 36.
  const struct {
    size_t size;
    const char* expected;
  } cuts[] = {
      {20, "C:\\abcd...aRes0.dll"},
      {19, "C:\\abc...aRes0.dll"},
      {36, "C:\\abcdefghij\\k...pqrst\\OxaRes0.dll"},
      {37, "C:\\abcdefghij\\klmnopqrst\\OxaRes0.dll"},
  };
  for (const auto& cut : cuts) {
    buffer.Fill(GuardedBuffer<char, 64>::kSentinel);
    CopyPathAsUtf8(buffer.data(), cut.size, u"C:\\abcdefghij\\klmnopqrst\\OxaRes0.dll");
    EXPECT_STREQ(buffer.data(), cut.expected) << cut.size;
    EXPECT_TRUE(buffer.UntouchedFrom(cut.size)) << cut.size;
  }

  CopyPathAsUtf8(buffer.data(), 64, u"C:\\Программы\\OxaRes0.dll");
  EXPECT_STREQ(buffer.data(), "C:\\Программы\\OxaRes0.dll") << "a name that fits is whole";
}

// Wherever the kept end begins, it begins with a whole character: a name of
// characters past U+FFFF is never cut between the two halves of one.
TEST(CopyPathAsUtf8, TheKeptEndNeverStartsInsideASurrogatePair) {
  // The first and the last character past U+FFFF, and one between.
  const std::pair<std::u16string, std::string> characters[] = {{u"\U00010000", "\xF0\x90\x80\x80"},
                                                               {u"\U0001F4C1", "\xF0\x9F\x93\x81"},
                                                               {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"}};
  for (const auto& character : characters) {
    std::u16string path = u"C:\\" + std::u16string(100, u'a') + u"\\";
    for (int i = 0; i < 20; ++i) path += character.first;
    for (size_t size : {size_t{61}, size_t{62}, size_t{63}, size_t{64}}) {
      char buffer[64];
      CopyPathAsUtf8(buffer, size, path.c_str());
      const std::string text = buffer;
      EXPECT_EQ(text.find("\xEF\xBF\xBD"), std::string::npos) << "half a pair kept, size " << size << ": " << text;
      EXPECT_EQ(text.substr(text.size() - 4), character.second) << size;
      EXPECT_EQ(winsim::Utf8(winsim::Utf16(text)), text) << size;
    }
  }
}

}  // namespace
