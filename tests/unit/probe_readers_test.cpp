// The probe's readers of the library's diagnostics: every form of the table
// read back as its own line, and whole starts as the probe reports them.
#include <gtest/gtest.h>
#include <winsim/control.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "core/library_entry.h"
#include "human_summary.h"
#include "language_test_support.h"
#include "line_reading.h"
#include "notes.h"
#include "problems.h"
#include "startup_fixture.h"
#include "test_dib.h"

namespace {

// ---- the table

// What a form's insert is filled with, by its conversion: texts that hold
// what the forms themselves hold (blanks, colons, parentheses, digits).
std::string SampleField(char conversion, size_t index) {
  switch (conversion) {
    case 'd':
      return "-" + std::to_string(40 + index);
    case 'u':
      return std::to_string(7 * index);
    case 'X':
      return "EF";
    case 'c':
      return "q";
    default:
      return index % 2 ? "a (b): c, d" : "C:\\Program Files\\Tarvex 4.0\\x.dll";
  }
}

// A line of every form, filled in, reads back as that form's key with the
// same fields: no form takes another's line, whatever they share.
TEST(DiagnosticForms, EveryFormReadsBackAsItsOwnKeyAndFields) {
  for (const DiagnosticForm& entry : kDiagnosticForms) {
    std::vector<std::string> fields;
    for (const char* at = entry.form; *at != '\0'; ++at) {
      if (*at != '%') continue;
      while (at[1] >= '0' && at[1] <= '9') ++at;
      fields.push_back(SampleField(*++at, fields.size()));
    }
    const std::string line = FillForm(entry.form, fields);
    DiagnosticReading reading{DiagnosticKey::ExitRefused, {"sentinel"}, "sentinel"};
    ASSERT_TRUE(ReadDiagnosticLine(line, &reading)) << line;
    EXPECT_EQ(static_cast<int>(reading.key), static_cast<int>(entry.key)) << line;
    EXPECT_EQ(reading.fields, fields) << line;
    EXPECT_EQ(reading.text, line);
  }
}

TEST(DiagnosticForms, ALineOfNoFormIsNotReadAndLeavesTheReadingAlone) {
  const std::string lines[] = {
      "", "logo ", "logo SVGA_LOGO_ZOLT shown at 1,2 3 x 4", "mode x from the /form switch",
      "edition 15 (forms enabled): \"DisableForms\" in HKLM\\K (64-bit registry view) is \"01\"",
      "new-user defaults: 1 keys walked"};
  for (const std::string& line : lines) {
    DiagnosticReading reading{DiagnosticKey::ExitRefused, {"sentinel"}, "sentinel"};
    EXPECT_FALSE(ReadDiagnosticLine(line, &reading)) << line;
    EXPECT_EQ(reading.fields, std::vector<std::string>{"sentinel"}) << line;
    EXPECT_EQ(reading.text, "sentinel") << line;
  }
}

// ---- whole starts, through every reader of the probe

// What the probe makes of a start: its problems, notes, summary for a
// person, and the bitmap it reports drawn.
struct Verdict {
  std::vector<std::string> problems;
  std::vector<std::string> notes;
  std::string summary;
  std::string bitmapDrawn;
  bool stretched;
  bool operator==(const Verdict& other) const {
    return problems == other.problems && notes == other.notes && summary == other.summary &&
           bitmapDrawn == other.bitmapDrawn && stretched == other.stretched;
  }
};

void PrintTo(const Verdict& verdict, std::ostream* os) {
  *os << "\n";
  for (const std::string& problem : verdict.problems) *os << "  problem: " << problem << "\n";
  for (const std::string& note : verdict.notes) *os << "  note: " << note << "\n";
  *os << verdict.summary << "  bitmapDrawn: " << verdict.bitmapDrawn << (verdict.stretched ? ", stretched" : "");
}

struct ScriptedStart {
  const char* name;
  std::function<void()> prepare;  // on a fresh machine, the library beside the host
  std::string argument;           // the probe's one argument, "" for none
  Verdict verdict;
};

void PrintTo(const ScriptedStart& start, std::ostream* os) { *os << start.name; }

const char kLibrary[] = "C:\\Program Files\\Tarvex\\TarvexLogo.dll";
const char kProductKey[] = "SOFTWARE\\Pellix\\Tarvex\\4.0";
const std::string kView = sizeof(void*) == 8 ? "64-bit registry view" : "32-bit registry view";
const std::string kDisableForms = "\"DisableForms\" in HKLM\\SOFTWARE\\Pellix\\Tarvex\\4.0 (" + kView + ") ";
const std::string kResources = language_test::LibraryPathFor(0);

// A resource library with the logo of every edition and mode at 400 by 300
// pixels, and, when given, a variant for 200% that is damaged.
void AddResourceLibrary(bool damagedVariant) {
  winsim::ModuleImage image = language_test::ResourceLibraryImage("Tarvex", "Clock");
  for (const char* suffix : {"ZOLT", "MEREL", "PELTRA"}) {
    image.bitmaps[std::string("SVGA_LOGO_") + suffix] = test_dib::Plain(400, 300, 8);
  }
  if (damagedVariant) image.bitmaps["SVGA_LOGO_ZOLT_200"] = std::vector<BYTE>(30, 0x28);
  image.dialogs[152] = winsim::DialogTemplate{"Mode", {391, 392, 397, IDCANCEL}};
  winsim::AddModuleFile(kResources, image);
}

std::string Row(const char* label, const std::string& value) {
  return (label + std::string(12, ' ')).substr(0, 12) + value + "\n";
}

// The record the probe keeps of a start it hosted, as it would have made it:
// what the start settled, the modules it found, the lines it caught.
RunRecord RecordOf(const ProductStartup& start, const std::string& argument) {
  RunRecord run;
  run.library = kLibrary;
  run.host = language_test::kHostPath;
  run.resourceLibraryFolder = "C:\\Program Files\\Tarvex\\";
  run.arguments = {run.host};
  if (!argument.empty()) run.arguments.push_back(argument);
  run.loaded = run.settled = true;
  run.mode = ModeNumber(start.Policy().GetMode());
  run.edition = EditionNumber(start.Policy().GetEdition());
  run.productModules = {kLibrary};
  if (!start.Resources().OwnModuleServes()) run.productModules.push_back(kResources);
  run.logoWindow = start.Logo().Window() != nullptr;
  run.diagnosticsSeen = true;
  for (const std::string& line : winsim::DebugOutput()) run.diagnostics.push_back(line.substr(0, line.find('\n')));
  return run;
}

class ProbeVerdictTest : public StartupTest, public ::testing::WithParamInterface<ScriptedStart> {};

TEST_P(ProbeVerdictTest, EveryReaderGivesItsWholeResult) {
  const ScriptedStart& c = GetParam();
  language_test::PrepareHostMachine();
  winsim::SetCommandLine(("host.exe " + c.argument).c_str());
  c.prepare();
  RunLibraryEntry(startup, ownModule, DLL_PROCESS_ATTACH);

  const RunRecord run = RecordOf(startup, c.argument);
  Verdict verdict{FindProblems(run), FindNotes(run), "", "", false};
  verdict.summary = HumanSummary(run, verdict.notes, verdict.problems);
  const BitmapDrawn drawn = ReadBitmapDrawn(ReadDiagnosticLines(run.diagnostics));
  verdict.bitmapDrawn = drawn.name;
  verdict.stretched = drawn.stretched;
  EXPECT_EQ(verdict, c.verdict);
  RunLibraryEntry(startup, ownModule, DLL_PROCESS_DETACH);
}

const std::string kNoKey = "forms enabled: no key HKLM\\SOFTWARE\\Pellix\\Tarvex\\4.0 in the " + kView;

INSTANTIATE_TEST_SUITE_P(
    Starts, ProbeVerdictTest,
    ::testing::Values(
        // The variant's line comes before the logo's own, and begins as it does.
        ScriptedStart{"VariantLeftAsideFirstOfAll",
                      [] {
                        AddResourceLibrary(true);
                        winsim::SetDisplayDpi(192);
                      },
                      "/standard",
                      {{},
                       {},
                       Row("edition", "15, " + kNoKey) + Row("mode", "0 (main mode), from the /standard switch") +
                           Row("resources", kResources) + Row("logo", "SVGA_LOGO_ZOLT shown") + Row("problems", "none"),
                       "SVGA_LOGO_ZOLT",
                       true}},
        ScriptedStart{"DamagedSetting",
                      [] {
                        AddResourceLibrary(false);
                        winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kProductKey, "DisableForms", "\xEF\xBB\xBF" "1");
                      },
                      "/standard",
                      {{"forms stay enabled: " + kDisableForms +
                        "begins with byte 0xEF (a UTF-8 byte-order mark, EF BB BF); only a text beginning with \"1\" "
                        "disables them (\"0\" enables them)"},
                       {},
                       Row("edition", "15, forms enabled: " + kDisableForms +
                                          "begins with byte 0xEF (a UTF-8 byte-order mark, EF BB BF)") +
                           Row("mode", "0 (main mode), from the /standard switch") + Row("resources", kResources) +
                           Row("logo", "SVGA_LOGO_ZOLT shown") +
                           Row("problems", "forms stay enabled: " + kDisableForms +
                                               "begins with byte 0xEF (a UTF-8 byte-order mark, EF BB BF); only a "
                                               "text beginning with \"1\" disables them (\"0\" enables them)"),
                       "SVGA_LOGO_ZOLT",
                       false}},
        ScriptedStart{
            "MissingLibrary",
            [] {},
            "",
            {{"no resource library was loaded: OxaRes0.dll is not beside C:\\Program Files\\Tarvex\\host.exe",
              "the mode dialog could not be shown: no resource library was loaded, and dialog 152 comes from it",
              "no logo: no resource library was loaded, and the logo's bitmap SVGA_LOGO_ZOLT comes from it"},
             {},
             Row("edition", "15, " + kNoKey) +
                 Row("mode",
                     "0 (main mode), the mode dialog could not be shown: no resource library was loaded, and "
                     "dialog 152 comes from it") +
                 Row("resources", "none loaded") + Row("logo", "none") +
                 Row("problems",
                     "no resource library was loaded: OxaRes0.dll is not beside C:\\Program "
                     "Files\\Tarvex\\host.exe") +
                 Row("",
                     "the mode dialog could not be shown: no resource library was loaded, and dialog "
                     "152 comes from it") +
                 Row("",
                     "no logo: no resource library was loaded, and the logo's bitmap SVGA_LOGO_ZOLT "
                     "comes from it"),
             "",
             false}},
        ScriptedStart{"FormsEnabledEdition",
                      [] {
                        AddResourceLibrary(false);
                        winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kProductKey, "DisableForms", "0");
                      },
                      "/nologo",
                      {{},
                       {"no logo: the NOLOGO switch"},
                       Row("edition", "15, forms enabled: " + kDisableForms + "is \"0\"") +
                           Row("mode", "0 (main mode), logo switches forbid asking") + Row("resources", kResources) +
                           Row("logo", "none") + Row("notes", "no logo: the NOLOGO switch") + Row("problems", "none"),
                       "",
                       false}}),
    [](const ::testing::TestParamInfo<ScriptedStart>& info) { return std::string(info.param.name); });

}  // namespace
