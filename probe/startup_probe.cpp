// startup-probe.exe: a small host application for the start-up library. It
// loads the library by full path as the real host does, answers message boxes
// and the mode dialog when told to, calls the exports, reports the logo
// window, unloads, and prints one JSON object of what it saw.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "json_writer.h"
#include "png_capture.h"

namespace {

const char kUsage[] =
    "Usage: startup-probe.exe [options] [switches for the library...]\n"
    "\n"
    "Loads the start-up library the way the host application does and prints\n"
    "one JSON object describing what the library settled.\n"
    "\n"
    "Options:\n"
    "  --library PATH          library to load (default: TarvexLogo.dll beside the probe)\n"
    "  --answer ID             answer the next message box with button ID\n"
    "                          (1 OK, 6 Yes, 7 No); repeat for later boxes\n"
    "  --dialog-click ID       answer the mode dialog by clicking control ID\n"
    "                          (392 forms mode, 391 or 397 main mode, 2 Cancel)\n"
    "  --dialog-close          answer the mode dialog with its close box\n"
    "  --dialog-escape         answer the mode dialog with the Escape key\n"
    "  --exit-command TEXT     leave TEXT as the command to run at unload\n"
    "  --exit-show N           show state for the exit command (default 0, hidden)\n"
    "  --close-logo            close the logo through the export (twice) before unloading\n"
    "  --pump-ms N             run the message loop N ms after loading (default 200)\n"
    "  --capture FILE.png      save a picture of the logo window\n"
    "  --expect-bitmap NAME    compare the logo window's client area with bitmap NAME\n"
    "                          of the loaded resource library (reports the share of\n"
    "                          matching pixels)\n"
    "  --timeout S             end the probe with exit code 3 after S seconds (default 60;\n"
    "                          0 waits for ever, for a person answering by hand)\n"
    "  --relaunch LINE         start the probe again with exactly LINE as its command line,\n"
    "                          wait for it, and pass its output and exit code through\n"
    "  --cycles N              load and unload the library N times in this process and\n"
    "                          report the process's GDI and USER objects, kernel handles,\n"
    "                          loaded modules and private bytes before the first cycle,\n"
    "                          after the first and after the last (--pump-ms applies to\n"
    "                          each cycle)\n"
    "  --unregister-logo-class with --cycles: after each unload, try to remove the logo\n"
    "                          window class too (the library removes it itself at unload)\n"
    "  --preload PATH          load the library PATH into the process before the start-up\n"
    "                          library, as a host may hold a module of the same name\n"
    "  --help                  show this text\n"
    "\n"
    "The report's \"diagnostics\" holds the lines the library wrote with\n"
    "OutputDebugStringA (null when another debug-output viewer is running).\n"
    "\n"
    "Anything else on the command line is left for the library to see, e.g.\n"
    "/nologo, /form, /standard or a file name ending in .frm or .pac.\n"
    "Without --answer or --dialog-* options nothing is answered: a person\n"
    "answers the boxes and the dialog on the screen.\n";

const int kCloseBox = -1;
const int kEscapeKey = -2;

struct Options {
  std::string library;
  std::vector<int> answers;
  int dialogClick = 0;  // 0: not scripted; kCloseBox or kEscapeKey, or a control to click
  std::string exitCommand;
  bool haveExitCommand = false;
  int exitShow = SW_HIDE;
  bool closeLogo = false;
  int pumpMs = 200;
  std::string capturePath;
  std::string expectedBitmap;
  int timeoutSeconds = 60;
  std::string relaunchLine;
  int cycles = 0;  // 0: load once
  bool unregisterLogoClass = false;
  std::vector<std::string> preloads;
};

// What the watcher thread saw of the modal windows the library showed.
struct ModalRecord {
  std::string kind;  // "messageBox" or "modeDialog"
  std::string text;
  std::string caption;
  unsigned style = 0;
  int answer = 0;  // 0: left for a person
};

CRITICAL_SECTION g_lock;
std::vector<ModalRecord> g_modals;
Options g_options;
size_t g_nextAnswer = 0;
// The lines the library wrote with OutputDebugStringA, in order.
std::vector<std::string> g_diagnostics;
long long g_diagnosticLineCount = 0;
// The stop, question, exclamation and information icons, in that order.
HICON g_systemIcons[4];

std::string WindowText(HWND window) {
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// Reconstructs the MB_* style of a message box from its buttons and icon.
unsigned MessageBoxStyle(HWND box) {
  unsigned style = MB_OK;
  if (GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO)) style = MB_YESNO;
  else if (GetDlgItem(box, IDOK) && GetDlgItem(box, IDCANCEL)) style = MB_OKCANCEL;
  HWND iconControl = GetDlgItem(box, 1088);
  if (iconControl) {
    HICON icon = reinterpret_cast<HICON>(SendMessageA(iconControl, STM_GETICON, 0, 0));
    const unsigned iconStyles[4] = {MB_ICONHAND, MB_ICONQUESTION, MB_ICONEXCLAMATION, MB_ICONASTERISK};
    for (int i = 0; i < 4; ++i) {
      if (icon != nullptr && icon == g_systemIcons[i]) style |= iconStyles[i];
    }
  }
  return style;
}

void PressButton(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Each modal window is reported on stderr at once, so that a run the library
// ends (a cancelled dialog, a refused clock) still tells what it showed.
void ReportModalAtOnce(const ModalRecord& record) {
  JsonWriter json;
  json.BeginObject();
  json.Field("event", record.kind);
  json.Field("text", record.text);
  json.Field("caption", record.caption);
  if (record.kind == "messageBox") json.Field("style", static_cast<long long>(record.style));
  json.Field("answer", static_cast<long long>(record.answer));
  json.EndObject();
  std::fprintf(stderr, "%s\n", json.Text().c_str());
  std::fflush(stderr);
}

void HandleModal(HWND window) {
  ModalRecord record;
  record.caption = WindowText(window);
  if (GetDlgItem(window, 392)) {
    record.kind = "modeDialog";
    if (g_options.dialogClick == kCloseBox) {
      record.answer = kCloseBox;
      PostMessageA(window, WM_CLOSE, 0, 0);
    } else if (g_options.dialogClick == kEscapeKey) {
      // The dialog's own message loop turns Escape into Cancel.
      record.answer = kEscapeKey;
      PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
      PostMessageA(window, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    } else if (g_options.dialogClick > 0) {
      record.answer = g_options.dialogClick;
      PressButton(window, g_options.dialogClick);
    }
  } else {
    record.kind = "messageBox";
    HWND textControl = GetDlgItem(window, 0xFFFF);
    record.text = textControl ? WindowText(textControl) : "";
    record.style = MessageBoxStyle(window);
    EnterCriticalSection(&g_lock);
    if (g_nextAnswer < g_options.answers.size()) record.answer = g_options.answers[g_nextAnswer++];
    LeaveCriticalSection(&g_lock);
    if (record.answer != 0) PressButton(window, record.answer);
  }
  ReportModalAtOnce(record);
  EnterCriticalSection(&g_lock);
  g_modals.push_back(record);
  LeaveCriticalSection(&g_lock);
}

struct SeenWindows {
  std::vector<HWND> handled;
};

BOOL CALLBACK FindModal(HWND window, LPARAM param) {
  auto* seen = reinterpret_cast<SeenWindows*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  char className[64] = "";
  GetClassNameA(window, className, sizeof className);
  if (std::strcmp(className, "#32770") != 0) return TRUE;
  for (HWND handled : seen->handled) {
    if (handled == window) return TRUE;
  }
  seen->handled.push_back(window);
  HandleModal(window);
  return TRUE;
}

// Watches for the library's message boxes and the mode dialog, which appear
// inside LoadLibrary under the loader lock, and answers them by script.
DWORD WINAPI WatchModals(LPVOID started) {
  SeenWindows seen;
  // The first window calls of a thread may load the display driver, which
  // needs the loader lock: make them before LoadLibrary takes it.
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  EnumWindows(FindModal, reinterpret_cast<LPARAM>(&seen));
  // Loading an icon finds a resource, which takes the loader lock too: the
  // system icons are looked up once, here.
  g_systemIcons[0] = LoadIconA(nullptr, IDI_HAND);
  g_systemIcons[1] = LoadIconA(nullptr, IDI_QUESTION);
  g_systemIcons[2] = LoadIconA(nullptr, IDI_EXCLAMATION);
  g_systemIcons[3] = LoadIconA(nullptr, IDI_ASTERISK);
  SetEvent(static_cast<HANDLE>(started));
  for (;;) {
    EnumWindows(FindModal, reinterpret_cast<LPARAM>(&seen));
    // Forget windows that are gone, so a reused handle is seen again.
    for (size_t i = 0; i < seen.handled.size();) {
      if (!IsWindow(seen.handled[i])) seen.handled.erase(seen.handled.begin() + i);
      else ++i;
    }
    Sleep(20);
  }
}

// Receives the library's debug output through the system's debug-output
// buffer, as a debug-output viewer does, and keeps the lines of this process.
// The buffer holds the writer's process id and then the text.
struct DebugOutputMonitor {
  HANDLE bufferReady;
  HANDLE dataReady;
  HANDLE started;
  const char* view;
};

DWORD WINAPI MonitorDebugOutput(LPVOID param) {
  auto* monitor = static_cast<DebugOutputMonitor*>(param);
  SetEvent(monitor->started);
  for (;;) {
    if (WaitForSingleObject(monitor->dataReady, INFINITE) != WAIT_OBJECT_0) return 0;
    DWORD writer = 0;
    std::memcpy(&writer, monitor->view, sizeof writer);
    std::string text(monitor->view + sizeof writer, strnlen(monitor->view + sizeof writer, 4096 - sizeof writer));
    SetEvent(monitor->bufferReady);
    if (writer != GetCurrentProcessId()) continue;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    JsonWriter event;
    event.BeginObject();
    event.Field("event", std::string("diagnostic"));
    event.Field("text", text);
    event.EndObject();
    // Across load cycles the lines are only counted: keeping thousands of
    // them would grow this process and hide what the library itself holds.
    EnterCriticalSection(&g_lock);
    ++g_diagnosticLineCount;
    if (g_options.cycles == 0) {
      g_diagnostics.push_back(text);
      std::fprintf(stderr, "%s\n", event.Text().c_str());
      std::fflush(stderr);
    }
    LeaveCriticalSection(&g_lock);
  }
}

// Sets up the debug-output buffer and its monitor; false when another viewer
// already holds the buffer (its lines then go there).
bool StartDebugOutputMonitor() {
  static DebugOutputMonitor monitor;
  monitor.bufferReady = CreateEventA(nullptr, FALSE, TRUE, "DBWIN_BUFFER_READY");
  if (monitor.bufferReady == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) return false;
  monitor.dataReady = CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY");
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, "DBWIN_BUFFER");
  if (monitor.dataReady == nullptr || mapping == nullptr) return false;
  monitor.view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 4096));
  if (monitor.view == nullptr) return false;
  // A thread that has not started yet would wait for the loader lock.
  monitor.started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  CloseHandle(CreateThread(nullptr, 0, MonitorDebugOutput, &monitor, 0, nullptr));
  WaitForSingleObject(monitor.started, INFINITE);
  CloseHandle(monitor.started);
  return true;
}

