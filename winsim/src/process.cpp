// Process-wide simulated state: call log, injected failures, command line,
// clock, code page, ExitProcess, debug output and message boxes.
#include "internal.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace winsim {
namespace {

struct InjectedFailure {
  int skip;
  int times;
  long error;
};

struct ProcessState {
  std::vector<std::string> calls;
  std::map<std::string, InjectedFailure> failures;
  int live[9] = {};
  std::string commandLine = "\"C:\\Program Files\\Tarvex\\host.exe\"";
  SYSTEMTIME localTime = {2026, 12, 1, 7, 12, 0, 0, 0};
  TimeZone zone;
  UINT codePage = 1252;
  std::vector<std::string> debugOutput;
  std::vector<std::string> classicDebugOutput;
  std::vector<int> messageBoxAnswers;
  std::vector<MessageBoxRecord> messageBoxes;
};

// Each thread has its own last error, as on Windows.
thread_local DWORD t_lastError = 0;

ProcessState& State() {
  static ProcessState state;
  return state;
}

std::vector<void (*)()>& ResetHooks() {
  static std::vector<void (*)()> hooks;
  return hooks;
}

void ResetProcess() {
  State() = ProcessState();
  t_lastError = 0;
}
const detail::ResetHook resetProcess(ResetProcess);

// 0 for Sunday, as SYSTEMTIME counts (Sakamoto's method).
WORD DayOfWeek(int year, int month, int day) {
  static const int kOffsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 1 || month > 12) return 0;
  if (month < 3) --year;
  return static_cast<WORD>((year + year / 4 - year / 100 + year / 400 + kOffsets[month - 1] + day) % 7);
}

}  // namespace

namespace detail {

namespace {
std::recursive_mutex& ApiMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

// How many times this thread holds the lock: a procedure it calls may call
// back in, and each call takes the lock once more.
thread_local int t_apiLockDepth = 0;
// The outermost simulated call of this thread, for the reports.
thread_local const char* t_outerCall = "";
}  // namespace

ApiLock::ApiLock() {
  ApiMutex().lock();
  ++t_apiLockDepth;
}
ApiLock::~ApiLock() {
  --t_apiLockDepth;
  ApiMutex().unlock();
}

ApiUnlocked::ApiUnlocked() : depth_(t_apiLockDepth), outerCall_(t_outerCall) {
  t_apiLockDepth = 0;
  for (int level = 0; level < depth_; ++level) ApiMutex().unlock();
}
ApiUnlocked::~ApiUnlocked() {
  for (int level = 0; level < depth_; ++level) ApiMutex().lock();
  t_apiLockDepth = depth_;
  t_outerCall = outerCall_;
}

DWORD CurrentThreadId() {
  // Ids as Windows hands them out: distinct per live thread, never 0.
  static std::atomic<DWORD> next{0x100};
  thread_local const DWORD id = next.fetch_add(4);
  return id;
}

std::string OuterCall() { return t_outerCall; }

bool EnterCall(const char* function, long* error) {
  ProcessState& state = State();
  state.calls.emplace_back(function);
  if (t_apiLockDepth == 1) t_outerCall = function;
  auto found = state.failures.find(function);
  if (found == state.failures.end()) return false;
  InjectedFailure& failure = found->second;
  if (failure.skip > 0) {
    --failure.skip;
    return false;
  }
  if (failure.times == 0) return false;
  if (failure.times > 0) --failure.times;
  if (error) *error = failure.error;
  return true;
}

UINT AnsiCodePage() { return State().codePage; }

ResetHook::ResetHook(void (*reset)()) { ResetHooks().push_back(reset); }

void AdjustLiveHandles(HandleKind kind, int delta) { State().live[static_cast<int>(kind)] += delta; }

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && ToUpperAscii(a) == ToUpperAscii(b);
}

std::string ToUpperAscii(std::string text) {
  for (char& ch : text) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  }
  return text;
}

}  // namespace detail

void Reset() {
  for (auto reset : ResetHooks()) reset();
}

const std::vector<std::string>& Calls() { return State().calls; }
void ClearCalls() { State().calls.clear(); }

int CallCount(const std::string& function) {
  int count = 0;
  for (const std::string& call : State().calls) count += call == function;
  return count;
}

void InjectFailure(const std::string& function, int skip, int times, long error) {
  State().failures[function] = InjectedFailure{skip, times, error};
}
void ClearInjectedFailures() { State().failures.clear(); }

int LiveHandles(HandleKind kind) { return State().live[static_cast<int>(kind)]; }

void SetCommandLine(const std::string& commandLine) { State().commandLine = commandLine; }

void SetLocalTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  State().localTime = SYSTEMTIME{year, month, DayOfWeek(year, month, day), day, hour, minute, second, 0};
}

void SetTimeZone(const TimeZone& zone) { State().zone = zone; }

void SetAnsiCodePage(UINT codePage) { State().codePage = codePage; }

const std::vector<std::string>& DebugOutput() { return State().debugOutput; }
const std::vector<std::string>& ClassicDebugOutput() { return State().classicDebugOutput; }

void QueueMessageBoxAnswer(int answer) { State().messageBoxAnswers.push_back(answer); }
const std::vector<MessageBoxRecord>& MessageBoxes() { return State().messageBoxes; }

}  // namespace winsim

using winsim::detail::EnterCall;

DWORD WINAPI GetLastError() { return winsim::t_lastError; }

// Like GetLastError, a query that cannot fail and changes nothing: not in the
// call log, so that a debug build's checks of the calling thread leave the
// log as a release build's calls make it.
DWORD WINAPI GetCurrentThreadId() { return winsim::detail::CurrentThreadId(); }
void WINAPI SetLastError(DWORD error) { winsim::t_lastError = error; }

