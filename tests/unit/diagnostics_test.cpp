// The start-up's debug-output lines: what a support engineer reads for a few
// typical starts, and the line writer's own bounds.
#include "core/diagnostics.h"

#include <gtest/gtest.h>
#include <winsim/control.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/library_entry.h"
#include "language_test_support.h"
#include "settings/reg_key.h"
#include "startup_fixture.h"
#include "test_dib.h"

namespace {

const char kPrefix[] = "TarvexLogo: ";
const std::string kDefaults = "Software\\Pellix\\Tarvex\\4.0\\New User Defaults";
const char kProductKey[] = "SOFTWARE\\Pellix\\Tarvex\\4.0";

// Every debug line without its prefix and line feed; a line that lacks either
// is kept whole behind a marker, so that the comparison shows it.
std::vector<std::string> DiagnosticLines() {
  std::vector<std::string> lines;
  const std::string prefix = kPrefix;
  for (const std::string& line : winsim::DebugOutput()) {
    const bool wellFormed = line.compare(0, prefix.size(), prefix) == 0 && line.size() > prefix.size() &&
                            line.back() == '\n' && line.find('\n') == line.size() - 1;
    lines.push_back(wellFormed ? line.substr(prefix.size(), line.size() - prefix.size() - 1) : "MALFORMED: " + line);
  }
  return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "  " + line + "\n";
  return text;
}

// A resource library with a title, the logo of every edition and mode at
// 400 by 300 pixels, and the mode dialog.
void AddResourceLibrary(int language) {
  winsim::ModuleImage image = language_test::ResourceLibraryImage("Tarvex " + std::to_string(language), "Clock");
  const std::vector<BYTE> logo = test_dib::Plain(400, 300, 8);
  for (const char* suffix : {"ZOLT", "MEREL", "PELTRA"}) image.bitmaps[std::string("SVGA_LOGO_") + suffix] = logo;
  image.dialogs[152] = winsim::DialogTemplate{"Mode", {391, 392, 397, IDCANCEL}};
  winsim::AddModuleFile(language_test::LibraryPathFor(language), image);
}

// Defaults for a new user: five keys, three values, language 2 in both modes.
void AddDefaults() {
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kDefaults + "\\Tarvex4\\Helmex", "InterfaceLanguage", "2");
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kDefaults + "\\Tarvex4\\Helmex", "StartPage", "Welcome");
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kDefaults + "\\Brindo4\\Helmex", "InterfaceLanguage", "2");
}

void UserLanguage(const char* keyPath, const char* number) {
  winsim::SetRegistryString(HKEY_CURRENT_USER, keyPath, "InterfaceLanguage", number);
}

struct StartCase {
  const char* name;
  std::function<void()> prepare;  // on a fresh machine with code page 1252 and a 1024 by 768 screen
  std::vector<std::string> lines;
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class StartDiagnosticsTest : public StartupTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartDiagnosticsTest, OneLinePerDecisionInTheOrderTaken) {
  const StartCase& c = GetParam();
  winsim::SetHostExecutablePath(language_test::kHostPath);
  winsim::SetScreenSize(1024, 768);
  winsim::SetAnsiCodePage(1252);
  c.prepare();

  RunLibraryEntry(startup, ownModule, DLL_PROCESS_ATTACH);
  const std::vector<std::string> lines = DiagnosticLines();
  EXPECT_EQ(lines, c.lines) << "expected:\n" << Joined(c.lines) << "actual:\n" << Joined(lines);

  // The shut-down writes nothing.
  const size_t before = winsim::DebugOutput().size();
  RunLibraryEntry(startup, ownModule, DLL_PROCESS_DETACH);
  EXPECT_EQ(winsim::DebugOutput().size(), before);
}

// Lines that many starts share.
const std::string kNoDefaults = "new-user defaults: HKLM\\" + kDefaults + " missing or unreadable";
const std::string kNoMainSetting = "no language setting in HKCU\\Software\\Vornek\\Tarvex4\\Helmex, English";
const std::string kNoCheck = "no code-page check for language 0";
const std::string kFormsEnabled = "edition 15 (forms enabled)";
const std::string kNoLogoSwitch = "no logo: an AUTOMATION, EMBEDDING or NOLOGO switch";