// Ends a stuck run. A thread of its own that makes no window calls, so that
// nothing the library or the watcher waits for can hold it up.
DWORD WINAPI Watchdog(LPVOID started) {
  SetEvent(static_cast<HANDLE>(started));
  Sleep(static_cast<DWORD>(g_options.timeoutSeconds) * 1000u);
  std::fprintf(stderr, "{\"event\":\"timeout\"}\n");
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 3);
  return 0;
}

std::string ProbeDirectory() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  char* slash = std::strrchr(path, '\\');
  if (slash) slash[1] = '\0';
  return path;
}

std::vector<std::string> LoadedModulePaths() {
  std::vector<std::string> paths;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
  if (snapshot == INVALID_HANDLE_VALUE) return paths;
  MODULEENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry)) {
    paths.push_back(entry.szExePath);
  }
  CloseHandle(snapshot);
  return paths;
}

void PumpMessages(int milliseconds) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (static_cast<int>(GetTickCount() - start) >= milliseconds) break;
    Sleep(10);
  }
}

// The resource library the start-up library loaded into this process.
HMODULE LoadedResourceLibrary() {
  for (const std::string& path : LoadedModulePaths()) {
    std::string name = path.substr(path.find_last_of('\\') + 1);
    if (name.size() > 6 && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name.c_str(), 6, "OxaRes", 6) == CSTR_EQUAL) {
      return GetModuleHandleA(path.c_str());
    }
  }
  return nullptr;
}