DWORD WINAPI FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                            DWORD size, void* arguments) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("FormatMessageW", &error)) {
    SetLastError(error ? error : ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  (void)source;
  (void)languageId;
  (void)arguments;
  // The texts Wine gives for the codes the simulated calls report.
  static const std::map<DWORD, const char16_t*> kTexts = {
      {ERROR_FILE_NOT_FOUND, u"File not found."},
      {ERROR_PATH_NOT_FOUND, u"Path not found."},
      {ERROR_ACCESS_DENIED, u"Access denied."},
      {ERROR_INVALID_HANDLE, u"Invalid handle."},
      {ERROR_NOT_ENOUGH_MEMORY, u"Not enough memory."},
      {ERROR_OUTOFMEMORY, u"Out of memory."},
      {ERROR_INVALID_PARAMETER, u"Invalid parameter."},
      {ERROR_MOD_NOT_FOUND, u"Module not found."},
      {ERROR_PROC_NOT_FOUND, u"Procedure not found."},
      {ERROR_BAD_EXE_FORMAT, u"Bad EXE format for %1."},
      {ERROR_INVALID_WINDOW_HANDLE, u"Invalid window handle."},
      {ERROR_CANNOT_FIND_WND_CLASS, u"Can't find window class."},
      {ERROR_CLASS_ALREADY_EXISTS, u"Class already exists."},
      {ERROR_CLASS_DOES_NOT_EXIST, u"Class does not exist."},
      {ERROR_RESOURCE_DATA_NOT_FOUND, u"Resource data not found."},
      {ERROR_RESOURCE_TYPE_NOT_FOUND, u"Resource type not found."},
      {ERROR_RESOURCE_NAME_NOT_FOUND, u"Resource name not found."},
  };
  if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || buffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto found = kTexts.find(messageId);
  if (found == kTexts.end()) {
    SetLastError(ERROR_MR_MID_NOT_FOUND);
    return 0;
  }
  const std::u16string text = std::u16string(found->second) + u"\r\n";
  if (text.size() + 1 > size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(text.c_str(), text.c_str() + text.size() + 1, buffer);
  return static_cast<DWORD>(text.size());
}

LPSTR WINAPI GetCommandLineA() {
  const winsim::detail::ApiLock apiLock;
  EnterCall("GetCommandLineA");
  // The returned text stays valid until the next SetCommandLine or Reset.
  return &winsim::State().commandLine[0];
}

void WINAPI GetLocalTime(LPSYSTEMTIME time) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("GetLocalTime");
  *time = winsim::State().localTime;
}

DWORD WINAPI GetTimeZoneInformation(LPTIME_ZONE_INFORMATION zone) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("GetTimeZoneInformation")) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return TIME_ZONE_ID_INVALID;
  }
  const winsim::TimeZone& set = winsim::State().zone;
  *zone = TIME_ZONE_INFORMATION{};
  zone->Bias = set.bias;
  zone->StandardBias = set.standardBias;
  zone->DaylightBias = set.daylightBias;
  return set.inForce;
}

void WINAPI Sleep(DWORD milliseconds) {
  {
    const winsim::detail::ApiLock apiLock;
    EnterCall("Sleep");
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

DWORD WINAPI GetTickCount() {
  const winsim::detail::ApiLock apiLock;
  EnterCall("GetTickCount");
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void WINAPI ExitProcess(UINT exitCode) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("ExitProcess");
  // Death tests read this account of what the user saw before the end.
  for (const winsim::MessageBoxRecord& box : winsim::State().messageBoxes) {
    std::fprintf(stderr, "winsim: MessageBoxA text=\"%s\" caption=\"%s\" style=%u\n", box.text.c_str(),
                 box.caption.c_str(), box.style);
  }
  std::fprintf(stderr, "winsim: live windows=%d\n", winsim::LiveHandles(winsim::HandleKind::Window));
  std::fprintf(stderr, "winsim: ExitProcess(%u)\n", exitCode);
  std::fflush(stderr);
  std::fflush(stdout);
  _exit(static_cast<int>(exitCode));
}

UINT WINAPI GetACP() {
  const winsim::detail::ApiLock apiLock;
  EnterCall("GetACP");
  return winsim::State().codePage;
}

void WINAPI OutputDebugStringA(LPCSTR text) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("OutputDebugStringA");
  winsim::State().debugOutput.emplace_back(text ? text : "");
  winsim::State().classicDebugOutput.emplace_back(text ? text : "");
  // Wine finds no debug-output viewer's buffer, and says so in the last error.
  SetLastError(ERROR_FILE_NOT_FOUND);
}

void WINAPI OutputDebugStringW(LPCWSTR text) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("OutputDebugStringW");
  const std::u16string wide = text ? std::u16string(text) : std::u16string();
  winsim::State().debugOutput.push_back(winsim::detail::WideToUtf8(wide));
  // The classic channel gets the line in the ANSI code page.
  winsim::State().classicDebugOutput.push_back(winsim::detail::WideToAnsi(wide));
  SetLastError(ERROR_FILE_NOT_FOUND);
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("MessageBoxA", &error)) {
    // No box could be shown (no desktop, out of memory): 0 and an error code.
    SetLastError(error ? error : ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  winsim::ProcessState& state = winsim::State();
  int answer = (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
  if (!state.messageBoxAnswers.empty()) {
    answer = state.messageBoxAnswers.front();
    state.messageBoxAnswers.erase(state.messageBoxAnswers.begin());
  }
  state.messageBoxes.push_back({owner, text ? text : "", caption ? caption : "Error", type, answer});
  return answer;
}
