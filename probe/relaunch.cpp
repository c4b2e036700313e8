#include "relaunch.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "wide_text.h"

int Relaunch(const std::string& line) {
  std::wstring self(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, &self[0], static_cast<DWORD>(self.size()));
  self.resize(length < self.size() ? length : 0);
  const std::wstring wideLine = Utf16(line);
  std::vector<wchar_t> commandLine(wideLine.begin(), wideLine.end());
  commandLine.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(self.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process)) {
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