void ReportLogoWindow(JsonWriter& json) {
  HWND logo = FindWindowA("TarvexLogoWndClass", nullptr);
  json.Key("logoWindow");
  if (!logo) {
    json.Null();
    return;
  }
  RECT rect = {};
  GetWindowRect(logo, &rect);
  RECT client = {};
  GetClientRect(logo, &client);
  char className[64] = "";
  GetClassNameA(logo, className, sizeof className);
  json.BeginObject();
  json.Field("className", std::string(className));
  json.Field("text", WindowText(logo));
  json.Field("x", static_cast<long long>(rect.left));
  json.Field("y", static_cast<long long>(rect.top));
  json.Field("width", static_cast<long long>(rect.right - rect.left));
  json.Field("height", static_cast<long long>(rect.bottom - rect.top));
  json.Field("clientWidth", static_cast<long long>(client.right));
  json.Field("clientHeight", static_cast<long long>(client.bottom));
  json.Field("visible", IsWindowVisible(logo) != FALSE);
  json.Field("style", static_cast<long long>(static_cast<DWORD>(GetWindowLongA(logo, GWL_STYLE))));
  json.Field("exStyle", static_cast<long long>(static_cast<DWORD>(GetWindowLongA(logo, GWL_EXSTYLE))));
  if (!g_options.capturePath.empty()) {
    json.Field("capture", CaptureWindowToPng(logo, g_options.capturePath) ? g_options.capturePath : std::string());
  }
  if (!g_options.expectedBitmap.empty()) {
    HMODULE resources = LoadedResourceLibrary();
    json.Field("bitmapMatchPercent",
               static_cast<long long>(resources ? ClientMatchesBitmap(logo, resources, g_options.expectedBitmap) : -1));
  }
  json.EndObject();
}