std::string MainLanguage(int language) {
  return "language " + std::to_string(language) + " from HKCU\\Software\\Vornek\\Tarvex4\\Helmex";
}
std::string FormsLanguage(int language) {
  return "language " + std::to_string(language) + " from HKCU\\Software\\Vornek\\Brindo4\\Helmex";
}
std::string Library(int language, const std::string& outcome) {
  return "resource library " + language_test::LibraryPathFor(language) + " " + outcome;
}
std::string Loaded(int language) { return Library(language, "loaded, GetResourceID found"); }
std::string LogoShown(const char* name) {
  return std::string("logo ") + name + " shown at 307,229 409x309 with its palette";
}

INSTANTIATE_TEST_SUITE_P(
    Starts, StartDiagnosticsTest,
    ::testing::Values(
        StartCase{"FirstStartWithDefaults",
                  [] {
                    AddDefaults();
                    AddResourceLibrary(2);
                    winsim::SetCommandLine("host.exe /form");
                  },
                  {"new-user defaults: 5 keys, 3 values copied, 0 kept",
                   MainLanguage(2), "code page 1252 suits language 2",
                   Loaded(2),
                   kFormsEnabled, "mode 1 from the /form switch",
                   FormsLanguage(2),
                   LogoShown("SVGA_LOGO_PELTRA")}},
        StartCase{"ReturningUserKeepsAndGetsWhatIsNew",
                  [] {
                    AddDefaults();
                    UserLanguage(language_test::kMainModeKey, "0");
                    UserLanguage(language_test::kFormsModeKey, "0");
                    winsim::SetRegistryValue(HKEY_CURRENT_USER, "Software\\Vornek\\Tarvex4\\Helmex", "StartPage",
                                             REG_DWORD, {1, 0, 0, 0});
                    AddResourceLibrary(0);
                    winsim::SetCommandLine("host.exe /standard");
                  },
                  {"new-user defaults: 5 keys, 1 values copied, 2 kept",
                   MainLanguage(0), kNoCheck,
                   Loaded(0),
                   kFormsEnabled, "mode 0 from the /standard switch",
                   MainLanguage(0),
                   LogoShown("SVGA_LOGO_ZOLT")}},
        StartCase{"FormsDisabledWithoutDefaults",
                  [] {
                    AddResourceLibrary(0);
                    winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kProductKey, "DisableForms", "1");
                    winsim::SetCommandLine("host.exe /form");
                  },
                  {kNoDefaults,
                   kNoMainSetting,
                   kNoCheck,
                   Loaded(0),
                   "edition 14 (forms disabled)", "mode 0: forms disabled",
                   kNoMainSetting,
                   LogoShown("SVGA_LOGO_MEREL")}},
        StartCase{"DialogAnsweredReloadsTheFormsModeLanguage",
                  [] {
                    UserLanguage(language_test::kMainModeKey, "0");
                    UserLanguage(language_test::kFormsModeKey, "2");
                    AddResourceLibrary(0);
                    AddResourceLibrary(2);
                    winsim::SetCommandLine("\"C:\\Program Files\\Tarvex\\host.exe\"");
                    winsim::QueueDialogClick(392);
                  },
                  {kNoDefaults,
                   MainLanguage(0), kNoCheck,
                   Loaded(0),
                   kFormsEnabled, "mode 1 from the mode dialog (control 392)",
                   FormsLanguage(2),
                   Loaded(2),
                   LogoShown("SVGA_LOGO_PELTRA")}},
        StartCase{"CodePageQuestionAnsweredYes",
                  [] {
                    UserLanguage(language_test::kMainModeKey, "2");
                    AddResourceLibrary(0);
                    AddResourceLibrary(2);
                    winsim::SetAnsiCodePage(1251);
                    winsim::QueueMessageBoxAnswer(IDYES);
                    winsim::SetCommandLine("host.exe c:\\docs\\a.pac");
                  },
                  {kNoDefaults,
                   MainLanguage(2),
                   "language 2 needs code page 1252, system has 1251",
                   "code page: asked to switch to English, answer Yes",
                   Loaded(0),
                   kFormsEnabled, "mode 0 from a .pac file",
                   MainLanguage(0),
                   LogoShown("SVGA_LOGO_ZOLT")}},
        StartCase{"CodePageMismatchWithoutEnglish",
                  [] {
                    UserLanguage(language_test::kMainModeKey, "1");
                    AddResourceLibrary(1);
                    winsim::SetCommandLine("host.exe d:\\a.frm");
                  },
                  {kNoDefaults,
                   MainLanguage(1),
                   "language 1 needs code page 1251, system has 1252",
                   "code page: no English resource library, the user was told and the language stays",
                   Loaded(1),
                   kFormsEnabled, "mode 1 from a .frm file",
                   "no language setting in HKCU\\Software\\Vornek\\Brindo4\\Helmex, English",
                   Library(0, "not found, own module used"),
                   "no logo: bitmap SVGA_LOGO_PELTRA not found"}},
        StartCase{"MissingResourceLibrary",
                  [] {
                    UserLanguage(language_test::kMainModeKey, "3");
                    winsim::SetCommandLine("host.exe -STANDARD");
                  },
                  {kNoDefaults,
                   MainLanguage(3), "code page 1252 suits language 3",
                   Library(3, "not found, own module used"),
                   kFormsEnabled, "mode 0 from the /standard switch",
                   MainLanguage(3),
                   "no logo: bitmap SVGA_LOGO_ZOLT not found"}},
        StartCase{"DamagedResourceLibraryAndNoDialog",
                  [] {
                    winsim::ModuleImage damaged;
                    damaged.damaged = true;
                    winsim::AddModuleFile(language_test::LibraryPathFor(0), damaged);
                    winsim::SetCommandLine("host.exe");
                  },
                  {kNoDefaults,
                   kNoMainSetting,
                   kNoCheck,
                   Library(0, "failed to load with error 193, own module used"),
                   kFormsEnabled, "mode 0: the mode dialog could not be shown (error 1814)",
                   kNoMainSetting,
                   "no logo: bitmap SVGA_LOGO_ZOLT not found"}},
        StartCase{"NoLogo",
                  [] {
                    AddDefaults();
                    AddResourceLibrary(2);
                    winsim::SetCommandLine("host.exe /nologo");
                  },
                  {"new-user defaults: 5 keys, 3 values copied, 0 kept",
                   MainLanguage(2), "code page 1252 suits language 2",
                   Loaded(2),
                   kFormsEnabled, "mode 0: logo switches forbid asking",
                   MainLanguage(2),
                   kNoLogoSwitch}},
        StartCase{"UserKeyThatCannotBeMade",
                  [] {
                    AddDefaults();
                    winsim::InjectFailure("RegCreateKeyExA");
                    winsim::SetCommandLine("host.exe /nologo");
                  },
                  {"new-user defaults: user key HKCU\\Software\\Vornek could not be opened, nothing copied",
                   kNoMainSetting,
                   kNoCheck,
                   Library(0, "not found, own module used"),
                   kFormsEnabled, "mode 0: logo switches forbid asking",
                   kNoMainSetting,
                   kNoLogoSwitch}},
        StartCase{"LogoClassRefused",
                  [] {
                    UserLanguage(language_test::kMainModeKey, "0");
                    AddResourceLibrary(0);
                    winsim::SetCommandLine("host.exe /standard");
                    winsim::InjectFailure("RegisterClassA", 0, 1, ERROR_CLASS_ALREADY_EXISTS);
                  },
                  {kNoDefaults,
                   MainLanguage(0), kNoCheck,
                   Loaded(0),
                   kFormsEnabled, "mode 0 from the /standard switch",
                   MainLanguage(0),
                   "no logo: window class registration failed (error 1410)"}},
        StartCase{"LogoWindowNotCreated",
                  [] {
                    UserLanguage(language_test::kMainModeKey, "0");
                    AddResourceLibrary(0);
                    winsim::SetCommandLine("host.exe /standard");
                    winsim::InjectFailure("CreateWindowExA", 0, 1, ERROR_NOT_ENOUGH_MEMORY);
                  },
                  {kNoDefaults,
                   MainLanguage(0), kNoCheck,
                   Loaded(0),
                   kFormsEnabled, "mode 0 from the /standard switch",
                   MainLanguage(0),
                   "no logo: window for SVGA_LOGO_ZOLT not created (error 8)"}}),
    [](const ::testing::TestParamInfo<StartCase>& info) { return std::string(info.param.name); });

