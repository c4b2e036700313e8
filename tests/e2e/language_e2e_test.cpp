// The interface language under Wine: the resource library of the configured
// language, and the code-page check with Wine's ANSI code page taken from the
// locale (the CodePage1251 and CodePage1257 tests run in sessions of their own
// with LC_ALL set).
#include <gtest/gtest.h>

#include <algorithm>

#include "probe_session.h"

namespace {

const char kMainModeKey[] = "Software\\Vornek\\Tarvex4\\Helmex";
const char kQuestion[] =
    "The selected interface language is not supported in current code page of the system.\n"
    "Do you want to change interface language to English?";
const char kStop[] = "The selected interface language is not supported in current code page of the system.";

// Which OxaRes<N>.dll the run had loaded, or "" when none.
std::string LoadedResourceLibrary(const ProbeResult& run) {
  for (const JsonValue& module : run.report["modules"].items) {
    std::string name = module.text.substr(module.text.find_last_of('\\') + 1);
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
    if (upper.compare(0, 6, "OXARES") == 0) return name;
  }
  return "";
}

class LanguageE2eTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProductRegistry(); }
  void TearDown() override { ResetProductRegistry(); }
};

TEST_F(LanguageE2eTest, TheConfiguredLanguagesLibraryIsLoaded) {
  InstallFolder install("language-configured", {0, 1, 2});
  for (const char* language : {"0", "2"}) {
    WriteRegistryString(HKEY_CURRENT_USER, kMainModeKey, "InterfaceLanguage", language);
    ProbeResult run = install.Run("/nologo");
    ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
    EXPECT_EQ(run.report["ansiCodePage"].number, 1252);
    EXPECT_EQ(LoadedResourceLibrary(run), std::string("OxaRes") + language + ".dll");
    EXPECT_TRUE(run.report["messageBoxes"].items.empty()) << run.out;
  }
}

TEST_F(LanguageE2eTest, AMissingLibraryFallsBackQuietly) {
  InstallFolder install("language-missing", {0});
  WriteRegistryString(HKEY_CURRENT_USER, kMainModeKey, "InterfaceLanguage", "7");
  ProbeResult run = install.Run("/nologo");
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  EXPECT_EQ(LoadedResourceLibrary(run), "");
  EXPECT_TRUE(run.report["messageBoxes"].items.empty());
}

TEST_F(LanguageE2eTest, CodePage1251QuestionAnsweredYesSwitchesToEnglish) {
  InstallFolder install("language-1251-yes", {0, 1, 2});
  WriteRegistryString(HKEY_CURRENT_USER, kMainModeKey, "InterfaceLanguage", "2");
  ProbeResult run = install.Run("/nologo --answer 6");
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  ASSERT_EQ(run.report["ansiCodePage"].number, 1251) << "this test needs LC_ALL=ru_RU.UTF-8";
  const JsonValue& boxes = run.report["messageBoxes"];
  ASSERT_EQ(boxes.items.size(), 1u) << run.out;
  EXPECT_EQ(boxes[0]["text"].text, kQuestion);
  EXPECT_EQ(boxes[0]["caption"].text, "Tarvex 4.0");
  EXPECT_EQ(boxes[0]["style"].number, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kMainModeKey, "InterfaceLanguage"), "0");
  EXPECT_EQ(LoadedResourceLibrary(run), "OxaRes0.dll");
}

TEST_F(LanguageE2eTest, CodePage1251QuestionAnsweredNoKeepsTheLanguage) {
  InstallFolder install("language-1251-no", {0, 2});
  WriteRegistryString(HKEY_CURRENT_USER, kMainModeKey, "InterfaceLanguage", "2");
  ProbeResult run = install.Run("/nologo --answer 7");
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  EXPECT_EQ(run.report["messageBoxes"].items.size(), 1u);
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kMainModeKey, "InterfaceLanguage"), "2");
  EXPECT_EQ(LoadedResourceLibrary(run), "OxaRes2.dll");
}

TEST_F(LanguageE2eTest, CodePage1251WithoutEnglishShowsTheStopMessage) {
  InstallFolder install("language-1251-no-english", {2});
  WriteRegistryString(HKEY_CURRENT_USER, kMainModeKey, "InterfaceLanguage", "2");
  ProbeResult run = install.Run("/nologo --answer 1");
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  const JsonValue& boxes = run.report["messageBoxes"];
  ASSERT_EQ(boxes.items.size(), 1u) << run.out;
  EXPECT_EQ(boxes[0]["text"].text, kStop);
  EXPECT_EQ(boxes[0]["caption"].text, "Tarvex 4.0");
  EXPECT_EQ(boxes[0]["style"].number, MB_OK | MB_ICONHAND);
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kMainModeKey, "InterfaceLanguage"), "2");
  EXPECT_EQ(LoadedResourceLibrary(run), "OxaRes2.dll");
}

TEST_F(LanguageE2eTest, CodePage1251SuitsTheCyrillicLanguage) {
  InstallFolder install("language-1251-cyrillic", {0, 1});
  WriteRegistryString(HKEY_CURRENT_USER, kMainModeKey, "InterfaceLanguage", "1");
  ProbeResult run = install.Run("/nologo");
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  EXPECT_TRUE(run.report["messageBoxes"].items.empty()) << run.out;
  EXPECT_EQ(LoadedResourceLibrary(run), "OxaRes1.dll");
}

TEST_F(LanguageE2eTest, CodePage1257SuitsLanguage20AndRefusesTheCyrillicOne) {
  InstallFolder install("language-1257", {0, 1});
  WriteRegistryString(HKEY_CURRENT_USER, kMainModeKey, "InterfaceLanguage", "20");
  ProbeResult baltic = install.Run("/nologo");
  ASSERT_EQ(baltic.exitCode, 0u) << baltic.out << baltic.err;
  ASSERT_EQ(baltic.report["ansiCodePage"].number, 1257) << "this test needs LC_ALL=lt_LT.UTF-8";
  EXPECT_TRUE(baltic.report["messageBoxes"].items.empty()) << baltic.out;

  WriteRegistryString(HKEY_CURRENT_USER, kMainModeKey, "InterfaceLanguage", "1");
  ProbeResult cyrillic = install.Run("/nologo --answer 7");
  ASSERT_EQ(cyrillic.exitCode, 0u) << cyrillic.out << cyrillic.err;
  EXPECT_EQ(cyrillic.report["messageBoxes"].items.size(), 1u) << cyrillic.out;
}

}  // namespace
