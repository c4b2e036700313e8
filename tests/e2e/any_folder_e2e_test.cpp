// A host installed in a folder named in any script, or whose full name passes
// 260 characters: the resource library beside it is found by its wide name,
// and its title, logo and mode dialog serve. The CodePage1251 case runs in a
// session of its own with a generated ru_RU.UTF-8 locale, so that Wine reads
// UTF-8 file names under code page 1251; the LongFolder case is run by
// long_folder_run.sh.
#include <gtest/gtest.h>

#include <string>

#include "probe_session.h"
#include "wide_text.h"

namespace {

// An environment variable in UTF-8, or "".
std::string Environment(const char* name) {
  wchar_t value[32768];
  const DWORD length = GetEnvironmentVariableW(Utf16(name).c_str(), value, 32768);
  return length > 0 && length < 32768 ? Utf8(std::wstring(value, length)) : std::string();
}

class AnyFolderE2eTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProductRegistry(); }
  void TearDown() override { ResetProductRegistry(); }

  // Runs the probe from `install`, answers the dialog with the forms mode,
  // and checks that OxaRes0.dll beside it supplied the title, the logo and
  // the dialog.
  static ProbeResult ExpectResourcesFrom(const InstallFolder& install) {
    ProbeResult run = install.Run("--dialog-click 392 --expect-bitmap SVGA_LOGO_PELTRA");
    EXPECT_EQ(run.exitCode, 0u) << run.out << run.err;
    const std::vector<std::string> libraries = LoadedResourceLibraryPaths(run);
    EXPECT_EQ(libraries, std::vector<std::string>{install.File("OxaRes0.dll")}) << run.out;
    EXPECT_EQ(run.report["library"].text, install.File("TarvexLogo.dll"));
    const JsonValue& dialog = run.report["modeDialog"];
    EXPECT_FALSE(dialog.IsNull()) << "no mode dialog: " << run.out;
    EXPECT_FALSE(dialog["caption"].text.empty()) << run.out;
    EXPECT_EQ(run.report["mode"].number, 1) << "a click on 392 gives the forms mode";
    EXPECT_EQ(run.report["productKeyName"].text, "Brindo4");
    const JsonValue& logo = run.report["logoWindow"];
    EXPECT_FALSE(logo.IsNull()) << "no logo: " << run.out;
    EXPECT_EQ(logo["text"].text, ResourceLibraryTitle(0));
    EXPECT_GE(logo["bitmapMatchPercent"].number, 95) << run.out;
    return run;
  }

  // True when a diagnostics line names `text`, as the channel the probe read
  // carries it: the ANSI one has '?' for what the code page lacks.
  static bool DiagnosticsName(const ProbeResult& run, const std::string& text) {
    const std::string named = run.report["diagnosticsChannel"].text == "unicode" ? text : AsAnsiChannelCarries(text);
    for (const JsonValue& line : run.report["diagnostics"].items) {
      if (line.text.find(named) != std::string::npos) return true;
    }
    return false;
  }

  // `text` (UTF-8) through the ANSI code page and back.
  static std::string AsAnsiChannelCarries(const std::string& text) {
    const std::string ansi = AnsiText(text);
    std::wstring wide(ansi.size(), L'\0');
    const int units = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0],
                                          static_cast<int>(wide.size()));
    wide.resize(units > 0 ? static_cast<size_t>(units) : 0);
    return Utf8(wide);
  }
};

TEST_F(AnyFolderE2eTest, FolderInCyrillicGreekAndCjkUnderCodePage1252) {
  InstallFolder install("Программы Ελληνικά 程序", {0});
  ProbeResult run = ExpectResourcesFrom(install);
  ASSERT_EQ(run.report["ansiCodePage"].number, 1252) << run.out;
  EXPECT_NE(run.report["commandLine"].text.find("Программы Ελληνικά 程序"), std::string::npos) << run.out;
  EXPECT_TRUE(DiagnosticsName(run, install.File("OxaRes0.dll") + " loaded")) << run.out;
  const JsonValue& dialog = run.report["modeDialog"];
  // The same dialog as from a folder of plain letters.
  InstallFolder plain("plain-folder", {0});
  ProbeResult reference = plain.Run("--dialog-click 392");
  EXPECT_EQ(dialog["caption"].text, reference.report["modeDialog"]["caption"].text);
}

TEST_F(AnyFolderE2eTest, LatinFolderUnderCodePage1251) {
  InstallFolder install("Café Zoë Ålesund", {0});
  ProbeResult run = ExpectResourcesFrom(install);
  ASSERT_EQ(run.report["ansiCodePage"].number, 1251) << "this test needs LC_ALL=ru_RU.UTF-8, generated";
  EXPECT_TRUE(DiagnosticsName(run, install.File("OxaRes0.dll") + " loaded")) << run.out;
}

// A classic debug-output viewer reads the lines in the system's code page:
// under 1251 the folder's Cyrillic name arrives in its 1251 spelling, not as
// UTF-8, and the probe's report shows it as it is called.
TEST_F(AnyFolderE2eTest, CyrillicFolderUnderCodePage1251ReachesViewersInTheirCodePage) {
  InstallFolder install("Программы", {0});
  ProbeResult run = ExpectResourcesFrom(install);
  ASSERT_EQ(run.report["ansiCodePage"].number, 1251) << "this test needs LC_ALL=ru_RU.UTF-8, generated";
  EXPECT_TRUE(DiagnosticsName(run, install.File("OxaRes0.dll") + " loaded")) << run.out;
  const std::string library = install.File("OxaRes0.dll");
  const std::string spelled1251 = HexBytes(AnsiText(library));
  ASSERT_NE(spelled1251, HexBytes(library));
  bool found = false;
  for (const JsonValue& line : run.report["classicDiagnosticsHex"].items) {
    EXPECT_EQ(line.text.find(HexBytes(library)), std::string::npos) << "UTF-8 in the classic channel: " << run.out;
    found = found || line.text.find(spelled1251) != std::string::npos;
  }
  EXPECT_TRUE(found) << "no classic line names the folder in code page 1251: " << run.out;
}

// A host whose folder's full name passes 260 characters. Wine's CreateProcess
// refuses a program there (error 123 for the name, 2 for a search of the
// command line), but its loader starts one from the Unix side: the run is
// made by long_folder_run.sh, which names the folder and the report here.
TEST_F(AnyFolderE2eTest, LongFolderReport) {
  const std::string report = Environment("TARVEX_LONG_FOLDER_REPORT");
  const std::string folder = Environment("TARVEX_LONG_FOLDER");
  if (report.empty() || folder.empty()) GTEST_SKIP() << "run by long_folder_run.sh";
  ASSERT_GT(Utf16(folder).size(), 260u);
  ProbeResult run;
  run.exitCode = 0;
  ASSERT_TRUE(ReadWholeFile(report, &run.out)) << report;
  ASSERT_TRUE(ParseJson(run.out, &run.report)) << run.out;
  EXPECT_EQ(LoadedResourceLibraryPaths(run), std::vector<std::string>{folder + "\\OxaRes0.dll"})
      << run.out;
  EXPECT_EQ(run.report["mode"].number, 1) << run.out;
  EXPECT_FALSE(run.report["modeDialog"].IsNull()) << run.out;
  EXPECT_EQ(run.report["logoWindow"]["text"].text, ResourceLibraryTitle(0)) << run.out;
  EXPECT_GE(run.report["logoWindow"]["bitmapMatchPercent"].number, 95) << run.out;
}

}  // namespace
