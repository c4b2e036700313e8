// What one start costs in calls and memory, natively on winsim: registry
// calls per start against the fewest the copy and the start-up sequence
// allow, heap allocations per start, and the copy's stack per recursion level.
//
// The start is a whole process attach and detach of a ProductStartup with
// "/nologo" on the command line, the English resource library beside the
// host, "DisableForms" set to "0" and a typical set of new-user defaults
// (30 values in 8 keys): once as a user's first start, once warm.
//
// Linked with -Wl,--wrap=malloc (and calloc, realloc): only calls made from
// the objects linked here are counted, that is from the product code, since
// winsim allocates through operator new in the shared C++ library and this
// file allocates nothing while counting. Prints one "name value" line per
// figure. Then a warm start with "/standard" and the logo, its calls counted
// per phase of the time-to-logo breakdown (the phases its diagnostics lines
// end). With "copy-once VALUES first|warm" it makes one copy of a scaled
// tree instead, and with "scan-once LENGTH switch|file-type" one command-line
// test, for callgrind to count their instructions.
#include <windows.h>
#include <winsim/control.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_tree.h"
#include "command_lines.h"
#include "core/command_line.h"
#include "core/library_entry.h"
#include "core/product_startup.h"
#include "settings/new_user_defaults.h"
#include "settings/reg_key.h"
#include "settings/subkey_list.h"
#include "stack_probe.h"
#include "start_phases.h"
#include "test_dib.h"

// ---- allocation counting

namespace {

struct AllocationCount {
  long calls;
  long bytes;
  long subkeyLists;
};

bool g_counting = false;
AllocationCount g_allocations{0, 0, 0};

void Count(size_t bytes) {
  if (!g_counting) return;
  ++g_allocations.calls;
  g_allocations.bytes += static_cast<long>(bytes);
}

}  // namespace

extern "C" {
void* __real_malloc(size_t bytes);
void* __real_calloc(size_t count, size_t bytes);
void* __real_realloc(void* memory, size_t bytes);

void* __wrap_malloc(size_t bytes) {
  Count(bytes);
  return __real_malloc(bytes);
}
void* __wrap_calloc(size_t count, size_t bytes) {
  Count(count * bytes);
  return __real_calloc(count, bytes);
}
void* __wrap_realloc(void* memory, size_t bytes) {
  Count(bytes);
  return __real_realloc(memory, bytes);
}
}

namespace {

const char kHostPath[] = "C:\\Program Files\\Tarvex\\host.exe";
const char kOwnPath[] = "C:\\Program Files\\Tarvex\\TarvexLogo.dll";
const char kEnglishLibrary[] = "C:\\Program Files\\Tarvex\\OxaRes0.dll";
const char kMachineKey[] = "SOFTWARE\\Pellix\\Tarvex\\4.0";
const char kDefaultsKey[] = "Software\\Pellix\\Tarvex\\4.0\\New User Defaults";
const char kUserKey[] = "Software\\Vornek";
constexpr UINT kTitleId = 101;

// The subkey lists go through the library's own hook as well, so they can be
// told apart from the other allocations.
void* CountingListAllocator(size_t bytes) {
  if (g_counting) ++g_allocations.subkeyLists;
  return std::malloc(bytes);
}

int __cdecl EnglishResourceId(const char* key) {
  return key != nullptr && std::strcmp(key, "PROGRAM_TITLE") == 0 ? static_cast<int>(kTitleId) : 0;
}

// Returns the start-up library's own module, as the loader hands it over.
HMODULE PrepareMachine() {
  winsim::Reset();
  winsim::SetHostExecutablePath(kHostPath);
  winsim::SetCommandLine(std::string("\"") + kHostPath + "\" /nologo");
  winsim::ModuleImage english;
  english.strings[kTitleId] = "Tarvex 4.0";
  english.exports["GetResourceID"] = reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(EnglishResourceId));
  winsim::AddModuleFile(kEnglishLibrary, english);
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kMachineKey, "DisableForms", "0");
  BuildTypicalDefaults(HKEY_LOCAL_MACHINE, kDefaultsKey);
  return winsim::AddLoadedModule(kOwnPath);
}

