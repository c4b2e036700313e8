// The start-up's debug-output lines: what a support engineer reads for a few
// typical starts, and the line writer's own bounds.
#include "diagnostics/diagnostics.h"

#include <gtest/gtest.h>
#include <winsim/control.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/library_entry.h"
#include "guarded_buffer.h"
#include "language_test_support.h"
#include "line_reading.h"
#include "settings/reg_key.h"
#include "startup_fixture.h"
#include "system_error_text.h"
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
  language_test::PrepareHostMachine();
  c.prepare();

  RunLibraryEntry(startup, ownModule, DLL_PROCESS_ATTACH);
  const std::vector<std::string> lines = DiagnosticLines();
  EXPECT_EQ(lines, c.lines) << "expected:\n" << Joined(c.lines) << "actual:\n" << Joined(lines);
  // Every line is one of the table's, as the probe reads it.
  for (const std::string& line : lines) {
    DiagnosticReading reading;
    EXPECT_TRUE(ReadDiagnosticLine(line, &reading)) << "a line of no form: " << line;
  }

  // The shut-down writes nothing.
  const size_t before = winsim::DebugOutput().size();
  RunLibraryEntry(startup, ownModule, DLL_PROCESS_DETACH);
  EXPECT_EQ(winsim::DebugOutput().size(), before);
}

// Lines that many starts share.
const std::string kNoDefaults = "new-user defaults: HKLM\\" + kDefaults + " missing or unreadable";
const std::string kNoMainSetting = "no language setting in HKCU\\Software\\Vornek\\Tarvex4\\Helmex, English";
const std::string kNoCheck = "no code-page check for language 0";
// The registry view this build reads, as the edition line names it.
const std::string kView = sizeof(void*) == 8 ? "64-bit registry view" : "32-bit registry view";
const std::string kFormsEnabled =
    "edition 15 (forms enabled): no key HKLM\\SOFTWARE\\Pellix\\Tarvex\\4.0 in the " + kView;
const std::string kFormsEnabledAbsent =
    "edition 15 (forms enabled): \"DisableForms\" absent from HKLM\\SOFTWARE\\Pellix\\Tarvex\\4.0 (" + kView + ")";
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
                  {"new-user defaults: 5 keys walked, 5 created for the user; 3 values copied, 0 kept",
                   MainLanguage(2), "code page 1252 suits language 2",
                   Loaded(2),
                   kFormsEnabledAbsent, "mode 1 from the /form switch",
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
                  {"new-user defaults: 5 keys walked, 0 created for the user; 1 values copied, 2 kept",
                   MainLanguage(0), kNoCheck,
                   Loaded(0),
                   kFormsEnabledAbsent, "mode 0 from the /standard switch",
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
                   "edition 14 (forms disabled): \"DisableForms\" in HKLM\\SOFTWARE\\Pellix\\Tarvex\\4.0 (" + kView +
                       ") is \"1\"",
                   "mode 0: forms disabled",
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
                   "no logo: no resource library was loaded, and the logo's bitmap SVGA_LOGO_PELTRA comes from it"}},
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
                   "no logo: no resource library was loaded, and the logo's bitmap SVGA_LOGO_ZOLT comes from it"}},
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
                   Library(0, "failed to load: Bad EXE format for %1 (error 193), own module used"),
                   kFormsEnabled,
                   "mode 0: the mode dialog could not be shown: no resource library was loaded, and dialog 152 comes "
                   "from it",
                   kNoMainSetting,
                   "no logo: no resource library was loaded, and the logo's bitmap SVGA_LOGO_ZOLT comes from it"}},
        StartCase{"NoLogo",
                  [] {
                    AddDefaults();
                    AddResourceLibrary(2);
                    winsim::SetCommandLine("host.exe /nologo");
                  },
                  {"new-user defaults: 5 keys walked, 5 created for the user; 3 values copied, 0 kept",
                   MainLanguage(2), "code page 1252 suits language 2",
                   Loaded(2),
                   kFormsEnabledAbsent, "mode 0: logo switches forbid asking",
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
                   kFormsEnabledAbsent, "mode 0: logo switches forbid asking",
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
                   "no logo: the window class could not be registered: Class already exists (error 1410)"}},
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
                   "no logo: the window for SVGA_LOGO_ZOLT could not be created: Not enough memory (error 8)"}}),
    [](const ::testing::TestParamInfo<StartCase>& info) { return std::string(info.param.name); });

