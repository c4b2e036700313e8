// The defaults copy against the platform's own tree copy, in one process
// under Wine: RegKey::CopyKeyTree at a first start (nothing in the
// destination) and at a warm start (nothing missing), against SHCopyKeyA into
// an empty key and over a complete copy (it has no "only missing" mode, so it
// writes everything again). Ratios are taken within a round of the two
// copiers. Also what single registry calls cost, and the copy's stack per
// recursion level in this build.
//
// Prints one "name value" line per figure. Its scratch trees live under
// HKEY_CURRENT_USER\Software\TarvexBench and are removed at the end.
#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_stats.h"
#include "bench_tree.h"
#include "settings/reg_key.h"
#include "stack_probe.h"
#include "unique_reg_key.h"
#include "wine/performance_clock.h"

namespace {

const char kScratch[] = "Software\\TarvexBench";
const char kSource[] = "Software\\TarvexBench\\Defaults";
// The key of 10 values on which single calls are timed.
const char kCallKey[] = "Software\\TarvexBench\\Calls";
const char kDestination[] = "Software\\TarvexBench\\User";
const char kShallowChain[] = "Software\\TarvexBench\\ChainShallow";
const char kDeepChain[] = "Software\\TarvexBench\\ChainDeep";
const char kChainCopy[] = "Software\\TarvexBench\\ChainCopy";

constexpr int kKeys = 100;
constexpr int kValuesPerKey = 10;
constexpr int kRuns = 61;
constexpr int kShallowDepth = 64;
// Below the registry's 512 levels, with the scratch path above it.
constexpr int kDeepDepth = 448;

// The library's copy, opened as the start-up opens it.
void LibraryCopy(const char* source, const char* destination) {
  const RegKey from = RegKey::OpenForReading(HKEY_CURRENT_USER, source);
  RegKey to = RegKey::Create(HKEY_CURRENT_USER, destination);
  from.CopyKeyTree(to, 1);
}

// The platform's copy, with the keys opened the same way.
LSTATUS PlatformCopy(const char* source, const char* destination) {
  UniqueRegKey from;
  UniqueRegKey to;
  LSTATUS status = RegOpenKeyExA(HKEY_CURRENT_USER, source, 0, KEY_READ, from.put());
  if (status == ERROR_SUCCESS) {
    status = RegCreateKeyExA(HKEY_CURRENT_USER, destination, 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_READ | KEY_WRITE, nullptr, to.put(), nullptr);
  }
  if (status == ERROR_SUCCESS) status = static_cast<LSTATUS>(SHCopyKeyA(from.get(), nullptr, to.get(), 0));
  return status;
}

enum Copier { kLibrary, kPlatform, kCopierCount };
const char* const kCopierNames[kCopierCount] = {"library", "platform"};

// One copy into the destination as it stands, in milliseconds.
double TimeCopy(Copier copier, LSTATUS* status) {
  *status = ERROR_SUCCESS;
  const double start = NowInMilliseconds();
  switch (copier) {
    case kLibrary:
      LibraryCopy(kSource, kDestination);
      break;
    case kPlatform:
      *status = PlatformCopy(kSource, kDestination);
      break;
    case kCopierCount:
      break;
  }
  return NowInMilliseconds() - start;
}

// A timing only counts when the copy is complete.
bool DestinationComplete(Copier copier, LSTATUS status) {
  TreeCount count = CountTree(HKEY_CURRENT_USER, kDestination);
  if (status == ERROR_SUCCESS && count.keys == kKeys && count.values == static_cast<long>(kKeys) * kValuesPerKey) {
    return true;
  }
  std::fprintf(stderr, "bench_registry_copy: the %s copy (status %ld) left %ld keys and %ld values, not %d and %d\n",
               kCopierNames[copier], static_cast<long>(status), count.keys, count.values, kKeys,
               kKeys * kValuesPerKey);
  return false;
}

void PrintSummary(const char* what, const char* name, const char* unit, const std::vector<double>& samples) {
  TimingSummary summary = Summarize(samples);
  std::printf("%s.%s.median_%s %.3f\n", what, name, unit, summary.median);
  std::printf("%s.%s.min_%s %.3f\n", what, name, unit, summary.minimum);
  std::printf("%s.%s.max_%s %.3f\n", what, name, unit, summary.maximum);
  std::printf("%s.%s.q1_%s %.3f\n", what, name, unit, summary.lowerQuartile);
  std::printf("%s.%s.q3_%s %.3f\n", what, name, unit, summary.upperQuartile);
}

struct ChainCopyJob {
  const char* source;
};

void RunChainCopy(void* context) { LibraryCopy(static_cast<ChainCopyJob*>(context)->source, kChainCopy); }

// Stack of the copy of a chain `depth` keys deep, into an empty destination.
bool ChainCopyStack(const char* chain, int depth, size_t* bytes) {
  if (!RemoveTree(HKEY_CURRENT_USER, kChainCopy)) return false;
  ChainCopyJob job{chain};
  *bytes = MeasureStackUse(RunChainCopy, &job);
  TreeCount copied = CountTree(HKEY_CURRENT_USER, kChainCopy);
  if (copied.keys != depth + 1) {
    std::fprintf(stderr, "bench_registry_copy: the chain copy holds %ld keys, not %d\n", copied.keys, depth + 1);
    return false;
  }
  return true;
}

bool MeasureStackPerLevel() {
  if (!BuildKeyChain(HKEY_CURRENT_USER, kShallowChain, kShallowDepth) ||
      !BuildKeyChain(HKEY_CURRENT_USER, kDeepChain, kDeepDepth)) {
    std::fprintf(stderr, "bench_registry_copy: cannot build the key chains\n");
    return false;
  }
  // Once beforehand, so that nothing done on a first call only is counted.
  size_t shallow = 0;
  size_t deep = 0;
  if (!ChainCopyStack(kShallowChain, kShallowDepth, &shallow)) return false;
  if (!ChainCopyStack(kShallowChain, kShallowDepth, &shallow)) return false;
  if (!ChainCopyStack(kDeepChain, kDeepDepth, &deep)) return false;
  std::printf("stack.shallow_depth %d\n", kShallowDepth);
  std::printf("stack.shallow_bytes %zu\n", shallow);
  std::printf("stack.deep_depth %d\n", kDeepDepth);
  std::printf("stack.deep_bytes %zu\n", deep);
  std::printf("stack.per_level_bytes %.1f\n", StackPerLevel(shallow, kShallowDepth, deep, kDeepDepth));
  return deep < kPaintedStackBytes;
}

bool MeasureCopies() {
  if (!BuildScaledTree(HKEY_CURRENT_USER, kSource, kKeys, kValuesPerKey)) {
    std::fprintf(stderr, "bench_registry_copy: cannot build the defaults tree\n");
    return false;
  }
  std::vector<double> first[kCopierCount];
  std::vector<double> warm[kCopierCount];
  // Round 0 warms the registry up and is not kept. Each round starts with
  // another copier, so a drift of the machine weighs on all alike; ratios are
  // taken within a round, where the copies ran a fraction of a second apart.
  for (int round = 0; round <= kRuns; ++round) {
    for (int turn = 0; turn < kCopierCount; ++turn) {
      const Copier copier = static_cast<Copier>((round + turn) % kCopierCount);
      if (!RemoveTree(HKEY_CURRENT_USER, kDestination)) return false;
      LSTATUS status;
      const double firstTime = TimeCopy(copier, &status);
      if (!DestinationComplete(copier, status)) return false;
      const double warmTime = TimeCopy(copier, &status);
      if (!DestinationComplete(copier, status)) return false;
      if (round == 0) continue;
      first[copier].push_back(firstTime);
      warm[copier].push_back(warmTime);
    }
  }
  std::printf("copy.keys %d\n", kKeys);
  std::printf("copy.values %d\n", kKeys * kValuesPerKey);
  std::printf("copy.runs %d\n", kRuns);
  for (int copier = 0; copier < kCopierCount; ++copier) {
    PrintSummary("copy", (std::string(kCopierNames[copier]) + "_first").c_str(), "ms", first[copier]);
    PrintSummary("copy", (std::string(kCopierNames[copier]) + "_warm").c_str(), "ms", warm[copier]);
  }
  std::vector<double> firstRatios;
  std::vector<double> warmRatios;
  for (int run = 0; run < kRuns; ++run) {
    firstRatios.push_back(first[kLibrary][run] / first[kPlatform][run]);
    warmRatios.push_back(warm[kLibrary][run] / warm[kPlatform][run]);
  }
  PrintSummary("ratio", "library_first", "x", firstRatios);
  PrintSummary("ratio", "library_warm", "x", warmRatios);
  const MedianInterval warmInterval = MedianConfidence95(warmRatios);
  std::printf("ratio.library_warm.ci_low_x %.3f\nratio.library_warm.ci_high_x %.3f\n", warmInterval.low,
              warmInterval.high);
  return true;
}

// ---- what single calls cost

enum CallKind {
  kEnumValueA,
  kEnumValueW,
  kQueryPresentA,
  kQueryMissingA,
  kQuerySizeOnlyA,
  kQueryNoDataW,
  kSetSameW,
  kSetSameA,
  kQueryInfoA,
  kQueryPresentW,
  kOpenKeyA,
  kOpenKeyW,
  kCallKindCount
};
const char* const kCallNames[kCallKindCount] = {"RegEnumValueA",         "RegEnumValueW",
                                                 "RegQueryValueExA_present", "RegQueryValueExA_missing",
                                                 "RegQueryValueExA_size_only", "RegQueryValueExW_no_data",
                                                 "RegSetValueExW_same",   "RegSetValueExA_same",
                                                 "RegQueryInfoKeyA",      "RegQueryValueExW_present",
                                                 "RegOpenKeyExA_close",   "RegOpenKeyExW_close"};

void MakeCall(CallKind kind, HKEY key, int index) {
  char name[512];
  WCHAR wideName[260];
  BYTE data[1024];
  DWORD nameSize = 512;
  DWORD wideNameSize = 260;
  DWORD dataSize = 512;
  DWORD type = REG_NONE;
  char valueName[32];
  WCHAR wideValueName[32];
  std::snprintf(valueName, sizeof valueName, "Value%02d", index);
  for (int i = 0; i < 32; ++i) wideValueName[i] = static_cast<WCHAR>(static_cast<unsigned char>(valueName[i]));
  static const char text[] = "Default text of value 00 in key 00000";
  static const WCHAR wideText[] = L"Default text of value 00 in key 00000";
  switch (kind) {
    case kEnumValueA:
      RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize);
      break;
    case kEnumValueW:
      dataSize = sizeof data;
      RegEnumValueW(key, index, wideName, &wideNameSize, nullptr, &type, data, &dataSize);
      break;
    case kQueryPresentA:
      RegQueryValueExA(key, valueName, nullptr, &type, data, &dataSize);
      break;
    case kQueryMissingA:
      RegQueryValueExA(key, "Missing", nullptr, &type, data, &dataSize);
      break;
    case kQuerySizeOnlyA:
      // Type and size of a present value, without its data.
      RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &dataSize);
      break;
    case kQueryNoDataW:
      // The same of the wide function, which then asks the wineserver for no data.
      RegQueryValueExW(key, wideValueName, nullptr, &type, nullptr, &dataSize);
      break;
    case kSetSameW:
      RegSetValueExW(key, wideValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(wideText), sizeof wideText);
      break;
    case kSetSameA:
      RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
      break;
    case kQueryInfoA:
      RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &type, nullptr, nullptr, nullptr,
                       nullptr);
      break;
    case kQueryPresentW:
      dataSize = sizeof data;
      RegQueryValueExW(key, wideValueName, nullptr, &type, data, &dataSize);
      break;
    case kOpenKeyA:
    case kOpenKeyW: {
      UniqueRegKey opened;
      if (kind == kOpenKeyA) {
        RegOpenKeyExA(HKEY_CURRENT_USER, kCallKey, 0, KEY_READ, opened.put());
      } else {
        RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\TarvexBench\\Calls", 0, KEY_READ, opened.put());
      }
      break;
    }
    case kCallKindCount:
      break;
  }
}

