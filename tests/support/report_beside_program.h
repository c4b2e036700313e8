/* What a test program writes for the test that started it: a file named
 * after the program's own path and `suffix`, written whole under a name of
 * its own first, so that a reader that sees the file sees all of it. */
#ifndef TARVEX_REPORT_BESIDE_PROGRAM_H
#define TARVEX_REPORT_BESIDE_PROGRAM_H

#include <windows.h>

/* 0 when the report was written, 1 when not. */
static int ReportBesideProgram(const char* suffix, const char* report, DWORD length) {
  char path[MAX_PATH + 16] = "";
  char whole[MAX_PATH + 16] = "";
  DWORD written = 0;
  HANDLE file;
  if (GetModuleFileNameA(NULL, path, MAX_PATH) == 0 || lstrlenA(suffix) > 8) return 1;
  lstrcpyA(whole, path);
  lstrcatA(whole, suffix);
  lstrcatA(path, ".part");
  file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return 1;
  WriteFile(file, report, length, &written, NULL);
  CloseHandle(file);
  return MoveFileExA(path, whole, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}

#endif