// ---- the fewest registry calls

struct CallFloor {
  const char* function;
  long count;
};

// What the rules of the copy and the start-up sequence cannot do without, for
// a defaults tree of `keys` keys (its top included) and `values` values, at a
// first start (the user has none of it) or a warm one (the user has all of
// it), when every call succeeds. Per source key one RegQueryInfoKeyA, whose
// counts bound both walks: one RegEnumValueA per value and one RegEnumKeyExA
// per subkey, none for the end of either, no listing of a key without
// subkeys. One presence read (RegQueryValueExA) per value of a destination
// key that existed before the start; a key made by RegCreateKeyExA says so
// itself (REG_CREATED_NEW_KEY) and holds nothing to read. One write per
// missing value. One open per source subkey and one create per destination
// subkey, one close per handle, the two tops; and twice a language read and a
// "DisableForms" read (open, query, close each).
std::vector<CallFloor> StartupFloor(long keys, long values, bool firstStart) {
  const long subkeys = keys - 1;
  const long settingReads = 2 + 2;
  return {
      {"RegOpenKeyExA", 1 + subkeys + settingReads},
      {"RegCreateKeyExA", 1 + subkeys},
      {"RegCloseKey", 2 + 2 * subkeys + settingReads},
      {"RegQueryInfoKeyA", keys},
      {"RegEnumValueA", values},
      {"RegQueryValueExA", (firstStart ? 0 : values) + settingReads},
      {"RegSetValueExA", firstStart ? values : 0},
      {"RegEnumKeyExA", subkeys},
  };
}

void MeasureStart(HMODULE own, const char* name, bool firstStart) {
  if (firstStart) winsim::DeleteRegistryTree(HKEY_CURRENT_USER, kUserKey);
  winsim::ClearCalls();
  g_allocations = AllocationCount{0, 0, 0};
  const int keysBefore = winsim::LiveHandles(winsim::HandleKind::RegistryKey);
  {
    ProductStartup startup;
    g_counting = true;
    RunLibraryEntry(startup, own, DLL_PROCESS_ATTACH);
    RunLibraryEntry(startup, own, DLL_PROCESS_DETACH);
    g_counting = false;
  }
  long total = 0;
  long floorTotal = 0;
  for (const CallFloor& floor : StartupFloor(kTypicalKeys, kTypicalValues, firstStart)) {
    const long count = winsim::CallCount(floor.function);
    total += count;
    floorTotal += floor.count;
    std::printf("calls.%s.%s %ld\n", name, floor.function, count);
    std::printf("floor.%s.%s %ld\n", name, floor.function, floor.count);
  }
  long otherRegistry = 0;
  for (const std::string& call : winsim::Calls()) otherRegistry += call.compare(0, 3, "Reg") == 0;
  otherRegistry -= total;
  std::printf("calls.%s.other_registry %ld\n", name, otherRegistry);
  std::printf("calls.%s.total %ld\n", name, total + otherRegistry);
  std::printf("floor.%s.total %ld\n", name, floorTotal);
  std::printf("calls.%s.all_api %zu\n", name, winsim::Calls().size());
  std::printf("calls.%s.registry_handles_left %d\n", name,
              winsim::LiveHandles(winsim::HandleKind::RegistryKey) - keysBefore);
  std::printf("heap.%s.calls %ld\n", name, g_allocations.calls);
  std::printf("heap.%s.bytes %ld\n", name, g_allocations.bytes);
  std::printf("heap.%s.subkey_lists %ld\n", name, g_allocations.subkeyLists);
  std::printf("heap.%s.other %ld\n", name, g_allocations.calls - g_allocations.subkeyLists);
  std::printf("heap.%s.global_alloc %d\n", name, winsim::CallCount("GlobalAlloc"));
  const TreeCount user = CountTree(HKEY_CURRENT_USER, kUserKey);
  std::printf("tree.%s.user_keys %ld\n", name, user.keys);
  std::printf("tree.%s.user_values %ld\n", name, user.values);
  std::printf("tree.%s.user_parents %ld\n", name, user.parents);
  std::printf("tree.%s.keys_without_values %d\n", name, kTypicalKeysWithoutValues);
}

