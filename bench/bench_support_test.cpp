// The benchmarks' own tools, checked on winsim: a figure is only as good as
// the tree it was measured on, the line it scanned and the arithmetic after.
#include <gtest/gtest.h>
#include <windows.h>
#include <winsim/control.h>

#include <string>
#include <vector>

#include "bench_stats.h"
#include "bench_tree.h"
#include "command_lines.h"
#include "core/command_line.h"
#include "stack_probe.h"

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
    HKEY handle = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &handle), ERROR_SUCCESS) << path;
    DWORD values = 0xdeadbeef;
    EXPECT_EQ(RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_SUCCESS)
        << path;
    RegCloseKey(handle);
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