// ---- the copy's counts

class CopyCountsTest : public StartupTest {};

TEST_F(CopyCountsTest, RefusedWritesAndOversizedValuesAreCounted) {
  // Values enumerate in creation order: "Big" stops its key's value walk, so
  // "After" is never reached.
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kDefaults, "First", "1");
  winsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kDefaults, "Big", REG_BINARY, std::vector<BYTE>(600, 7));
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kDefaults, "After", "2");
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kDefaults + "\\Sub", "Refused", "3");
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kDefaults + "\\Sub", "Written", "4");
  winsim::InjectFailure("RegSetValueExA", 1, 1, ERROR_ACCESS_DENIED);

  RegKey source(1);
  RegKey destination(0);
  source.Open(HKEY_LOCAL_MACHINE, kDefaults.c_str());
  destination.Open(HKEY_CURRENT_USER, "Software\\Vornek");
  KeyTreeCopyCounts counts{};
  source.CopyKeyTree(destination, 1, &counts);
  source.CopyKeyTree(destination, 1, &counts);  // adds up: the second copy keeps what the first wrote

  EXPECT_EQ(counts.keys, 4u);
  EXPECT_EQ(counts.valuesWritten, 2u + 1u) << "First and Written, then Refused on the second copy";
  EXPECT_EQ(counts.valuesKept, 2u);
  EXPECT_EQ(counts.valuesRefused, 1u);
  EXPECT_EQ(counts.keysCutShort, 2u);
}