// ---- lines that name the cause

// The first line of `lines` that begins with `start`, or "".
std::string LineStarting(const std::vector<std::string>& lines, const std::string& start) {
  for (const std::string& line : lines) {
    if (line.compare(0, start.size(), start) == 0) return line;
  }
  return "";
}

struct EditionCase {
  const char* what;
  std::function<void()> prepare;
  std::string line;
};

TEST_F(StartupTest, EditionLineSaysWhereAndHowDisableFormsWasFound) {
  const std::string found = "\"DisableForms\" in HKLM\\SOFTWARE\\Pellix\\Tarvex\\4.0 (" + kView + ")";
  const std::string enabled = "edition 15 (forms enabled): ";
  const auto setting = [](const std::string& text) {
    return [text] { winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kProductKey, "DisableForms", text); };
  };
  const EditionCase cases[] = {
      {"no key", [] {}, kFormsEnabled},
      {"absent", [] { winsim::CreateRegistryKey(HKEY_LOCAL_MACHINE, kProductKey); }, kFormsEnabledAbsent},
      {"key denied", [] { winsim::DenyRegistryAccess(HKEY_LOCAL_MACHINE, kProductKey, winsim::RegistryDenial::All); },
       "edition 15 (forms enabled): HKLM\\SOFTWARE\\Pellix\\Tarvex\\4.0 (" + kView +
           ") could not be opened: Access denied (error 5)"},
      {"not text",
       [] { winsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kProductKey, "DisableForms", REG_DWORD, {1, 0, 0, 0}); },
       enabled + found + " is not text"},
      {"empty", setting(""), enabled + found + " is empty"},
      {"one", setting("1 yes"), "edition 14 (forms disabled): " + found + " begins with \"1\""},
      {"zero", setting("0"), enabled + found + " is \"0\""},
      {"zero and more", setting("00"), enabled + found + " begins with \"0\""},
      {"blank first", setting(" 1"), enabled + found + " begins with byte 0x20"},
      {"ANSI letter first", setting("\xE9"), enabled + found + " begins with byte 0xE9"},
      {"delete first", setting("\x7F"), enabled + found + " begins with byte 0x7F"},
      {"byte-order mark first", setting("\xEF\xBB\xBF" "1"),
       enabled + found + " begins with byte 0xEF (a UTF-8 byte-order mark, EF BB BF)"},
      {"a mark cut short", setting("\xEF\xBB"), enabled + found + " begins with byte 0xEF"},
      {"too long", setting(std::string(600, '1')), enabled + found + " is longer than 511 bytes"},
      {"unreadable",
       [] {
         winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kProductKey, "DisableForms", "1");
         winsim::InjectFailure("RegQueryValueExA", 0, 1, ERROR_ACCESS_DENIED);
       },
       enabled + found + " could not be read"},
  };
  for (const EditionCase& c : cases) {
    winsim::Reset();
    c.prepare();
    ProductStartup product;
    product.QueryEdition();
    EXPECT_EQ(LineStarting(DiagnosticLines(), "edition "), c.line) << c.what;
  }
}

struct DialogFailureCase {
  const char* what;
  bool resourceLibrary;  // else the own module serves
  bool withTemplate;
  long injectedError;  // into DialogBoxParamA, or 0
  const char* reason;
};