int Relaunch(const std::string& line) {
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::vector<char> commandLine(line.begin(), line.end());
  commandLine.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(self, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "startup-probe: cannot start itself again (error %lu)\n", GetLastError());
    return 4;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 4;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(exitCode);
}

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto next = [&](std::string* value) {
      if (i + 1 >= argc) return false;
      *value = argv[++i];
      return true;
    };
    std::string value;
    if (arg == "--help" || arg == "-h" || arg == "/?") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (arg == "--library") {
      if (!next(&options->library)) return false;
    } else if (arg == "--answer") {
      if (!next(&value)) return false;
      options->answers.push_back(std::atoi(value.c_str()));
    } else if (arg == "--dialog-click") {
      if (!next(&value)) return false;
      options->dialogClick = std::atoi(value.c_str());
    } else if (arg == "--dialog-close") {
      options->dialogClick = kCloseBox;
    } else if (arg == "--dialog-escape") {
      options->dialogClick = kEscapeKey;
    } else if (arg == "--expect-bitmap") {
      if (!next(&options->expectedBitmap)) return false;
    } else if (arg == "--exit-command") {
      if (!next(&options->exitCommand)) return false;
      options->haveExitCommand = true;
    } else if (arg == "--exit-show") {
      if (!next(&value)) return false;
      options->exitShow = std::atoi(value.c_str());
    } else if (arg == "--close-logo") {
      options->closeLogo = true;
    } else if (arg == "--pump-ms") {
      if (!next(&value)) return false;
      options->pumpMs = std::atoi(value.c_str());
    } else if (arg == "--capture") {
      if (!next(&options->capturePath)) return false;
    } else if (arg == "--timeout") {
      if (!next(&value)) return false;
      options->timeoutSeconds = std::atoi(value.c_str());
    } else if (arg == "--relaunch") {
      if (!next(&options->relaunchLine)) return false;
    } else if (arg == "--cycles") {
      if (!next(&value)) return false;
      options->cycles = std::atoi(value.c_str());
      if (options->cycles < 1) return false;
    } else if (arg == "--unregister-logo-class") {
      options->unregisterLogoClass = true;
    } else if (arg == "--preload") {
      if (!next(&value)) return false;
      options->preloads.push_back(value);
    } else if (arg.compare(0, 2, "--") == 0) {
      std::fprintf(stderr, "startup-probe: unknown option %s (see --help)\n", arg.c_str());
      return false;
    }
    // Anything else is for the library's command-line tests.
  }
  return true;
}