// ---- the line writer

// A folder named in any script reads as it is called, whatever the ANSI code page.
TEST_F(StartupTest, ResourceLibraryLineNamesTheFolderInUtf8) {
  const std::string folder = "C:\\Программы 程序\\";
  winsim::SetAnsiCodePage(1252);
  winsim::SetHostExecutablePath(folder + "host.exe");
  startup.module = ownModule;
  startup.LoadResourceLibrary();
  const std::vector<std::string> lines = DiagnosticLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "resource library " + folder + "OxaRes0.dll not found, own module used"),
            lines.end())
      << Joined(lines);
}

TEST(Diagnose, PrefixesEndsWithALineFeedAndKeepsTheLastError) {
  FreshMachine machine;
  SetLastError(0x0badf00d);
  Diagnose("edition %d (%s)", 15, "forms enabled");
  EXPECT_EQ(GetLastError(), 0x0badf00du);
  ASSERT_EQ(winsim::DebugOutput().size(), 1u);
  EXPECT_EQ(winsim::DebugOutput()[0], "TarvexLogo: edition 15 (forms enabled)\n");
  EXPECT_EQ(winsim::CallCount("OutputDebugStringA"), 1);
}

TEST(Diagnose, LongTextIsCutToOneLineOfTheLineSize) {
  FreshMachine machine;
  for (size_t length : {size_t{0}, size_t{497}, size_t{498}, size_t{499}, size_t{4000}}) {
    winsim::Reset();
    const std::string text(length, 'x');
    Diagnose("%s", text.c_str());
    ASSERT_EQ(winsim::DebugOutput().size(), 1u);
    const std::string& line = winsim::DebugOutput()[0];
    const size_t kept = std::min(length, static_cast<size_t>(kDiagnosticLineSize) - 2 - (sizeof kPrefix - 1));
    EXPECT_EQ(line, kPrefix + std::string(kept, 'x') + "\n") << "text of " << length;
    EXPECT_LE(line.size() + 1, static_cast<size_t>(kDiagnosticLineSize)) << "text of " << length;
  }
}

}  // namespace
