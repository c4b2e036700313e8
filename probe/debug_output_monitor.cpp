#include "debug_output_monitor.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "wide_text.h"

namespace {

// Raised by OutputDebugStringW on systems that carry the Unicode text.
constexpr DWORD kWidePrintException = 0x4001000A;

CRITICAL_SECTION g_lock;
bool g_keepLines = true;
std::vector<std::string> g_classicLines;  // ANSI bytes
std::vector<std::string> g_wideLines;     // UTF-8
long long g_classicCount = 0;
long long g_wideCount = 0;

void TrimLineEnd(std::string* text) {
  while (!text->empty() && (text->back() == '\n' || text->back() == '\r')) text->pop_back();
}

// Keeps one line; across load cycles the lines are only counted.
void Keep(std::vector<std::string>* lines, long long* count, std::string text) {
  TrimLineEnd(&text);
  EnterCriticalSection(&g_lock);
  ++*count;
  if (g_keepLines) lines->push_back(text);
  LeaveCriticalSection(&g_lock);
}

// The Unicode text, where the platform raises it; the platform then goes on
// to the classic buffer by itself.
LONG CALLBACK SeeWideDebugOutput(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
  if (record->ExceptionCode == kWidePrintException && record->NumberParameters >= 2 &&
      record->ExceptionInformation[1] != 0) {
    const auto* text = reinterpret_cast<const wchar_t*>(record->ExceptionInformation[1]);
    const size_t units = record->ExceptionInformation[0];
    // The count includes the terminator; a shorter text ends at its own.
    Keep(&g_wideLines, &g_wideCount, Utf8(std::wstring(text, units > 0 ? wcsnlen(text, units) : 0)));
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

// The classic buffer, as a debug-output viewer reads it: the writer's
// process id and then the text.
struct DebugOutputMonitor {
  HANDLE bufferReady;
  HANDLE dataReady;
  HANDLE started;
  const char* view;
};
DebugOutputMonitor g_monitor;

DWORD WINAPI MonitorDebugOutput(LPVOID param) {
  auto* monitor = static_cast<DebugOutputMonitor*>(param);
  SetEvent(monitor->started);
  for (;;) {
    if (WaitForSingleObject(monitor->dataReady, INFINITE) != WAIT_OBJECT_0) return 0;
    DWORD writer = 0;
    std::memcpy(&writer, monitor->view, sizeof writer);
    std::string text(monitor->view + sizeof writer, strnlen(monitor->view + sizeof writer, 4096 - sizeof writer));
    // Kept before the buffer is free again: a free buffer means every line is kept.
    if (writer == GetCurrentProcessId()) Keep(&g_classicLines, &g_classicCount, text);
    SetEvent(monitor->bufferReady);
  }
}

// ANSI text of the process's code page as UTF-8.
std::string AnsiAsUtf8(const std::string& text) {
  if (text.empty()) return text;
  const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (units <= 0) return text;
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], units);
  return Utf8(wide);
}

}  // namespace

bool StartDebugOutputMonitor(bool keepLines) {
  InitializeCriticalSection(&g_lock);
  g_keepLines = keepLines;
  DebugOutputMonitor& monitor = g_monitor;
  monitor.bufferReady = CreateEventA(nullptr, FALSE, TRUE, "DBWIN_BUFFER_READY");
  if (monitor.bufferReady == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) return false;
  monitor.dataReady = CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY");
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, "DBWIN_BUFFER");
  if (monitor.dataReady == nullptr || mapping == nullptr) return false;
  monitor.view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 4096));
  if (monitor.view == nullptr) return false;
  AddVectoredExceptionHandler(1, SeeWideDebugOutput);
  // A thread that has not started yet would wait for the loader lock.
  monitor.started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  CloseHandle(CreateThread(nullptr, 0, MonitorDebugOutput, &monitor, 0, nullptr));
  WaitForSingleObject(monitor.started, INFINITE);
  CloseHandle(monitor.started);
  return true;
}

void WaitForDebugOutputTaken() {
  if (g_monitor.view == nullptr) return;
  // The buffer is free once the monitor has kept the last line; free it again for the next writer.
  if (WaitForSingleObject(g_monitor.bufferReady, 1000) == WAIT_OBJECT_0) SetEvent(g_monitor.bufferReady);
}

std::vector<std::string> DebugOutputLines() {
  EnterCriticalSection(&g_lock);
  std::vector<std::string> lines = g_wideCount > 0 ? g_wideLines : g_classicLines;
  const bool classic = g_wideCount == 0;
  LeaveCriticalSection(&g_lock);
  if (classic) {
    for (std::string& line : lines) line = AnsiAsUtf8(line);
  }
  return lines;
}

const char* DebugOutputChannel() {
  EnterCriticalSection(&g_lock);
  const bool wide = g_wideCount > 0;
  LeaveCriticalSection(&g_lock);
  return wide ? "unicode" : "ansi";
}

std::vector<std::string> ClassicDebugOutputLines() {
  EnterCriticalSection(&g_lock);
  std::vector<std::string> lines = g_classicLines;
  LeaveCriticalSection(&g_lock);
  return lines;
}

long long DebugOutputLineCount() {
  EnterCriticalSection(&g_lock);
  // Where both channels carry each line, they count it once.
  const long long count = g_wideCount > g_classicCount ? g_wideCount : g_classicCount;
  LeaveCriticalSection(&g_lock);
  return count;
}
