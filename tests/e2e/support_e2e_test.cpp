// The probe as a support engineer uses it: the report's verdict
// ("problems"), the warning for a library outside the probe's folder, and the
// indented report a person reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "probe_session.h"

namespace {

std::vector<std::string> Problems(const ProbeResult& run) {
  std::vector<std::string> problems;
  for (const JsonValue& problem : run.report["problems"].items) problems.push_back(problem.text);
  return problems;
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
      {"support-nologo", {0}, false, "/NoLogo", {"no logo: the NOLOGO switch"}},
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

}  // namespace
