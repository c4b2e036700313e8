#include <winsim/control.h>

#include <climits>
#include <string>

#include "language/code_page_check.h"
#include "language/language_setting.h"
#include "language/resource_library.h"
#include "language_test_support.h"
#include "startup_fixture.h"

namespace {

using namespace language_test;

constexpr char kNotSupported[] =
    "The selected interface language is not supported in current code page of the system.";
constexpr char kOfferEnglish[] =
    "The selected interface language is not supported in current code page of the system.\n"
    "Do you want to change interface language to English?";

TEST(RequiredCodePage, FollowsTheLanguageTable) {
  const std::pair<int, UINT> cases[] = {
      {0, 0},       {1, 1251}, {2, 1252}, {3, 1252},  {4, 1251}, {5, 0},       {19, 0},
      {20, 1257},   {21, 0},   {-1, 0},   {-20, 0},   {INT_MAX, 0}, {INT_MIN, 0}, {1251, 0}};
  for (const auto& c : cases) EXPECT_EQ(RequiredCodePage(c.first), c.second) << "language " << c.first;
}

struct CheckCase {
  int language;
  UINT systemCodePage;
  bool mismatch;
};

// The check with the main mode's setting and the resource library as the
// start has them before any library is loaded.
class CodePageCheckTest : public ::testing::Test {
 protected:
  void SetUp() override { resources.Attach(MappedLibrary(), "OxaRes"); }
  int Check(int language) { return CheckCodePage(language, resources, LanguageSetting(kMainModeKey)); }
  FreshMachine machine;
  ResourceLibrary resources;
};

TEST_F(CodePageCheckTest, ReportsOnlyALanguageTheSystemCannotShow) {
  const CheckCase cases[] = {
      {1, 1251, false}, {1, 1252, true},  {4, 1251, false}, {4, 1257, true},  {2, 1252, false},
      {2, 1251, true},  {3, 1252, false}, {3, 932, true},   {20, 1257, false}, {20, 1252, true},
      {0, 932, false},  {0, 1251, false}, {5, 1251, false}, {19, 1252, false}, {21, 1257, false},
      {-2, 1251, false}, {-1, 1252, false}};
  for (const CheckCase& c : cases) {
    winsim::Reset();
    winsim::SetAnsiCodePage(c.systemCodePage);
    winsim::QueueMessageBoxAnswer(IDOK);
    EXPECT_EQ(Check(c.language), c.language);
    EXPECT_EQ(winsim::MessageBoxes().size(), c.mismatch ? 1u : 0u)
        << "language " << c.language << " on code page " << c.systemCodePage;
  }
}

TEST_F(CodePageCheckTest, WithoutEnglishLibraryOnlyTells) {
  ASSERT_TRUE(SetUserString(kMainModeKey, "InterfaceLanguage", "1"));
  winsim::SetAnsiCodePage(1252);
  winsim::ClearCalls();
  EXPECT_EQ(Check(1), 1);
  ASSERT_EQ(winsim::MessageBoxes().size(), 1u);
  const winsim::MessageBoxRecord& box = winsim::MessageBoxes()[0];
  EXPECT_EQ(box.text, kNotSupported);
  EXPECT_EQ(box.caption, "Tarvex 4.0");
  EXPECT_EQ(box.style, static_cast<UINT>(MB_ICONHAND | MB_OK));
  EXPECT_EQ(box.owner, nullptr);
  EXPECT_EQ(winsim::CallCount("RegCreateKeyExA"), 0);
  EXPECT_EQ(ReadUserValue(kMainModeKey, "InterfaceLanguage").data, std::string("1\0", 2));
}

struct AnswerCase {
  const char* name;
  bool failBox;
  int answer;
  bool switches;
};

class CodePageOfferTest : public CodePageCheckTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(CodePageOfferTest, OnlyYesSwitchesToEnglish) {
  const AnswerCase& c = GetParam();
  ASSERT_TRUE(SetUserString(kMainModeKey, "InterfaceLanguage", "2"));
  winsim::AddModuleFile(kEnglishLibrary, ResourceLibraryImage("Title EN", "Clock EN"));
  winsim::SetAnsiCodePage(1251);
  if (c.failBox) winsim::InjectFailure("MessageBoxA");
  winsim::QueueMessageBoxAnswer(c.answer);
  winsim::ClearCalls();

  EXPECT_EQ(Check(2), c.switches ? 0 : 2);

