// The probe as a support engineer uses it: the report's verdict
// ("problems") apart from what the switches asked ("notes"), the warning for
// a library outside the probe's folder, and the indented report a person
// reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "probe_session.h"
#include "system_message.h"

namespace {

std::vector<std::string> Texts(const JsonValue& array) {
  std::vector<std::string> texts;
  for (const JsonValue& item : array.items) texts.push_back(item.text);
  return texts;
}

std::vector<std::string> Problems(const ProbeResult& run) { return Texts(run.report["problems"]); }

// Imports one value line under the machine's product key, as an
// administrator's .reg file would bring it, into this build's registry view.
void ImportDisableForms(const InstallFolder& install, const std::string& valueLine) {
  const std::string path = install.File("setting.reg");
  const std::string text = "Windows Registry Editor Version 5.00\r\n\r\n"
                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellix\\Tarvex\\4.0]\r\n" +
                           valueLine + "\r\n";
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  ProbeResult imported = RunProcess("reg.exe import \"" + path + "\" " + OwnRegistryView(), 60000);
  ASSERT_EQ(imported.exitCode, 0u) << imported.out << imported.err;
}

class SupportE2eTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProductRegistry(); }
  void TearDown() override { ResetProductRegistry(); }
};

TEST_F(SupportE2eTest, ProblemsNameTheCause) {
  struct ProblemCase {
    const char* folder;
    std::vector<int> languages;
    bool decoyAsEnglish;  // a resource library without the mode dialog
    const char* switches;
    std::vector<std::string> problems;  // "{host}" stands for the probe's full name
  };
  const ProblemCase cases[] = {
      {"support-clean", {0}, false, "/standard", {}},
      {"support-no-resources", {}, false, "",
       {"no resource library was loaded: OxaRes0.dll is not beside {host}",
        "the mode dialog could not be shown: no resource library was loaded, and dialog 152 comes from it",
        "no logo: no resource library was loaded, and the logo's bitmap SVGA_LOGO_ZOLT comes from it"}},
      {"support-no-dialog", {}, true, "",
       {"the mode dialog could not be shown: the resource library has no dialog template 152"}},
      {"support-nologo", {0}, false, "/NoLogo", {}},
  };
  for (const ProblemCase& c : cases) {
    SCOPED_TRACE(c.folder);
    InstallFolder install(c.folder, c.languages);
    if (c.decoyAsEnglish) {
      ASSERT_TRUE(CopyFileA(FakeResourceLibrary("fake_decoy").c_str(), install.File("OxaRes0.dll").c_str(), FALSE));
    }
    ProbeResult run = install.Run(c.switches);
    ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
    std::vector<std::string> expected;
    for (std::string problem : c.problems) {
      const size_t at = problem.find("{host}");
      if (at != std::string::npos) problem.replace(at, 6, install.File("startup-probe.exe"));
      expected.push_back(problem);
    }
    EXPECT_EQ(Problems(run), expected) << run.out;
  }
}

// A logo the command line kept away is as asked: told apart from the faults.
TEST_F(SupportE2eTest, SwitchesThatKeepTheLogoAwayAreNotes) {
  InstallFolder install("support-notes", {0});
  const struct {
    const char* switches;
    std::vector<std::string> notes;
  } cases[] = {
      {"/NoLogo", {"no logo: the NOLOGO switch"}},
      {"-automation", {"no logo: the AUTOMATION switch"}},
      {"/standard", {}},
  };
  for (const auto& c : cases) {
    ProbeResult run = install.Run(c.switches);
    ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
    EXPECT_EQ(Texts(run.report["notes"]), c.notes) << c.switches;
    EXPECT_TRUE(Problems(run).empty()) << run.out;
  }
}