TEST_F(StartupTest, FailedModeDialogIsExplainedInWords) {
  const DialogFailureCase cases[] = {
      {"no resource library", false, false, 0, "no resource library was loaded, and dialog 152 comes from it"},
      {"no template in the library", true, false, 0, "the resource library has no dialog template 152"},
      {"the system refuses", true, true, ERROR_NOT_ENOUGH_MEMORY, "Not enough memory (error 8)"},
  };
  for (const DialogFailureCase& c : cases) {
    winsim::Reset();
    winsim::SetHostExecutablePath(language_test::kHostPath);
    // A fresh machine holds no module of the fixture's any more.
    startup.Resources().Attach(winsim::AddLoadedModule("C:\\Program Files\\Tarvex\\TarvexLogo.dll"), "OxaRes");
    if (c.resourceLibrary) {
      winsim::ModuleImage image = language_test::ResourceLibraryImage("Title", "Clock");
      if (c.withTemplate) image.dialogs[152] = winsim::DialogTemplate{"Mode", {391, 392, 397, IDCANCEL}};
      winsim::AddModuleFile(language_test::kEnglishLibrary, image);
    }
    startup.Resources().Load(0);
    if (c.injectedError != 0) winsim::InjectFailure("DialogBoxParamA", 0, 1, c.injectedError);
    EXPECT_EQ(startup.AskMode(), Mode::Main) << c.what;
    EXPECT_EQ(LineStarting(DiagnosticLines(), "mode "), std::string("mode 0: the mode dialog could not be shown: ") + c.reason)
        << c.what;
    startup.Resources().Free();
  }
}

TEST_F(StartupTest, MissingBitmapSaysWhetherTheResourceLibraryIsTheCause) {
  for (bool resourceLibrary : {false, true}) {
    winsim::Reset();
    winsim::SetHostExecutablePath(language_test::kHostPath);
    // A fresh machine holds no module of the fixture's any more.
    startup.Resources().Attach(winsim::AddLoadedModule("C:\\Program Files\\Tarvex\\TarvexLogo.dll"), "OxaRes");
    if (resourceLibrary) {
      winsim::ModuleImage image = language_test::ResourceLibraryImage("Title", "Clock");
      image.bitmaps.clear();
      winsim::AddModuleFile(language_test::kEnglishLibrary, image);
    }
    startup.Resources().Load(0);
    startup.CreateLogoWindow();
    EXPECT_EQ(LineStarting(DiagnosticLines(), "no logo"),
              resourceLibrary ? "no logo: the resource library has no bitmap SVGA_LOGO_KIRVANE"
                              : "no logo: no resource library was loaded, and the logo's bitmap SVGA_LOGO_KIRVANE comes "
                                "from it");
    startup.OnProcessDetach();
  }
}

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

  RegKey source = RegKey::OpenForReading(HKEY_LOCAL_MACHINE, kDefaults.c_str());
  RegKey destination = RegKey::Create(HKEY_CURRENT_USER, "Software\\Vornek");
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
  startup.Resources().Attach(ownModule, "OxaRes");
  startup.Resources().Load(0);
  const std::vector<std::string> lines = DiagnosticLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "resource library " + folder + "OxaRes0.dll not found, own module used"),
            lines.end())
      << Joined(lines);
}

// The system's words fit into a sentence and into the buffer; without them,
// "no message". The caller's last error stays.
TEST(SystemErrorText, TheSystemsWordsWithoutLineEndOrFullStopWithinTheBuffer) {
  FreshMachine machine;
  const struct {
    unsigned long error;
    size_t size;
    bool formatFails;
    const char* text;
  } cases[] = {
      {ERROR_ACCESS_DENIED, 32, false, "Access denied"},
      {ERROR_ACCESS_DENIED, 14, false, "Access denied"},
      {ERROR_ACCESS_DENIED, 13, false, "Access denie"},
      {ERROR_BAD_EXE_FORMAT, 32, false, "Bad EXE format for %1"},
      {0x2000ABCD, 32, false, "no message"},
      {ERROR_ACCESS_DENIED, 32, true, "no message"},
  };
  for (const auto& c : cases) {
    if (c.formatFails) winsim::InjectFailure("FormatMessageW");
    GuardedBuffer<char, 32> text;
    SetLastError(0x0badf00d);
    SystemErrorText(c.error, text.data(), c.size);
    EXPECT_STREQ(text.data(), c.text) << c.error;
    EXPECT_TRUE(text.UntouchedFrom(c.size)) << c.error;
    EXPECT_EQ(GetLastError(), 0x0badf00du);
  }
}

