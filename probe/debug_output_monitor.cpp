#include "debug_output_monitor.h"

#include <windows.h>

#include <cstdio>
#include <cstring>


namespace {

CRITICAL_SECTION g_lock;
bool g_keepLines = true;
std::vector<std::string> g_lines;
long long g_lineCount = 0;

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
    // Across load cycles the lines are only counted: keeping thousands of
    // them would grow this process and hide what the library itself holds.
    EnterCriticalSection(&g_lock);
    ++g_lineCount;
    if (g_keepLines) {
      g_lines.push_back(text);
    }
    LeaveCriticalSection(&g_lock);
  }
}

}  // namespace

bool StartDebugOutputMonitor(bool keepLines) {
  InitializeCriticalSection(&g_lock);
  g_keepLines = keepLines;
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


std::vector<std::string> DebugOutputLines() {
  EnterCriticalSection(&g_lock);
  std::vector<std::string> lines = g_lines;
  LeaveCriticalSection(&g_lock);
  return lines;
}

long long DebugOutputLineCount() {
  EnterCriticalSection(&g_lock);
  const long long count = g_lineCount;
  LeaveCriticalSection(&g_lock);
  return count;
}