  if (!c.failBox) {
    ASSERT_EQ(winsim::MessageBoxes().size(), 1u);
    const winsim::MessageBoxRecord& box = winsim::MessageBoxes()[0];
    EXPECT_EQ(box.text, kOfferEnglish);
    EXPECT_EQ(box.caption, "Tarvex 4.0");
    EXPECT_EQ(box.style, static_cast<UINT>(MB_ICONQUESTION | MB_YESNO));
  }
  EXPECT_EQ(ReadUserValue(kMainModeKey, "InterfaceLanguage").data, std::string(c.switches ? "0" : "2") + '\0');
  if (!c.switches) {
    EXPECT_EQ(winsim::CallCount("RegSetValueExA"), 0);
  }
  EXPECT_EQ(winsim::CallCount("LoadLibraryW"), 0) << "the check only looks for the file";
}

INSTANTIATE_TEST_SUITE_P(Answers, CodePageOfferTest,
                         ::testing::Values(AnswerCase{"Yes", false, IDYES, true},
                                           AnswerCase{"No", false, IDNO, false},
                                           AnswerCase{"NoBoxShown", true, IDYES, false}),
                         [](const ::testing::TestParamInfo<AnswerCase>& info) { return info.param.name; });

// ---- the whole start: check, load, and the second reading under the settled mode

class FormsModeStartup : public ProductStartup {
 public:
  Edition QueryEdition() override { return Edition::Zolt; }
  Mode QueryMode() override { return Mode::Forms; }
};

class LanguageAtStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winsim::SetCommandLine("\"C:\\Program Files\\Tarvex\\host.exe\" /nologo");
    winsim::AddModuleFile(LibraryPathFor(0), ResourceLibraryImage("Title EN", "Clock EN"));
    winsim::AddModuleFile(LibraryPathFor(1), ResourceLibraryImage("Title RU", "Clock RU"));
    winsim::AddModuleFile(LibraryPathFor(2), ResourceLibraryImage("Titel DE", "Uhr DE"));
  }
  FreshMachine machine;
  FormsModeStartup startup;
  HMODULE ownModule = winsim::AddLoadedModule("C:\\Program Files\\Tarvex\\TarvexLogo.dll");
};

TEST_F(LanguageAtStartTest, SettledModeWithAnotherLanguageReloads) {
  ASSERT_TRUE(SetUserString(kMainModeKey, "InterfaceLanguage", "0"));
  ASSERT_TRUE(SetUserString(kFormsModeKey, "InterfaceLanguage", "2"));
  startup.OnProcessAttach(ownModule);
  EXPECT_EQ(startup.Policy().GetMode(), Mode::Forms);
  EXPECT_EQ(startup.Resources().Language(), 2);
  EXPECT_STREQ(startup.Resources().Title(), "Titel DE");
  EXPECT_EQ(winsim::LoadedLibraryPaths(), std::vector<std::string>{LibraryPathFor(2)});
  EXPECT_EQ(winsim::CallCount("LoadLibraryW"), 2);
  startup.OnProcessDetach();
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Module), 0);
}

TEST_F(LanguageAtStartTest, SettledModeWithTheSameLanguageKeepsTheLibrary) {
  ASSERT_TRUE(SetUserString(kMainModeKey, "InterfaceLanguage", "2"));
  ASSERT_TRUE(SetUserString(kFormsModeKey, "InterfaceLanguage", "2"));
  startup.OnProcessAttach(ownModule);
  EXPECT_STREQ(startup.Resources().Title(), "Titel DE");
  EXPECT_EQ(winsim::CallCount("LoadLibraryW"), 1);
  EXPECT_EQ(winsim::CallCount("FreeLibrary"), 0);
  startup.OnProcessDetach();
}

TEST_F(LanguageAtStartTest, YesToEnglishLoadsEnglishAndTheNextStartAsksNothing) {
  ASSERT_TRUE(SetUserString(kMainModeKey, "InterfaceLanguage", "1"));
  ASSERT_TRUE(SetUserString(kFormsModeKey, "InterfaceLanguage", "0"));
  winsim::SetAnsiCodePage(1252);
  winsim::QueueMessageBoxAnswer(IDYES);
  startup.OnProcessAttach(ownModule);
  ASSERT_EQ(winsim::MessageBoxes().size(), 1u);
  EXPECT_EQ(winsim::MessageBoxes()[0].caption, "Tarvex 4.0");
  EXPECT_STREQ(startup.Resources().Title(), "Title EN");
  EXPECT_EQ(startup.Resources().Language(), 0);
  EXPECT_EQ(ReadUserValue(kMainModeKey, "InterfaceLanguage").data, std::string("0\0", 2));
  startup.OnProcessDetach();

  FormsModeStartup nextStart;
  nextStart.OnProcessAttach(ownModule);
  EXPECT_EQ(winsim::MessageBoxes().size(), 1u) << "no second question";
  nextStart.OnProcessDetach();
}

// When "0" cannot be stored, English serves until the settled mode's own
// setting is read.
TEST_F(LanguageAtStartTest, YesThatCannotBeStoredStillLoadsEnglishFirst) {
  ASSERT_TRUE(SetUserString(kMainModeKey, "InterfaceLanguage", "1"));
  ASSERT_TRUE(SetUserString(kFormsModeKey, "InterfaceLanguage", "1"));
  winsim::SetAnsiCodePage(1252);
  winsim::QueueMessageBoxAnswer(IDYES);
  winsim::InjectFailure("RegCreateKeyExA", 0, -1, ERROR_ACCESS_DENIED);
  startup.OnProcessAttach(ownModule);
  EXPECT_EQ(winsim::CallCount("LoadLibraryW"), 2);
  EXPECT_EQ(startup.Resources().Language(), 1);
  EXPECT_STREQ(startup.Resources().Title(), "Title RU");
  startup.OnProcessDetach();
}

}  // namespace
