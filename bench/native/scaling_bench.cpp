// How the start-up's work grows with its input, natively on winsim: the
// defaults copy per value for trees of 100 to 100,000 values (first start and
// warm start), and the switch and file-type tests per byte for command lines
// of 100 to 32,767 characters. Every benchmark reports its unit count as
// items, so items_per_second is values or bytes per second.
#include <benchmark/benchmark.h>
#include <windows.h>
#include <winsim/control.h>

#include <string>

#include "bench_tree.h"
#include "command_lines.h"
#include "core/command_line.h"
#include "core/product_startup.h"
#include "settings/new_user_defaults.h"

namespace {

const char kDefaultsKey[] = "Software\\Pellix\\Tarvex\\4.0\\New User Defaults";
const char kUserKey[] = "Software\\Vornek";
constexpr int kValuesPerKey = 10;
// Every call of the simulated API adds to winsim's call log; the tight loops
// empty it now and then so it does not grow without end.
constexpr int kCallsBetweenLogClears = 1024;

// A fresh machine with a scaled defaults tree of `values` values, 10 per key.
bool PrepareDefaults(benchmark::State& state, int values) {
  winsim::Reset();
  if (!BuildScaledTree(HKEY_LOCAL_MACHINE, kDefaultsKey, values / kValuesPerKey, kValuesPerKey)) {
    state.SkipWithError("cannot build the defaults tree");
    return false;
  }
  winsim::ClearCalls();
  return true;
}

bool UserHasEverything(benchmark::State& state, int values) {
  const TreeCount user = CountTree(HKEY_CURRENT_USER, kUserKey);
  if (user.keys == values / kValuesPerKey && user.values == values) return true;
  state.SkipWithError("the copy is incomplete");
  return false;
}

void BM_DefaultsCopyFirstStart(benchmark::State& state) {
  const int values = static_cast<int>(state.range(0));
  if (!PrepareDefaults(state, values)) return;
  for (auto _ : state) {
    state.PauseTiming();
    winsim::DeleteRegistryTree(HKEY_CURRENT_USER, kUserKey);
    winsim::ClearCalls();
    state.ResumeTiming();
    CopyNewUserDefaults();
  }
  if (UserHasEverything(state, values)) state.SetItemsProcessed(state.iterations() * values);
  winsim::Reset();
}

void BM_DefaultsCopyWarmStart(benchmark::State& state) {
  const int values = static_cast<int>(state.range(0));
  if (!PrepareDefaults(state, values)) return;
  CopyNewUserDefaults();
  for (auto _ : state) {
    state.PauseTiming();
    winsim::ClearCalls();
    state.ResumeTiming();
    CopyNewUserDefaults();
  }
  // Nothing is missing, so nothing may be written.
  if (winsim::CallCount("RegSetValueExA") != 0) state.SkipWithError("a warm start wrote values");
  if (UserHasEverything(state, values)) state.SetItemsProcessed(state.iterations() * values);
  winsim::Reset();
}

template <typename Test>
void RunCommandLineTest(benchmark::State& state, Test test) {
  const size_t length = static_cast<size_t>(state.range(0));
  winsim::Reset();
  winsim::SetCommandLine(WorstCaseCommandLine(length));
  int found = 0;
  int sinceClear = 0;
  for (auto _ : state) {
    found |= test();
    if (++sinceClear == kCallsBetweenLogClears) {
      winsim::ClearCalls();
      sinceClear = 0;
    }
  }
  benchmark::DoNotOptimize(found);
  if (found) state.SkipWithError("the line holds what is looked for: the scan stopped early");
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(length));
  winsim::Reset();
}

void BM_SwitchTest(benchmark::State& state) {
  RunCommandLineTest(state, [] { return CommandLineHasSwitch("NOLOGO"); });
}

void BM_FileTypeTest(benchmark::State& state) {
  RunCommandLineTest(state, [] { return CommandLineHasFileType(".frm"); });
}

BENCHMARK(BM_DefaultsCopyFirstStart)->Arg(100)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DefaultsCopyWarmStart)->Arg(100)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SwitchTest)->Arg(100)->Arg(1000)->Arg(10000)->Arg(32767);
BENCHMARK(BM_FileTypeTest)->Arg(100)->Arg(1000)->Arg(10000)->Arg(32767);

}  // namespace

BENCHMARK_MAIN();