// The registry calls the two copies are made of, one kind after the other in
// every round, on a key of 10 values that already hold what is written.
// The key of the single calls, made with its values; empty if it cannot be.
UniqueRegKey OpenCallKey() {
  UniqueRegKey key;
  if (!BuildScaledTree(HKEY_CURRENT_USER, kCallKey, 1, kValuesPerKey) ||
      RegOpenKeyExA(HKEY_CURRENT_USER, kCallKey, 0, KEY_READ | KEY_WRITE, key.put()) != ERROR_SUCCESS) {
    key.reset();
  }
  return key;
}

bool MeasureCalls() {
  constexpr int kRounds = 40;
  constexpr int kCallsPerSample = 100;
  const UniqueRegKey key = OpenCallKey();
  if (!key) return false;
  // After the first round every value holds the text written, so each later
  // write stores what is already there, as SHCopyKeyA does at a warm start.
  std::vector<double> samples[kCallKindCount];
  for (int round = 0; round < kRounds; ++round) {
    for (int step = 0; step < kCallKindCount; ++step) {
      const CallKind kind = static_cast<CallKind>((round + step) % kCallKindCount);
      const double start = NowInMilliseconds();
      for (int call = 0; call < kCallsPerSample; ++call) MakeCall(kind, key.get(), call % kValuesPerKey);
      samples[kind].push_back((NowInMilliseconds() - start) * 1000.0 / kCallsPerSample);
    }
  }
  for (int kind = 0; kind < kCallKindCount; ++kind) {
    std::printf("call.%s.median_us %.2f\n", kCallNames[kind], Summarize(samples[kind]).median);
  }
  return true;
}

