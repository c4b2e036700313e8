// The benchmarks' own tools, checked on winsim: a figure is only as good as
// the tree it was measured on, the line it scanned and the arithmetic after.
#include <gtest/gtest.h>
#include <windows.h>
#include <winsim/control.h>

#include <string>
#include <utility>
#include <vector>

#include "bench_stats.h"
#include "bench_tree.h"
#include "command_lines.h"
#include "core/command_line.h"
#include "core/library_entry.h"
#include "core/product_startup.h"
#include "stack_probe.h"
#include "start_phases.h"
#include "test_dib.h"
#include "unique_reg_key.h"

namespace {

struct FreshRegistry : ::testing::Test {
  FreshRegistry() { winsim::Reset(); }
  ~FreshRegistry() override { winsim::Reset(); }
};

// ---- trees

struct ScaledTreeCase {
  int keys;
  int valuesPerKey;
  int parents;  // keys with subkeys: a start takes a subkey list for each
};

class ScaledTreeTest : public FreshRegistry, public ::testing::WithParamInterface<ScaledTreeCase> {};

TEST_P(ScaledTreeTest, HoldsExactlyTheKeysAndValuesAskedFor) {
  const ScaledTreeCase& c = GetParam();
  ASSERT_TRUE(BuildScaledTree(HKEY_CURRENT_USER, "Software\\Tree", c.keys, c.valuesPerKey));
  TreeCount count = CountTree(HKEY_CURRENT_USER, "Software\\Tree");
  EXPECT_EQ(count.keys, c.keys);
  EXPECT_EQ(count.values, static_cast<long>(c.keys) * c.valuesPerKey);
  EXPECT_EQ(count.parents, c.parents);
  // No key holds more subkeys than the fan-out.
  for (const std::string& name : winsim::RegistrySubkeyNames(HKEY_CURRENT_USER, "Software\\Tree")) {
    EXPECT_LE(winsim::RegistrySubkeyNames(HKEY_CURRENT_USER, "Software\\Tree\\" + name).size(),
              static_cast<size_t>(kTreeFanOut))
        << name;
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ScaledTreeTest,
                         ::testing::Values(ScaledTreeCase{1, 0, 0}, ScaledTreeCase{1, 10, 0},
                                           ScaledTreeCase{10, 10, 1}, ScaledTreeCase{11, 3, 1},
                                           ScaledTreeCase{12, 3, 2}, ScaledTreeCase{100, 10, 10},
                                           ScaledTreeCase{1000, 1, 100}));

TEST_F(FreshRegistry, TypicalDefaultsHoldEightKeysAndThirtyStrings) {
  ASSERT_TRUE(BuildTypicalDefaults(HKEY_LOCAL_MACHINE, "Software\\Defaults"));
  TreeCount count = CountTree(HKEY_LOCAL_MACHINE, "Software\\Defaults");
  EXPECT_EQ(count.keys, kTypicalKeys);
  EXPECT_EQ(count.values, kTypicalValues);
  EXPECT_EQ(count.parents, kTypicalParents);
  // The fewest registry calls of a start are worked out from these.
  int withoutValues = 0;
  for (const char* key : {"", "\\Tarvex4", "\\Tarvex4\\Helmex", "\\Tarvex4\\Helmex\\Toolbars", "\\Tarvex4\\Plugins",
                          "\\Brindo4", "\\Brindo4\\Helmex", "\\Brindo4\\Helmex\\Toolbars"}) {
    const std::string path = std::string("Software\\Defaults") + key;
    UniqueRegKey handle;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, handle.put()), ERROR_SUCCESS) << path;
    DWORD values = 0xdeadbeef;
    EXPECT_EQ(RegQueryInfoKeyA(handle.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_SUCCESS)
        << path;
    withoutValues += values == 0;
  }
  EXPECT_EQ(withoutValues, kTypicalKeysWithoutValues);
  // Only strings: a warm start must find every value present and write none.
  const std::string dump = winsim::DumpRegistryTree(HKEY_LOCAL_MACHINE, "Software\\Defaults");
  for (size_t at = dump.find(" type "); at != std::string::npos; at = dump.find(" type ", at + 1)) {
    const char type = dump[at + 6];
    EXPECT_TRUE(type == '1' || type == '2') << dump.substr(at, 40);
  }
  winsim::RegistryValue language;
  ASSERT_TRUE(winsim::GetRegistryValue(HKEY_LOCAL_MACHINE, "Software\\Defaults\\Tarvex4\\Helmex",
                                       "InterfaceLanguage", &language));
  EXPECT_EQ(std::string(language.data.begin(), language.data.end()), std::string("0", 2));
}

TEST_F(FreshRegistry, ChainIsOneKeyPerLevel) {
  for (int depth : {0, 1, 5, 64}) {
    const std::string path = "Software\\Chain" + std::to_string(depth);
    ASSERT_TRUE(BuildKeyChain(HKEY_CURRENT_USER, path.c_str(), depth)) << depth;
    TreeCount count = CountTree(HKEY_CURRENT_USER, path.c_str());
    EXPECT_EQ(count.keys, depth + 1) << depth;
    EXPECT_EQ(count.values, depth + 1) << depth;
    EXPECT_EQ(count.parents, depth) << depth;
  }
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0);
}