typedef int(__cdecl* IntQuery)();
typedef int(__cdecl* CloseQuery)();
typedef const char*(__cdecl* SetExitCommandFunction)(const char*, int);
typedef void(__cdecl* BeforeInitHelmexFunction)(char*);

// GetProcAddress hands out a generic function pointer; the export's real type
// is known here.
template <typename Function>
Function Export(HMODULE library, LPCSTR name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// ---- Load and unload cycles ------------------------------------------------

// What the process holds, for leak checks across cycles. Where the system's
// own count is missing (Wine answers GetGuiResources and GetProcessHandleCount
// with 0), the objects are counted by looking at every possible handle.
struct ProcessCounts {
  long long gdiObjects = 0;
  long long userObjects = 0;
  long long kernelHandles = 0;
  long long modules = 0;
  long long privateBytes = 0;
};

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

typedef LONG(WINAPI* RegOpenKeyExFunction)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
typedef LONG(WINAPI* RegCloseKeyFunction)(HKEY);

// Shows that each counter sees the objects of the kind it is meant to count,
// so that "no growth" means something: brushes, a window, and registry keys
// (the handles the library opens most). Another thread may make an object of
// its own meanwhile, so a count may come out higher, never lower.
const int kCalibrationObjects = 8;

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

// Loads and unloads the library `cycles` times, as a host that reloads it
// would, and reports what the process held before, after the first cycle and
// after the last.
bool RunCycles(JsonWriter& json) {
  // A host application has the system libraries the start-up library imports
  // loaded already; loading them here keeps them out of the module count.
  HMODULE registryLibrary = LoadLibraryA("advapi32.dll");
  LoadLibraryA("msvcrt.dll");

  json.Key("cycles");
  json.BeginObject();
  json.Field("requested", static_cast<long long>(g_options.cycles));
  WriteCalibration(json, registryLibrary);
  const std::vector<std::string> modulesBefore = LoadedModulePaths();
  const ProcessCounts before = TakeCounts();
  ProcessCounts afterFirst;
  long long completed = 0, loadFailures = 0, unloadFailures = 0, stillLoaded = 0, logoWindows = 0;
  long long lastMode = -1, lastEdition = -1;
  HMODULE lastModule = nullptr;
  for (int cycle = 0; cycle < g_options.cycles; ++cycle) {
    HMODULE library = LoadLibraryA(g_options.library.c_str());
    if (!library) {
      ++loadFailures;
    } else {
      lastModule = library;
      if (g_options.pumpMs > 0) PumpMessages(g_options.pumpMs);
      if (FindWindowA("TarvexLogoWndClass", nullptr)) ++logoWindows;
      auto getMode = Export<IntQuery>(library, MAKEINTRESOURCEA(1));
      auto getEdition = Export<IntQuery>(library, MAKEINTRESOURCEA(2));
      lastMode = getMode ? getMode() : -1;
      lastEdition = getEdition ? getEdition() : -1;
      if (!FreeLibrary(library)) ++unloadFailures;
      if (GetModuleHandleA(g_options.library.c_str())) ++stillLoaded;
      if (g_options.unregisterLogoClass) UnregisterClassA("TarvexLogoWndClass", library);
      ++completed;
    }
    if (cycle == 0) afterFirst = TakeCounts();
  }
  const ProcessCounts after = TakeCounts();
  json.Field("completed", completed);
  json.Field("loadFailures", loadFailures);
  json.Field("unloadFailures", unloadFailures);
  json.Field("stillLoadedAfterUnload", stillLoaded);
  json.Field("logoWindows", logoWindows);
  json.Field("lastMode", lastMode);
  json.Field("lastEdition", lastEdition);
  WNDCLASSA leftClass;
  json.Field("logoClassAfterUnload",
             lastModule != nullptr && GetClassInfoA(lastModule, "TarvexLogoWndClass", &leftClass) != FALSE);
  WriteCounts(json, "before", before);
  WriteCounts(json, "afterFirst", afterFirst);
  WriteCounts(json, "after", after);
  json.Key("sources");
  json.BeginObject();
  json.Field("gdiObjects", std::string(g_counterSources.gdiObjects));
  json.Field("userObjects", std::string(g_counterSources.userObjects));
  json.Field("kernelHandles", std::string(g_counterSources.kernelHandles));
  json.EndObject();
  // By name, so that a module left behind is named in the report.
  json.Key("modulesAdded");
  json.BeginArray();
  for (const std::string& path : LoadedModulePaths()) {
    bool known = false;
    for (const std::string& old : modulesBefore) known = known || old == path;
    if (!known) json.Value(path);
  }
  json.EndArray();
  json.EndObject();
  return loadFailures == 0;
}

}  // namespace

