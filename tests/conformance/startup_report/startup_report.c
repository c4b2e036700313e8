/* A program the process tests start: it writes "<its own path>.report" with
 * the start-up flags and show state GetStartupInfoA gives it, and ends. */
#include <windows.h>

#include <stdio.h>

#include "report_beside_program.h"

int main(void) {
  STARTUPINFOA startup;
  char report[64];
  int length;
  GetStartupInfoA(&startup);
  length = _snprintf(report, sizeof report - 1, "flags %lu show %u\n", (unsigned long)startup.dwFlags,
                     (unsigned)startup.wShowWindow);
  return length < 0 ? 1 : ReportBesideProgram(".report", report, (DWORD)length);
}