TEST_F(FreshRegistry, RemoveTreeLeavesNothingAndAcceptsAMissingTree) {
  ASSERT_TRUE(BuildScaledTree(HKEY_CURRENT_USER, "Software\\Scratch\\Tree", 25, 2));
  EXPECT_TRUE(RemoveTree(HKEY_CURRENT_USER, "Software\\Scratch"));
  EXPECT_FALSE(winsim::RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Scratch"));
  EXPECT_TRUE(winsim::RegistryKeyExists(HKEY_CURRENT_USER, "Software"));
  EXPECT_TRUE(RemoveTree(HKEY_CURRENT_USER, "Software\\Scratch"));
  TreeCount gone = CountTree(HKEY_CURRENT_USER, "Software\\Scratch");
  EXPECT_EQ(gone.keys, 0);
  EXPECT_EQ(gone.values, 0);
  EXPECT_EQ(gone.parents, 0);
}

// ---- command lines

TEST(WorstCaseCommandLine, HasTheLengthAskedForAndNothingTheTestsLookFor) {
  std::vector<size_t> lengths;
  // Every cut through the program path and a few rounds of near misses.
  for (size_t length = 1; length <= 400; ++length) lengths.push_back(length);
  for (size_t length : {1000u, 10000u, 32767u}) lengths.push_back(length);
  for (size_t length : lengths) {
    const std::string line = WorstCaseCommandLine(length);
    ASSERT_EQ(line.size(), length);
    EXPECT_EQ(LineHasSwitch(line.c_str(), "NOLOGO"), 0) << "length " << length << ": " << line;
    EXPECT_EQ(LineHasFileType(line.c_str(), ".frm"), 0) << "length " << length << ": " << line;
  }
}

TEST(WorstCaseCommandLine, IsFullOfNearMisses) {
  const std::string line = WorstCaseCommandLine(10000);
  size_t signsAfterBlanks = 0;
  size_t extensionStarts = 0;
  for (size_t i = 1; i < line.size(); ++i) {
    signsAfterBlanks += (line[i] == '/' || line[i] == '-') && line[i - 1] == ' ';
    extensionStarts += line.compare(i, 3, ".fr") == 0 || line.compare(i, 3, ".FR") == 0;
  }
  // One of each in every 20 characters or so.
  EXPECT_GT(signsAfterBlanks, line.size() / 20);
  EXPECT_GT(extensionStarts, line.size() / 40);
}

// ---- phases of a start

struct PhaseCase {
  const char* name;
  const char* commandLine;
  bool warm;              // the user already has the defaults
  bool resourceLibrary;   // OxaRes0.dll lies beside the host
  bool matches;           // the lines end the phases of the time-to-logo breakdown
};

void PrintTo(const PhaseCase& c, std::ostream* os) { *os << c.name; }

class StartPhaseTest : public FreshRegistry, public ::testing::WithParamInterface<PhaseCase> {};

int __cdecl TitleOnly(const char* key) { return key != nullptr && std::string(key) == "PROGRAM_TITLE" ? 101 : 0; }

// The library's own lines, from a whole start on winsim: the breakdown under
// Wine stops with an error when they drift from the phase table.
TEST_P(StartPhaseTest, LinesOfAStartEndThePhasesInOrder) {
  const PhaseCase& c = GetParam();
  const char host[] = "C:\\Program Files\\Tarvex\\host.exe";
  winsim::SetHostExecutablePath(host);
  winsim::SetCommandLine(std::string("\"") + host + "\" " + c.commandLine);
  winsim::SetScreenSize(1024, 768);
  if (c.resourceLibrary) {
    winsim::ModuleImage english;
    english.strings[101] = "Tarvex 4.0";
    english.exports["GetResourceID"] = reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(TitleOnly));
    for (const char* name : {"SVGA_LOGO_ZOLT", "SVGA_LOGO_PELTRA"}) english.bitmaps[name] = test_dib::Plain(400, 300, 8);
    winsim::AddModuleFile("C:\\Program Files\\Tarvex\\OxaRes0.dll", english);
  }
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Pellix\\Tarvex\\4.0", "DisableForms", "0");
  ASSERT_TRUE(BuildTypicalDefaults(HKEY_LOCAL_MACHINE, "Software\\Pellix\\Tarvex\\4.0\\New User Defaults"));
  HMODULE own = winsim::AddLoadedModule("C:\\Program Files\\Tarvex\\TarvexLogo.dll");
  for (int start = 0; start < (c.warm ? 2 : 1); ++start) {
    const size_t before = winsim::DebugOutput().size();
    ProductStartup startup;
    RunLibraryEntry(startup, own, DLL_PROCESS_ATTACH);
    const std::vector<std::string> lines(winsim::DebugOutput().begin() + static_cast<long>(before),
                                         winsim::DebugOutput().end());
    RunLibraryEntry(startup, own, DLL_PROCESS_DETACH);
    if (start + 1 < (c.warm ? 2 : 1)) continue;
    std::string text;
    for (const std::string& line : lines) text += "  " + line;
    EXPECT_EQ(LinesMatchPhases(lines), c.matches) << text;
    if (c.matches) {
      EXPECT_EQ(lines.size(), LogoStartPhases().size()) << text;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Starts, StartPhaseTest,
                         ::testing::Values(PhaseCase{"WarmStandard", "/standard", true, true, true},
                                           PhaseCase{"WarmForm", "/form", true, true, true},
                                           PhaseCase{"FirstStandard", "/standard", false, true, true},
                                           PhaseCase{"NoLogoSwitch", "/standard /nologo", true, true, false},
                                           PhaseCase{"NoResourceLibrary", "/standard", true, false, false}));

struct LinesCase {
  const char* name;
  std::vector<std::string> lines;
  bool matches;
};

TEST(StartPhases, LinesMustBeTheLibrarysAndComplete) {
  const std::vector<std::string> good = {
      "TarvexLogo: new-user defaults: 8 keys walked, 0 created for the user; 0 values copied, 30 kept\n",
      "TarvexLogo: language 0 from HKCU\\Software\\Vornek\\Tarvex4\\Helmex\n",
      "TarvexLogo: code page 1252 suits language 0\n",
      "TarvexLogo: resource library C:\\OxaRes0.dll loaded, GetResourceID found\n",
      "TarvexLogo: edition 15 (forms enabled): \"DisableForms\" absent\n",
      "TarvexLogo: mode 0 from the /standard switch\n",
      "TarvexLogo: no language setting in HKCU\\Software\\Vornek\\Tarvex4\\Helmex, English\n",
      "TarvexLogo: logo SVGA_LOGO_ZOLT shown at 307,229 409x309 with its palette\n"};
  std::vector<std::string> unprefixed = good;
  unprefixed[3] = unprefixed[3].substr(std::string("TarvexLogo: ").size());
  std::vector<std::string> swapped = good;
  std::swap(swapped[1], swapped[2]);
  std::vector<std::string> extra = good;
  extra.push_back("TarvexLogo: logo SVGA_LOGO_ZOLT shown again\n");
  const LinesCase cases[] = {{"the lines of a start", good, true},
                             {"one line without the prefix", unprefixed, false},
                             {"two lines swapped", swapped, false},
                             {"the last line missing", {good.begin(), good.end() - 1}, false},
                             {"a line more", extra, false},
                             {"no lines", {}, false}};
  for (const LinesCase& c : cases) EXPECT_EQ(LinesMatchPhases(c.lines), c.matches) << c.name;
}

// ---- statistics

struct SummaryCase {
  std::vector<double> samples;
  TimingSummary expected;
};

class SummaryTest : public ::testing::TestWithParam<SummaryCase> {};

TEST_P(SummaryTest, MedianQuartilesAndExtremes) {
  const SummaryCase& c = GetParam();
  TimingSummary s = Summarize(c.samples);
  EXPECT_DOUBLE_EQ(s.median, c.expected.median);
  EXPECT_DOUBLE_EQ(s.minimum, c.expected.minimum);
  EXPECT_DOUBLE_EQ(s.maximum, c.expected.maximum);
  EXPECT_DOUBLE_EQ(s.lowerQuartile, c.expected.lowerQuartile);
  EXPECT_DOUBLE_EQ(s.upperQuartile, c.expected.upperQuartile);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, SummaryTest,
    ::testing::Values(SummaryCase{{}, {0, 0, 0, 0, 0}}, SummaryCase{{7}, {7, 7, 7, 7, 7}},
                      SummaryCase{{5, 1, 3}, {3, 1, 5, 2, 4}},
                      SummaryCase{{4, 3, 2, 1}, {2.5, 1, 4, 1.75, 3.25}},
                      SummaryCase{{10, 1, 1, 1, 1}, {1, 1, 10, 1, 1}}));

// Samples 1..n bound the median at ranks 10 and 22 of 31, 40 and 61 of 100;
// a handful spans them all.
TEST(MedianConfidence, BoundsTheMedianByRank) {
  const std::pair<int, std::pair<double, double>> cases[] = {{31, {10, 22}}, {100, {40, 61}}, {3, {1, 3}}, {0, {0, 0}}};
  for (const auto& c : cases) {
    std::vector<double> samples;
    for (int i = c.first; i >= 1; --i) samples.push_back(i);
    const MedianInterval interval = MedianConfidence95(samples);
    EXPECT_EQ(std::make_pair(interval.low, interval.high), c.second) << c.first << " samples";
  }
}

// ---- stack

#if defined(__SANITIZE_ADDRESS__)
#define BENCH_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BENCH_UNDER_ASAN 1
#endif
#endif

constexpr size_t kFrameArray = 192;

__attribute__((noinline)) int Recurse(int depth) {
  volatile unsigned char frame[kFrameArray];
  for (size_t i = 0; i < kFrameArray; ++i) frame[i] = static_cast<unsigned char>(i);
  return depth == 0 ? frame[3] : Recurse(depth - 1) + frame[depth % kFrameArray];
}

void RecurseTo(void* depth) { Recurse(*static_cast<int*>(depth)); }

TEST(StackProbe, SeesEveryLevelOfARecursion) {
#ifdef BENCH_UNDER_ASAN
  GTEST_SKIP() << "the sanitizer moves locals off the stack";
#endif
  int shallow = 10;
  int deep = 210;
  const size_t shallowUse = MeasureStackUse(RecurseTo, &shallow);
  const size_t deepUse = MeasureStackUse(RecurseTo, &deep);
  const double perLevel = StackPerLevel(shallowUse, shallow, deepUse, deep);
  // The array, plus a return address and saved registers, alignment aside.
  EXPECT_GE(perLevel, static_cast<double>(kFrameArray)) << shallowUse << " and " << deepUse << " bytes";
  EXPECT_LE(perLevel, static_cast<double>(kFrameArray + 128)) << shallowUse << " and " << deepUse << " bytes";
  EXPECT_LT(deepUse, kPaintedStackBytes);
}

TEST(StackProbe, LevelsNeedTwoDistinctDepths) {
  EXPECT_EQ(StackPerLevel(100, 5, 900, 5), 0.0);
  EXPECT_EQ(StackPerLevel(100, 6, 900, 5), 0.0);
  EXPECT_DOUBLE_EQ(StackPerLevel(1000, 10, 21000, 110), 200.0);
}

}  // namespace
