#include <winsim/control.h>

#include <climits>
#include <cstring>
#include <string>

#include "language/language_number.h"
#include "language/language_setting.h"
#include "language_test_support.h"
#include "startup_fixture.h"
#include "guarded_buffer.h"

namespace {

using namespace language_test;

// ---- the number as text

struct ParseCase {
  const char* text;
  int expected;
};

TEST(LanguageNumber, ParsesLikeAtoi) {
  const ParseCase cases[] = {
      {"4", 4},          {" 4", 4},           {"\t\n\v\f\r 12", 12}, {"3abc", 3},
      {"abc", 0},        {"", 0},             {"-2", -2},            {"+7", 7},
      {"- 2", 0},        {"--2", 0},          {"+-2", 0},            {"0x10", 0},
      {"007", 7},        {"12 34", 12},       {"2147483647", INT_MAX}, {"-2147483648", INT_MIN},
      {"2147483648", INT_MAX}, {"-99999999999999999999", INT_MIN}, {"\xA0" "5", 0},
  };
  for (const ParseCase& c : cases) {
    EXPECT_EQ(ParseLanguageNumber(c.text), c.expected) << "text \"" << c.text << "\"";
  }
  EXPECT_EQ(ParseLanguageNumber(nullptr), 0);
}

TEST(LanguageNumber, FormatsAsDecimalText) {
  const std::pair<int, const char*> cases[] = {
      {0, "0"}, {5, "5"}, {-2, "-2"}, {20, "20"}, {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}};
  for (const auto& c : cases) {
    GuardedBuffer<char, 12> buffer;
    const size_t length = FormatLanguageNumber(c.first, buffer.data(), buffer.size());
    EXPECT_STREQ(buffer.data(), c.second) << "number " << c.first;
    EXPECT_EQ(length, std::strlen(c.second));
    EXPECT_TRUE(buffer.UntouchedFrom()) << "number " << c.first << ": past the buffer";
  }
}

// ---- the per-user setting

class LanguageSettingTest : public ::testing::Test {
 protected:
  FreshMachine machine;
  const LanguageSetting mainMode{kMainModeKey};
};

TEST_F(LanguageSettingTest, NoKeyReadsEnglish) {
  int stored = -1;
  EXPECT_EQ(mainMode.Read(&stored), 0);
  EXPECT_EQ(stored, 0);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0);
}

TEST_F(LanguageSettingTest, StoredTextIsReadLikeAtoi) {
  const ParseCase cases[] = {{" 4", 4}, {"3abc", 3}, {"abc", 0}, {"", 0}, {"-2", -2}, {"20", 20}};
  for (const ParseCase& c : cases) {
    ASSERT_TRUE(SetUserString(kMainModeKey, "InterfaceLanguage", c.text));
    int stored = -1;
    EXPECT_EQ(mainMode.Read(&stored), c.expected) << "stored \"" << c.text << "\"";
    EXPECT_EQ(stored, 1);
  }
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0);
}

TEST_F(LanguageSettingTest, ValuesThatAreNotTextReadAsEnglish) {
  DWORD number = 4;
  ASSERT_TRUE(SetUserValue(kMainModeKey, "InterfaceLanguage", REG_DWORD, &number, sizeof number));
  EXPECT_EQ(mainMode.Read(), 0);
  const char binary[] = "4";
  ASSERT_TRUE(SetUserValue(kMainModeKey, "InterfaceLanguage", REG_BINARY, binary, sizeof binary));
  EXPECT_EQ(mainMode.Read(), 0);
}

// The product names a key per mode: the start-up's setting follows the mode settled.
TEST_F(LanguageSettingTest, EachModeReadsItsOwnKey) {
  ProductStartup startup;
  ASSERT_TRUE(SetUserString(kFormsModeKey, "InterfaceLanguage", "2"));
  EXPECT_EQ(startup.ModeLanguageSetting().Read(), 0) << "the forms mode's setting is not the main mode's";
  startup.Policy().SettleMode(Mode::Forms);
  EXPECT_EQ(startup.ModeLanguageSetting().Read(), 2);
  startup.ModeLanguageSetting().Write(3);
  EXPECT_EQ(ReadUserValue(kFormsModeKey, "InterfaceLanguage").data, std::string("3\0", 2));
  EXPECT_EQ(ReadUserValue(kMainModeKey, "InterfaceLanguage").type, static_cast<DWORD>(REG_NONE));
}

TEST_F(LanguageSettingTest, WrittenNumberReadsBackAsDecimalText) {
  for (int number : {5, -2, 0, INT_MIN}) {
    mainMode.Write(number);
    EXPECT_EQ(mainMode.Read(), number);
    UserValue stored = ReadUserValue(kMainModeKey, "InterfaceLanguage");
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored.data, std::to_string(number) + std::string(1, '\0')) << "stored with its terminator";
  }
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0);
}

TEST_F(LanguageSettingTest, KeyThatCannotBeOpenedForWritingKeepsTheStoredNumber) {
  ASSERT_TRUE(SetUserString(kMainModeKey, "InterfaceLanguage", "4"));
  winsim::InjectFailure("RegCreateKeyExA", 0, -1, ERROR_ACCESS_DENIED);
  winsim::ClearCalls();
  mainMode.Write(0);
  EXPECT_EQ(winsim::CallCount("RegSetValueExA"), 0);
  EXPECT_EQ(mainMode.Read(), 4);
}

// A mode without a settings key reads English and writes nothing, and the
// root of the user's hive is never opened in its place.
TEST_F(LanguageSettingTest, ModeWithoutKeyOpensNothing) {
  for (const char* keyPath : {static_cast<const char*>(nullptr), ""}) {
    winsim::ClearCalls();
    const LanguageSetting none(keyPath);
    int stored = -1;
    EXPECT_EQ(none.Read(&stored), 0);
    EXPECT_EQ(stored, 0);
    none.Write(7);
    EXPECT_EQ(winsim::CallCount("RegOpenKeyExA"), 0);
    EXPECT_EQ(winsim::CallCount("RegCreateKeyExA"), 0);
    EXPECT_EQ(winsim::CallCount("RegSetValueExA"), 0);
  }
  ProductStartup startup;
  startup.Policy().SettleMode(Mode::Third);
  EXPECT_EQ(startup.UserSettingsKeyPath(), nullptr);
}

}  // namespace