TEST(Diagnose, PrefixesEndsWithALineFeedAndKeepsTheLastError) {
  FreshMachine machine;
  SetLastError(0x0badf00d);
  Diagnose("edition %d (%s)", 15, "forms enabled");
  EXPECT_EQ(GetLastError(), 0x0badf00du);
  ASSERT_EQ(winsim::DebugOutput().size(), 1u);
  EXPECT_EQ(winsim::DebugOutput()[0], "TarvexLogo: edition 15 (forms enabled)\n");
  EXPECT_EQ(winsim::CallCount("OutputDebugStringW"), 1);
  EXPECT_EQ(winsim::CallCount("OutputDebugStringA"), 0);
}

// Debuggers read the Unicode text; the classic viewers the ANSI code page's
// spelling of it, '?' for what the code page lacks. A line the platform cannot
// convert still goes out, as UTF-8 bytes.
TEST(Diagnose, TheLineGoesOutAsUnicodeAndViewersReadTheAnsiSpelling) {
  struct Case {
    UINT codePage;
    const char* failing;
    std::string text, classic;
  } cases[] = {
      {1251, nullptr, "C:\\\xD0\x9F\xD1\x83\xD1\x82\xD1\x8C", "C:\\\xCF\xF3\xF2\xFC"},
      {1252, nullptr, "\xD0\x9F \xC3\xA9 \xF0\x90\x80\x80", "? \xE9 ??"},
      {1252, "MultiByteToWideChar", "\xC3\xA9", "\xC3\xA9"},
  };
  for (const Case& c : cases) {
    FreshMachine machine;
    winsim::SetAnsiCodePage(c.codePage);
    if (c.failing) winsim::InjectFailure(c.failing);
    Diagnose("%s", c.text.c_str());
    ASSERT_EQ(winsim::ClassicDebugOutput().size(), 1u) << c.text;
    EXPECT_EQ(winsim::DebugOutput()[0], kPrefix + c.text + "\n");
    EXPECT_EQ(winsim::ClassicDebugOutput()[0], kPrefix + c.classic + "\n");
  }
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

std::string Repeated(const char* character, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += character;
  return text;
}

// A cut never splits a character: the line ends before it. 498 bytes of text fit.
TEST(Diagnose, ACutEndsBeforeACharacterItWouldSplit) {
  const struct {
    std::string text, kept;
  } cases[] = {
      {std::string(497, 'x') + "\xD0\x96", std::string(497, 'x')},
      {std::string(496, 'x') + "\xD0\x96", std::string(496, 'x') + "\xD0\x96"},
      {std::string(496, 'x') + "\xF0\x90\x80\x80", std::string(496, 'x')},
      {std::string(494, 'x') + "\xF0\x90\x80\x80", std::string(494, 'x') + "\xF0\x90\x80\x80"},
      // A text of characters from its first: 249 of two bytes fit, the 250th goes.
      {Repeated("\xD0\x96", 250), Repeated("\xD0\x96", 249)},
      {Repeated("\xD0\x96", 249), Repeated("\xD0\x96", 249)},
      {Repeated("\xE7\xA8\x8B", 167), Repeated("\xE7\xA8\x8B", 166)},
  };
  for (const auto& c : cases) {
    FreshMachine machine;
    Diagnose("%s", c.text.c_str());
    ASSERT_EQ(winsim::DebugOutput().size(), 1u);
    EXPECT_EQ(winsim::DebugOutput()[0], kPrefix + c.kept + "\n") << c.text.size() << " bytes";
  }
}

}  // namespace

// ---- the lines the probe reads, read against the table of forms

struct ReadCase {
  const char* what;
  std::function<void()> prepare;
  DiagnosticKey key;
  std::vector<std::string> fields;  // what the probe reads in the one line of that key
};