// "DisableForms" holding anything but "0" or a text beginning with "1" leaves
// forms enabled, whatever its author meant: the probe says so.
TEST_F(SupportE2eTest, DisableFormsThatDisablesNothingIsAProblem) {
  InstallFolder install("support-disable-forms", {0});
  const std::string found = std::string("\"DisableForms\" in HKLM\\SOFTWARE\\Pellix\\Tarvex\\4.0 (") +
                            (sizeof(void*) == 8 ? "64-bit" : "32-bit") + " registry view) ";
  const struct {
    const char* value;
    int edition;
    const char* how;  // nullptr: no problem
  } cases[] = {
      {"\"DisableForms\"=\"1\"", 14, nullptr},
      {"\"DisableForms\"=\"0\"", 15, nullptr},
      {"\"DisableForms\"=\"yes\"", 15, "begins with \"y\""},
      {"\"DisableForms\"=\" 1\"", 15, "begins with byte 0x20"},
      // "1" as an editor that writes a byte-order mark first saves it.
      {"\"DisableForms\"=hex(1):ef,bb,bf,31,00", 15, "begins with byte 0xEF (a UTF-8 byte-order mark, EF BB BF)"},
      {"\"DisableForms\"=dword:00000001", 15, "is not text"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    ResetProductRegistry();
    ImportDisableForms(install, c.value);
    ProbeResult run = install.Run("/nologo");
    ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
    EXPECT_EQ(run.report["edition"].number, c.edition);
    std::vector<std::string> expected;
    if (c.how) {
      expected.push_back("forms stay enabled: " + found + c.how +
                         "; only a text beginning with \"1\" disables them (\"0\" enables them)");
    }
    EXPECT_EQ(Problems(run), expected) << run.out;
  }
}

// A library the probe cannot load is named by file, never by an unfilled
// "%1", and one of the other build's bitness points at that build's probe.
TEST_F(SupportE2eTest, ALibraryOfTheOtherBitnessNamesTheProbeToUse) {
  const bool wide = sizeof(void*) == 8;
  // Built for the test with the other compiler: it is read, never run.
  const std::string otherBuilds = FakeResourceLibrary("other_bitness");
  const struct {
    const char* what;
    std::string source;  // copied as TarvexLogo.dll; empty: a text file instead
    std::string hint;
  } cases[] = {
      {"the other build's library", otherBuilds,
       wide ? ": the library is 32-bit and this probe 64-bit; run the 32-bit probe, startup-probe.exe of bin\\x86"
            : ": the library is 64-bit and this probe 32-bit; run the 64-bit probe, startup-probe.exe of bin\\x64"},
      {"no library at all", "", ": the file is no Windows library for x86 or x64"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    InstallFolder install("support-wrong-image", {0});
    const std::string library = install.File("TarvexLogo.dll");
    if (c.source.empty()) {
      HANDLE file = CreateFileA(library.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      ASSERT_NE(file, INVALID_HANDLE_VALUE);
      DWORD written = 0;
      WriteFile(file, "MZ but nothing more", 19, &written, nullptr);
      CloseHandle(file);
    } else {
      ASSERT_TRUE(CopyFileA(c.source.c_str(), library.c_str(), FALSE)) << GetLastError();
    }
    ProbeResult run = install.Run("/nologo");
    EXPECT_EQ(run.exitCode, 1u) << run.out << run.err;
    const std::vector<std::string> problems = Problems(run);
    ASSERT_EQ(problems.size(), 1u) << run.out;
    const std::string& problem = problems[0];
    EXPECT_EQ(problem.find('%'), std::string::npos) << problem;
    const std::string start = "the start-up library " + library + " could not be loaded: ";
    EXPECT_EQ(problem.compare(0, start.size(), start), 0) << problem;
    EXPECT_NE(problem.find("TarvexLogo.dll", start.size()), std::string::npos) << problem;
    const std::string end = " (error 193)" + c.hint;
    ASSERT_GT(problem.size(), end.size());
    EXPECT_EQ(problem.substr(problem.size() - end.size()), end);
  }
}

// The library is the user's, the probe is not beside it: the resource
// library the probe's folder holds is the one that loads, and the report says so.
TEST_F(SupportE2eTest, LibraryOutsideTheProbesFolderIsWarnedOnce) {
  InstallFolder user("support-user-install", {});
  InstallFolder probe("support-probe", {0});
  ProbeResult run = probe.Run("--library \"" + user.File("TarvexLogo.dll") + "\" /standard");
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  EXPECT_EQ(run.report["resourceLibraryFolder"].text, probe.Path() + "\\");
  int warnings = 0;
  for (const JsonValue& event : run.events) warnings += event["event"].text == "warning";
  EXPECT_EQ(warnings, 1) << run.err;
  const std::vector<std::string> problems = Problems(run);
  ASSERT_FALSE(problems.empty()) << run.out;
  EXPECT_EQ(problems[0], "the resource library was looked for beside the probe, in " + probe.Path() +
                             "\\, not beside " + user.File("TarvexLogo.dll") +
                             ": copy startup-probe.exe into the application's folder to check that installation");
  // stderr carries the documented events only, no second copy of the diagnostics.
  for (const JsonValue& event : run.events) EXPECT_NE(event["event"].text, "diagnostic");
}

TEST_F(SupportE2eTest, PrettyReportReadsBackAsTheSameReport) {
  InstallFolder install("support-pretty", {0});
  ProbeResult compact = install.Run("/standard --close-logo");
  ProbeResult pretty = install.Run("/standard --close-logo --pretty");
  ASSERT_EQ(pretty.exitCode, 0u) << pretty.out << pretty.err;
  ASSERT_EQ(pretty.report.kind, JsonValue::kObject) << pretty.out;
  EXPECT_GT(std::count(pretty.out.begin(), pretty.out.end(), '\n'), 40);
  EXPECT_EQ(pretty.out.back(), '\n');
  EXPECT_EQ(compact.out.back(), '\n');
  EXPECT_EQ(std::count(compact.out.begin(), compact.out.end(), '\n'), 1);
  for (const char* field : {"mode", "edition", "version"}) {
    EXPECT_EQ(pretty.report[field].number, compact.report[field].number) << field;
  }
  const JsonValue& logo = pretty.report["logoWindow"];
  ASSERT_FALSE(logo.IsNull()) << pretty.out;
  EXPECT_EQ(logo["styleHex"].text, "0x94400000");
  std::vector<std::string> names;
  for (const JsonValue& name : logo["styleNames"].items) names.push_back(name.text);
  EXPECT_EQ(names, (std::vector<std::string>{"WS_POPUP", "WS_VISIBLE", "WS_CLIPSIBLINGS", "WS_DLGFRAME"}));
  EXPECT_EQ(pretty.report["productModules"].items.size(), 2u) << "the library and its resource library";
}

// The system's texts as the probe hands them on: the file's name for %1,
// nothing for inserts it has no argument for, and never a byte past the text.
TEST(SystemMessageInsertsTest, FirstInsertIsTheFileNameAndOthersAreLeftOut) {
  const struct {
    const char* text;
    const char* filled;
  } cases[] = {
      {"Bad EXE format for %1", "Bad EXE format for x.dll"},
      {"%1 is not a valid Win32 application", "x.dll is not a valid Win32 application"},
      {"%2!d! of %1 (%3)", " of x.dll ()"},
      {"%10 and %1", " and x.dll"},
      {"%2!unclosed", "!unclosed"},
      {"100% and %", "100% and %"},
      {"%", "%"},
  };
  for (const auto& c : cases) EXPECT_EQ(FillInserts(c.text, "x.dll"), c.filled) << c.text;
}

}  // namespace
