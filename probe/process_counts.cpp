#include "process_counts.h"

#include <windows.h>

#include "process_modules.h"

namespace {

// Where the system's own count is missing (Wine answers GetGuiResources and
// GetProcessHandleCount with 0), the objects are counted by looking at every
// possible handle; the report names the source of each count.
struct CounterSources {
  const char* gdiObjects = "GetGuiResources";
  const char* userObjects = "GetGuiResources";
  const char* kernelHandles = "GetProcessHandleCount";
};

CounterSources g_counterSources;

long long CountGdiObjects() {
  DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (count != 0) return count;
  // Wine keeps a table of 65,536 GDI handles per process and accepts a handle
  // given by its table index alone.
  g_counterSources.gdiObjects = "handle table";
  long long found = 0;
  for (ULONG_PTR index = 0; index < 0x10000; ++index) {
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++found;
  }
  return found;
}

BOOL CALLBACK CountChildWindow(HWND, LPARAM counter) {
  ++*reinterpret_cast<long long*>(counter);
  return TRUE;
}

BOOL CALLBACK CountOwnTopLevelWindow(HWND window, LPARAM counter) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId()) return TRUE;
  ++*reinterpret_cast<long long*>(counter);
  EnumChildWindows(window, CountChildWindow, counter);  // every descendant, once
  return TRUE;
}

long long CountUserObjects() {
  DWORD count = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  if (count != 0) return count;
  // The windows of this process, hidden and message-only ones included: the
  // USER objects a start-up library can leave behind.
  g_counterSources.userObjects = "windows";
  long long found = 0;
  EnumWindows(CountOwnTopLevelWindow, reinterpret_cast<LPARAM>(&found));
  for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
       window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr)) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) ++found;
  }
  return found;
}

long long CountKernelHandles() {
  DWORD count = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) return count;
  // Kernel handles are multiples of 4, handed out lowest first; registry keys
  // are among them.
  g_counterSources.kernelHandles = "handle values";
  long long found = 0;
  for (ULONG_PTR value = 4; value < 0x40000; value += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++found;
  }
  return found;
}

// Committed memory that belongs to this process alone (heaps, stacks, private
// allocations), not the mapped images and files.
long long CountPrivateBytes() {
  long long total = 0;
  MEMORY_BASIC_INFORMATION region;
  for (const char* address = nullptr; VirtualQuery(address, &region, sizeof region) == sizeof region;) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= address) break;
    address = next;
  }
  return total;
}

}  // namespace

ProcessCounts TakeCounts() {
  ProcessCounts counts;
  counts.gdiObjects = CountGdiObjects();
  counts.userObjects = CountUserObjects();
  counts.kernelHandles = CountKernelHandles();
  counts.modules = static_cast<long long>(LoadedModulePaths().size());
  counts.privateBytes = CountPrivateBytes();
  return counts;
}

void WriteCounts(JsonWriter& json, const std::string& key, const ProcessCounts& counts) {
  json.Key(key);
  json.BeginObject();
  json.Field("gdiObjects", counts.gdiObjects);
  json.Field("userObjects", counts.userObjects);
  json.Field("kernelHandles", counts.kernelHandles);
  json.Field("modules", counts.modules);
  json.Field("privateBytes", counts.privateBytes);
  json.EndObject();
}

namespace {

typedef LONG(WINAPI* RegOpenKeyExFunction)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
typedef LONG(WINAPI* RegCloseKeyFunction)(HKEY);

// Shows that each counter sees the objects of the kind it is meant to count,
// so that "no growth" means something: brushes, a window, and registry keys
// (the handles the library opens most). Another thread may make an object of
// its own meanwhile, so a count may come out higher, never lower.
const int kCalibrationObjects = 8;

}  // namespace

void WriteCalibration(JsonWriter& json, HMODULE registryLibrary) {
  json.Key("calibration");
  json.BeginObject();
  json.Field("objects", static_cast<long long>(kCalibrationObjects));
  long long before = CountGdiObjects();
  HBRUSH brushes[kCalibrationObjects];
  for (HBRUSH& brush : brushes) brush = CreateSolidBrush(RGB(1, 2, 3));
  json.Field("gdiObjects", CountGdiObjects() - before);
  for (HBRUSH brush : brushes) DeleteObject(brush);

  before = CountUserObjects();
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  json.Field("userObjects", CountUserObjects() - before);
  DestroyWindow(window);

  auto openKey = reinterpret_cast<RegOpenKeyExFunction>(
      reinterpret_cast<void*>(GetProcAddress(registryLibrary, "RegOpenKeyExA")));
  auto closeKey = reinterpret_cast<RegCloseKeyFunction>(
      reinterpret_cast<void*>(GetProcAddress(registryLibrary, "RegCloseKey")));
  long long delta = -1;
  if (openKey && closeKey) {
    HKEY keys[kCalibrationObjects] = {};
    before = CountKernelHandles();
    for (HKEY& key : keys) {
      if (openKey(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key) != ERROR_SUCCESS) key = nullptr;
    }
    delta = CountKernelHandles() - before;
    for (HKEY key : keys) {
      if (key) closeKey(key);
    }
  }
  json.Field("registryKeyHandles", delta);
  json.EndObject();
}


void WriteCounterSources(JsonWriter& json) {
  json.Key("sources");
  json.BeginObject();
  json.Field("gdiObjects", std::string(g_counterSources.gdiObjects));
  json.Field("userObjects", std::string(g_counterSources.userObjects));
  json.Field("kernelHandles", std::string(g_counterSources.kernelHandles));
  json.EndObject();
}
