/* A program the process tests start: it writes "<its own path>.report" with
 * the start-up flags and show state GetStartupInfoA gives it, and ends. */
#include <windows.h>

#include <stdio.h>

int main(void) {
  STARTUPINFOA startup;
  char path[MAX_PATH + 16] = "";
  char whole[MAX_PATH + 16] = "";
  char report[64];
  DWORD written = 0;
  HANDLE file;
  int length;
  GetStartupInfoA(&startup);
  length = _snprintf(report, sizeof report - 1, "flags %lu show %u\n", (unsigned long)startup.dwFlags,
                     (unsigned)startup.wShowWindow);
  if (length < 0 || GetModuleFileNameA(NULL, path, MAX_PATH) == 0) return 1;
  lstrcpyA(whole, path);
  lstrcatA(path, ".part");
  lstrcatA(whole, ".report");
  file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return 1;
  WriteFile(file, report, (DWORD)length, &written, NULL);
  CloseHandle(file);
  /* A reader that sees the report sees it whole. */
  return MoveFileExA(path, whole, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