// ---- calls per phase of a start that shows the logo

// The warm start the Wine time-to-logo breakdown times, on winsim: the calls
// each phase makes, split where the library writes a diagnostics line.
bool MeasurePhaseCalls(HMODULE own) {
  winsim::SetCommandLine(std::string("\"") + kHostPath + "\" /standard");
  winsim::SetScreenSize(1024, 768);
  winsim::ModuleImage english;
  english.strings[kTitleId] = "Tarvex 4.0";
  english.exports["GetResourceID"] = reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(EnglishResourceId));
  // The logo's size as the resource libraries draw it.
  english.bitmaps["SVGA_LOGO_ZOLT"] = test_dib::Plain(400, 300, 8);
  winsim::AddModuleFile(kEnglishLibrary, english);
  winsim::ClearCalls();
  const size_t linesBefore = winsim::DebugOutput().size();
  {
    ProductStartup startup;
    RunLibraryEntry(startup, own, DLL_PROCESS_ATTACH);
    const std::vector<std::string> lines(winsim::DebugOutput().begin() + static_cast<long>(linesBefore),
                                         winsim::DebugOutput().end());
    if (!LinesMatchPhases(lines)) {
      std::fprintf(stderr, "bench_startup_counts: the logo start wrote other lines than the phases expect\n");
      return false;
    }
    size_t phase = 0;
    long registry = 0;
    long api = 0;
    std::string previous;
    for (const std::string& call : winsim::Calls()) {
      // A line is its conversion to UTF-16 and its output: neither belongs to the phase.
      if (call == "OutputDebugStringW" && previous == "MultiByteToWideChar") --api;
      previous = call;
      if (call == "OutputDebugStringA" || call == "OutputDebugStringW") {
        std::printf("phase.%zu.registry_calls %ld\nphase.%zu.api_calls %ld\n", phase, registry, phase, api);
        ++phase;
        registry = api = 0;
        continue;
      }
      ++api;
      registry += call.compare(0, 3, "Reg") == 0;
    }
    std::printf("phase.%zu.registry_calls %ld\nphase.%zu.api_calls %ld\n", phase, registry, phase, api);
    RunLibraryEntry(startup, own, DLL_PROCESS_DETACH);
  }
  return true;
}

// ---- stack per recursion level

const char kShallowChain[] = "Software\\TarvexBench\\ChainShallow";
const char kDeepChain[] = "Software\\TarvexBench\\ChainDeep";
const char kChainCopy[] = "Software\\TarvexBench\\ChainCopy";
constexpr int kShallowDepth = 64;
constexpr int kDeepDepth = 448;

void RunChainCopy(void* context) {
  RegKey from = RegKey::OpenForReading(HKEY_LOCAL_MACHINE, static_cast<const char*>(context));
  RegKey to = RegKey::Create(HKEY_CURRENT_USER, kChainCopy);
  from.CopyKeyTree(to, 1);
}

size_t ChainCopyStack(const char* chain) {
  winsim::DeleteRegistryTree(HKEY_CURRENT_USER, kChainCopy);
  return MeasureStackUse(RunChainCopy, const_cast<char*>(chain));
}

bool MeasureStack() {
  winsim::Reset();
  if (!BuildKeyChain(HKEY_LOCAL_MACHINE, kShallowChain, kShallowDepth) ||
      !BuildKeyChain(HKEY_LOCAL_MACHINE, kDeepChain, kDeepDepth)) {
    std::fprintf(stderr, "bench_startup_counts: cannot build the key chains\n");
    return false;
  }
  ChainCopyStack(kShallowChain);
  const size_t shallow = ChainCopyStack(kShallowChain);
  const size_t deep = ChainCopyStack(kDeepChain);
  const TreeCount copied = CountTree(HKEY_CURRENT_USER, kChainCopy);
  std::printf("stack.shallow_depth %d\n", kShallowDepth);
  std::printf("stack.shallow_bytes %zu\n", shallow);
  std::printf("stack.deep_depth %d\n", kDeepDepth);
  std::printf("stack.deep_bytes %zu\n", deep);
  std::printf("stack.per_level_bytes %.1f\n", StackPerLevel(shallow, kShallowDepth, deep, kDeepDepth));
  if (copied.keys != kDeepDepth + 1 || deep >= kPaintedStackBytes) {
    std::fprintf(stderr, "bench_startup_counts: the chain copy holds %ld keys, not %d\n", copied.keys,
                 kDeepDepth + 1);
    return false;
  }
  return true;
}

