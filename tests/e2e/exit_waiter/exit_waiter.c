/* A host's exit command in the tests: a windowed program, as an updater is,
 * that waits for the host which started it to end before it does anything a
 * window needs. Then it writes "<its own path>.ran": how it found the host,
 * its command line, and the start-up flags and show state it was given. The
 * same program stands for a planted one under another name. */
#include <windows.h>
#include <tlhelp32.h>

#include <stdio.h>

#include "report_beside_program.h"

/* The process that started this one, or 0. */
static DWORD ParentProcessId(void) {
  PROCESSENTRY32 entry;
  DWORD parent = 0;
  const DWORD self = GetCurrentProcessId();
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ProcessID == self) parent = entry.th32ParentProcessID;
  }
  CloseHandle(snapshot);
  return parent;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  const DWORD parent = ParentProcessId();
  HANDLE host = parent != 0 ? OpenProcess(SYNCHRONIZE, FALSE, parent) : NULL;
  const char* how = "the host had ended";
  STARTUPINFOA startup;
  char report[2048];
  int length;
  (void)instance;
  (void)previous;
  (void)commandLine;
  (void)show;
  if (host != NULL) {
    /* An updater waits for the files the host holds: no message is looked at meanwhile. */
    if (WaitForSingleObject(host, 120000) == WAIT_OBJECT_0) how = "waited for the host to end";
    CloseHandle(host);
  }
  GetStartupInfoA(&startup);
  length = _snprintf(report, sizeof report - 1, "%s\n%s\nflags %lu show %u\n", how, GetCommandLineA(),
                     (unsigned long)startup.dwFlags, (unsigned)startup.wShowWindow);
  if (length < 0) length = (int)sizeof report - 1;
  return ReportBesideProgram(".ran", report, (DWORD)length);
}