// Each kind of line the probe's problems, notes, summary and logo report
// read, as a real start writes it: reword one, and the probe's reading fails
// here.
TEST_F(StartupTest, TheProbeReadsEveryLineItDependsOn) {
  const std::string productKey = kProductKey;
  const ReadCase cases[] = {
      {"library not found", [] { winsim::SetCommandLine("host.exe /nologo"); }, DiagnosticKey::ResourceNotFound,
       {language_test::LibraryPathFor(0)}},
      {"library damaged",
       [] {
         winsim::ModuleImage damaged;
         damaged.damaged = true;
         winsim::AddModuleFile(language_test::LibraryPathFor(0), damaged);
         winsim::SetCommandLine("host.exe /nologo");
       },
       DiagnosticKey::ResourceFailed, {language_test::LibraryPathFor(0), "Bad EXE format for %1", "193"}},
      {"no GetResourceID",
       [] {
         winsim::ModuleImage image;
         winsim::AddModuleFile(language_test::LibraryPathFor(0), image);
         winsim::SetCommandLine("host.exe /nologo");
       },
       DiagnosticKey::ResourceLoadedWithoutLookup, {language_test::LibraryPathFor(0)}},
      {"code page", [] { UserLanguage(language_test::kMainModeKey, "1"); }, DiagnosticKey::CodePageMismatch,
       {"1", "1251", "1252"}},
      {"user key refused",
       [] {
         winsim::InjectFailure("RegCreateKeyExA");
         winsim::SetCommandLine("host.exe /nologo");
       },
       DiagnosticKey::DefaultsUserKeyFailed, {"Software\\Vornek"}},
      {"DisableForms that disables nothing",
       [] {
         winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kProductKey, "DisableForms", "yes");
         winsim::SetCommandLine("host.exe /nologo");
       },
       DiagnosticKey::EditionValueBegins, {"15", "enabled", productKey, kView.substr(0, 6), "y"}},
      {"mode dialog without a library", [] { winsim::SetCommandLine("host.exe"); },
       DiagnosticKey::ModeDialogWithoutLibrary, {"152"}},
      {"no logo without a library", [] { winsim::SetCommandLine("host.exe /standard"); },
       DiagnosticKey::NoLogoWithoutLibrary, {"SVGA_LOGO_ZOLT"}},
      {"no logo by a switch", [] { winsim::SetCommandLine("host.exe /nologo"); }, DiagnosticKey::NoLogoSwitch, {}},
      {"logo shown",
       [] {
         AddResourceLibrary(0);
         winsim::SetCommandLine("host.exe /standard");
       },
       DiagnosticKey::LogoShown, {"SVGA_LOGO_ZOLT", "307", "229", "409", "309", " with its palette"}},
      {"logo drawn at 192 DPI",
       [] {
         AddResourceLibrary(0);
         winsim::SetDisplayDpi(192);
         winsim::SetCommandLine("host.exe /standard");
       },
       DiagnosticKey::LogoDrawn, {"192", "800", "600", "SVGA_LOGO_ZOLT", "400", "300", "stretched"}},
  };
  for (const ReadCase& c : cases) {
    winsim::Reset();
    winsim::SetHostExecutablePath(language_test::kHostPath);
    const HMODULE own = winsim::AddLoadedModule("C:\\Program Files\\Tarvex\\TarvexLogo.dll", OwnModuleImage());
    c.prepare();
    ProductStartup start;
    RunLibraryEntry(start, own, DLL_PROCESS_ATTACH);
    std::vector<std::vector<std::string>> readings;
    for (const std::string& line : DiagnosticLines()) {
      DiagnosticReading reading;
      const bool read = ReadDiagnosticLine(line, &reading);
      EXPECT_TRUE(read) << c.what << ": a line of no form: " << line;
      if (read && reading.key == c.key) readings.push_back(reading.fields);
    }
    EXPECT_EQ(readings, std::vector<std::vector<std::string>>{c.fields}) << c.what << ":\n" << Joined(DiagnosticLines());
    RunLibraryEntry(start, own, DLL_PROCESS_DETACH);
  }
}