// ---- what the ANSI forms add

// Calls whose ANSI and wide forms make the same request of the wineserver.
struct FormPair {
  const char* name;
  CallKind ansi;
  CallKind wide;
};
const FormPair kFormPairs[] = {{"RegEnumValue", kEnumValueA, kEnumValueW},
                               {"RegQueryValueEx", kQueryPresentA, kQueryPresentW},
                               {"RegSetValueEx", kSetSameA, kSetSameW},
                               {"RegOpenKeyEx", kOpenKeyA, kOpenKeyW}};

// Wine makes each ANSI call into its wide form inside the call, where
// SHCopyKeyA converts once and calls the wide forms. Each pair's two forms
// are timed one right after the other, in turns first, and the median of the
// differences kept: the round trip, common to both, cancels out.
bool MeasureAnsiForms() {
  constexpr int kPairs = 4000;
  const UniqueRegKey key = OpenCallKey();
  if (!key) return false;
  std::printf("ansi.pairs %d\n", kPairs);
  for (const FormPair& pair : kFormPairs) {
    std::vector<double> extra, wide;
    for (int i = 0; i < kPairs; ++i) {
      const bool ansiFirst = i % 2 == 0;
      const double start = NowInMilliseconds();
      MakeCall(ansiFirst ? pair.ansi : pair.wide, key.get(), i % kValuesPerKey);
      const double middle = NowInMilliseconds();
      MakeCall(ansiFirst ? pair.wide : pair.ansi, key.get(), i % kValuesPerKey);
      const double end = NowInMilliseconds();
      const double ansiTime = ansiFirst ? middle - start : end - middle;
      const double wideTime = ansiFirst ? end - middle : middle - start;
      extra.push_back((ansiTime - wideTime) * 1000.0);
      wide.push_back(wideTime * 1000.0);
    }
    const TimingSummary more = Summarize(extra);
    std::printf("ansi.%s.extra_us %.3f\nansi.%s.extra_q1_us %.3f\nansi.%s.extra_q3_us %.3f\nansi.%s.wide_us %.2f\n",
                pair.name, more.median, pair.name, more.lowerQuartile, pair.name, more.upperQuartile, pair.name,
                Summarize(wide).median);
  }
  return true;
}

}  // namespace

int main() {
  // A run cut short earlier may have left its trees.
  if (!RemoveTree(HKEY_CURRENT_USER, kScratch)) {
    std::fprintf(stderr, "bench_registry_copy: cannot clear HKCU\\%s\n", kScratch);
    return 1;
  }
  bool ok = MeasureCopies() && MeasureCalls() && MeasureAnsiForms() && MeasureStackPerLevel();
  if (!RemoveTree(HKEY_CURRENT_USER, kScratch)) {
    std::fprintf(stderr, "bench_registry_copy: cannot remove HKCU\\%s\n", kScratch);
    ok = false;
  }
  std::fflush(stdout);
  return ok ? 0 : 1;
}