int main(int argc, char** argv) {
  // The report is read by tools: plain LF line ends.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  if (!ParseOptions(argc, argv, &g_options)) return 2;
  if (!g_options.relaunchLine.empty()) return Relaunch(g_options.relaunchLine);
  if (g_options.library.empty()) g_options.library = ProbeDirectory() + "TarvexLogo.dll";

  InitializeCriticalSection(&g_lock);
  const bool monitoringDebugOutput = StartDebugOutputMonitor();
  // Both threads must have started before LoadLibrary: a thread that starts
  // while the loader lock is held waits for it.
  if (g_options.timeoutSeconds > 0) {
    HANDLE watchdogStarted = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(CreateThread(nullptr, 0, Watchdog, watchdogStarted, 0, nullptr));
    WaitForSingleObject(watchdogStarted, INFINITE);
    CloseHandle(watchdogStarted);
  }
  // The watcher must be running before LoadLibrary: the library shows its
  // boxes and dialog inside the loading call.
  HANDLE started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE watcher = CreateThread(nullptr, 0, WatchModals, started, 0, nullptr);
  WaitForSingleObject(started, INFINITE);
  CloseHandle(started);

  JsonWriter json;
  json.BeginObject();
  json.Field("library", g_options.library);
  json.Field("commandLine", std::string(GetCommandLineA()));
  json.Field("ansiCodePage", static_cast<long long>(GetACP()));

  json.Key("preloaded");
  json.BeginArray();
  for (const std::string& path : g_options.preloads) json.Value(LoadLibraryA(path.c_str()) != nullptr);
  json.EndArray();

  HMODULE library = nullptr;
  DWORD loadError = 0;
  if (g_options.cycles > 0) {
    json.Field("loaded", RunCycles(json));
  } else {
    library = LoadLibraryA(g_options.library.c_str());
    loadError = library ? 0 : GetLastError();
    json.Field("loaded", library != nullptr);
  }
  if (g_options.cycles > 0) {
    // Reported above, cycle by cycle.
  } else if (!library) {
    json.Field("loadError", static_cast<long long>(loadError));
  } else {
    auto getMode = Export<IntQuery>(library, MAKEINTRESOURCEA(1));
    auto getEdition = Export<IntQuery>(library, MAKEINTRESOURCEA(2));
    auto closeLogo = Export<CloseQuery>(library, MAKEINTRESOURCEA(6));
    auto setExitCommand = Export<SetExitCommandFunction>(library, MAKEINTRESOURCEA(8));
    auto beforeInitHelmex =
        Export<BeforeInitHelmexFunction>(library, "BeforeInitHelmex");
    auto getVersion = Export<IntQuery>(library, "GetVersionNumber");

    PumpMessages(g_options.pumpMs);
    if (getMode) json.Field("mode", static_cast<long long>(getMode()));
    if (getEdition) json.Field("edition", static_cast<long long>(getEdition()));
    if (getVersion) json.Field("version", static_cast<long long>(getVersion()));
    if (beforeInitHelmex) {
      char names[520];
      std::memset(names, 0, sizeof names);
      beforeInitHelmex(names);
      names[259] = names[519] = '\0';
      json.Field("productKeyName", std::string(names));
      json.Field("resourceBaseName", std::string(names + 260));
    }
    json.Key("modules");
    json.BeginArray();
    for (const std::string& path : LoadedModulePaths()) json.Value(path);
    json.EndArray();
    ReportLogoWindow(json);
    if (g_options.closeLogo && closeLogo) {
      json.Key("logoClose");
      json.BeginArray();
      json.Value(static_cast<long long>(closeLogo()));
      json.Value(static_cast<long long>(closeLogo()));
      json.EndArray();
      json.Field("logoWindowAfterClose", FindWindowA("TarvexLogoWndClass", nullptr) != nullptr);
    }
    if (g_options.haveExitCommand && setExitCommand) {
      const char* stored = setExitCommand(g_options.exitCommand.c_str(), g_options.exitShow);
      json.Field("exitCommand", std::string(stored ? stored : ""));
    }
    json.Field("unloaded", FreeLibrary(library) != FALSE);
  }

  EnterCriticalSection(&g_lock);
  json.Key("messageBoxes");
  json.BeginArray();
  for (const ModalRecord& record : g_modals) {
    if (record.kind != "messageBox") continue;
    json.BeginObject();
    json.Field("text", record.text);
    json.Field("caption", record.caption);
    json.Field("style", static_cast<long long>(record.style));
    json.Field("answer", static_cast<long long>(record.answer));
    json.EndObject();
  }
  json.EndArray();
  json.Key("modeDialog");
  bool dialogShown = false;
  for (const ModalRecord& record : g_modals) {
    if (record.kind != "modeDialog") continue;
    dialogShown = true;
    json.BeginObject();
    json.Field("caption", record.caption);
    json.Field("answer", static_cast<long long>(record.answer));
    json.EndObject();
    break;
  }
  if (!dialogShown) json.Null();
  if (monitoringDebugOutput) json.Field("diagnosticLineCount", g_diagnosticLineCount);
  json.Key("diagnostics");
  if (monitoringDebugOutput && g_options.cycles == 0) {
    json.BeginArray();
    for (const std::string& line : g_diagnostics) json.Value(line);
    json.EndArray();
  } else {
    json.Null();  // another debug-output viewer has the lines
  }
  LeaveCriticalSection(&g_lock);
  json.EndObject();

  std::printf("%s\n", json.Text().c_str());
  std::fflush(stdout);
  // The watcher polls for ever; the process ends here with it.
  (void)watcher;
  ExitProcess(library || g_options.cycles > 0 ? 0 : 1);
}
