// Start-up cost under Wine: a load-and-unload cycle of TarvexLogo.dll against
// a cycle of an empty DLL and a cycle of the English resource library alone,
// interleaved in one process. Run it with "/nologo" on its command line, from
// the folder that holds the three DLLs.
//
// The library starts as a returning user's host would: the machine holds a
// typical set of new-user defaults and the user already has all of them.
// Whatever of the product's registry keys this creates is removed at the end.
// Prints one "name value" line per figure.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_stats.h"
#include "bench_tree.h"
#include "wine/bench_machine.h"
#include "wine/performance_clock.h"

namespace {

constexpr int kWarmUpCycles = 20;
constexpr int kCycles = 400;

enum Kind { kLibrary, kEmpty, kResources, kKindCount };
const char* const kKindNames[kKindCount] = {"library", "empty", "resources"};
const char* const kFileNames[kKindCount] = {"TarvexLogo.dll", "BenchEmpty.dll", "OxaRes0.dll"};

double TimeCycle(const std::string& path, bool* ok) {
  const double start = NowInMicroseconds();
  HMODULE module = LoadLibraryA(path.c_str());
  if (module != nullptr) FreeLibrary(module);
  const double elapsed = NowInMicroseconds() - start;
  if (module == nullptr) *ok = false;
  return elapsed;
}

// One load of the library, checked: it must have loaded the English
// resource library, settled the main mode without a logo, and left nothing
// loaded behind.
bool CheckLibraryStart(const std::string& directory) {
  HMODULE library = LoadLibraryA((directory + kFileNames[kLibrary]).c_str());
  if (library == nullptr) {
    std::fprintf(stderr, "bench_load_cycle: cannot load %s (error %lu)\n", kFileNames[kLibrary], GetLastError());
    return false;
  }
  typedef int(__cdecl * QueryFunction)();
  QueryFunction getMode = reinterpret_cast<QueryFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, MAKEINTRESOURCEA(1))));
  const int mode = getMode != nullptr ? getMode() : -1;
  const bool resourcesLoaded = GetModuleHandleA(kFileNames[kResources]) != nullptr;
  FreeLibrary(library);
  const bool unloaded =
      GetModuleHandleA(kFileNames[kLibrary]) == nullptr && GetModuleHandleA(kFileNames[kResources]) == nullptr;
  if (mode != 0 || !resourcesLoaded || !unloaded) {
    std::fprintf(stderr, "bench_load_cycle: unexpected start: mode %d, resource library %s, %s after unloading\n",
                 mode, resourcesLoaded ? "loaded" : "not loaded", unloaded ? "nothing left" : "modules left");
    return false;
  }
  return true;
}

bool Measure(const std::string& directory) {
  if (!CheckLibraryStart(directory)) return false;
  TreeCount user = CountTree(HKEY_CURRENT_USER, "Software\\Vornek");
  if (user.keys != kTypicalKeys || user.values != kTypicalValues) {
    std::fprintf(stderr, "bench_load_cycle: the user has %ld keys and %ld values after the first start\n", user.keys,
                 user.values);
    return false;
  }
  std::string paths[kKindCount];
  for (int kind = 0; kind < kKindCount; ++kind) paths[kind] = directory + kFileNames[kind];

  bool ok = true;
  std::vector<double> samples[kKindCount];
  for (int cycle = -kWarmUpCycles; cycle < kCycles; ++cycle) {
    // Each cycle starts with another kind, so no kind always follows the same one.
    for (int step = 0; step < kKindCount; ++step) {
      const int kind = (cycle + kWarmUpCycles + step) % kKindCount;
      double elapsed = TimeCycle(paths[kind], &ok);
      if (cycle >= 0) samples[kind].push_back(elapsed);
    }
  }
  if (!ok) {
    std::fprintf(stderr, "bench_load_cycle: a load failed\n");
    return false;
  }
  std::printf("cycle.count %d\n", kCycles);
  double medians[kKindCount];
  for (int kind = 0; kind < kKindCount; ++kind) {
    TimingSummary summary = Summarize(samples[kind]);
    medians[kind] = summary.median;
    std::printf("cycle.%s.median_us %.1f\n", kKindNames[kind], summary.median);
    std::printf("cycle.%s.q1_us %.1f\n", kKindNames[kind], summary.lowerQuartile);
    std::printf("cycle.%s.q3_us %.1f\n", kKindNames[kind], summary.upperQuartile);
    std::printf("cycle.%s.min_us %.1f\n", kKindNames[kind], summary.minimum);
  }
  std::printf("cycle.own_us %.1f\n", medians[kLibrary] - medians[kEmpty] - medians[kResources]);
  return true;
}

}  // namespace

int main() {
  if (!CommandLineHasSwitch("nologo")) {
    std::fprintf(stderr, "bench_load_cycle: run as \"bench_load_cycle.exe /nologo\", so no logo is shown\n");
    return 2;
  }
  const std::string directory = ExecutableDirectory();
  if (!FilesBesideProgram(directory, kFileNames, kKindCount, "bench_load_cycle")) return 1;
  // The system libraries the start-up library imports stay loaded, as they
  // are in a real host, so the cycles measure only the three files.
  for (const char* system : {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll"}) {
    if (LoadLibraryA(system) == nullptr) {
      std::fprintf(stderr, "bench_load_cycle: cannot load %s\n", system);
      return 1;
    }
  }

  TypicalMachine machine;
  bool ok = machine.Prepare();
  if (!ok) std::fprintf(stderr, "bench_load_cycle: cannot write the machine's defaults\n");
  if (ok) ok = Measure(directory);
  if (!machine.Restore()) ok = false;
  std::fflush(stdout);
  return ok ? 0 : 1;
}