// ---- one copy, for an instruction count under callgrind

// The copy that `valgrind --tool=callgrind --toggle-collect=MeasuredDefaultsCopy`
// counts: called exactly once per run.
__attribute__((noinline)) void MeasuredDefaultsCopy() { CopyNewUserDefaults(); }

// A scaled defaults tree of `values` values, 10 per key, copied once into a
// user who has nothing (first) or everything (warm).
int CopyOnce(int values, bool firstStart) {
  constexpr int kValuesPerKey = 10;
  winsim::Reset();
  if (values < kValuesPerKey ||
      !BuildScaledTree(HKEY_LOCAL_MACHINE, kDefaultsKey, values / kValuesPerKey, kValuesPerKey)) {
    std::fprintf(stderr, "bench_startup_counts: cannot build a tree of %d values\n", values);
    return 1;
  }
  // Copied once beforehand either way, so that nothing done on a first call
  // only (binding of shared functions, first growth of winsim's tables) is
  // counted; a first start then begins again from a user who has nothing.
  CopyNewUserDefaults();
  if (firstStart) winsim::DeleteRegistryTree(HKEY_CURRENT_USER, kUserKey);
  winsim::ClearCalls();
  MeasuredDefaultsCopy();
  // The copy's calls only: counting the tree afterwards makes calls of its own.
  const size_t calls = winsim::Calls().size();
  long registryCalls = 0;
  for (const std::string& call : winsim::Calls()) registryCalls += call.compare(0, 3, "Reg") == 0;
  const TreeCount user = CountTree(HKEY_CURRENT_USER, kUserKey);
  std::printf("copy_once.values %d\n", values);
  std::printf("copy_once.calls %zu\n", calls);
  std::printf("copy_once.registry_calls %ld\n", registryCalls);
  winsim::Reset();
  return user.values == values ? 0 : 1;
}

// ---- one command-line test, for an instruction count under callgrind

__attribute__((noinline)) int MeasuredCommandLineTest(bool fileType) {
  return fileType ? CommandLineHasFileType(".frm") : CommandLineHasSwitch("NOLOGO");
}

// One switch test or file-type test on a worst-case line of `length` characters.
int ScanOnce(size_t length, bool fileType) {
  winsim::Reset();
  winsim::SetCommandLine(WorstCaseCommandLine(length));
  // Once beforehand, so that only the steady cost is counted.
  int found = fileType ? CommandLineHasFileType(".frm") : CommandLineHasSwitch("NOLOGO");
  found |= MeasuredCommandLineTest(fileType);
  std::printf("scan_once.length %zu\n", length);
  winsim::Reset();
  return found == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  // copy-once VALUES first|warm: one copy, nothing else measured.
  if (argc == 4 && std::strcmp(argv[1], "copy-once") == 0) {
    return CopyOnce(std::atoi(argv[2]), std::strcmp(argv[3], "first") == 0);
  }
  // scan-once LENGTH switch|file-type: one command-line test.
  if (argc == 4 && std::strcmp(argv[1], "scan-once") == 0) {
    return ScanOnce(static_cast<size_t>(std::atol(argv[2])), std::strcmp(argv[3], "file-type") == 0);
  }
  SetSubkeyListAllocator(CountingListAllocator);
  const HMODULE own = PrepareMachine();
  MeasureStart(own, "first", true);
  MeasureStart(own, "warm", false);
  const bool ok = MeasurePhaseCalls(own) && MeasureStack();
  SetSubkeyListAllocator(nullptr);
  winsim::Reset();
  std::fflush(stdout);
  return ok ? 0 : 1;
}
