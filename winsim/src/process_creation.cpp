// Simulated process creation: CreateProcessA, WinExec and the process and
// thread handles they hand out. Nothing runs: what would is recorded.
#include "internal.h"

#include <memory>
#include <vector>

namespace winsim {
namespace {

using detail::EnterCall;

struct KernelObject {
  HandleKind kind;
};

struct CreationState {
  std::vector<StartedProcess> started;
  std::vector<std::unique_ptr<KernelObject>> objects;
  DWORD nextId = 0x1000;
};

CreationState& State() {
  static CreationState state;
  return state;
}

void ResetCreation() { State() = CreationState(); }
const detail::ResetHook resetCreation(ResetCreation);

HANDLE OpenObject(HandleKind kind) {
  State().objects.push_back(std::make_unique<KernelObject>(KernelObject{kind}));
  detail::AdjustLiveHandles(kind, +1);
  return State().objects.back().get();
}

bool CloseObject(HANDLE object) {
  auto& objects = State().objects;
  for (auto it = objects.begin(); it != objects.end(); ++it) {
    if (it->get() != object) continue;
    detail::AdjustLiveHandles((*it)->kind, -1);
    objects.erase(it);
    return true;
  }
  return false;
}

bool EndsWithExe(const std::u16string& path) {
  if (path.size() < 4) return false;
  std::u16string end = path.substr(path.size() - 4);
  for (char16_t& ch : end) {
    if (ch >= u'A' && ch <= u'Z') ch = static_cast<char16_t>(ch - u'A' + u'a');
  }
  return end == u".exe";
}

// What the search for a program finds for `name`: with ".exe", then as it
// is; a folder found either way names no program.
std::u16string FindProgram(const std::u16string& name) {
  static const std::u16string kExe = u".exe";
  std::u16string found = detail::SearchFile(name, &kExe);
  if (found.empty()) found = detail::SearchFile(name, nullptr);
  return found.empty() || detail::FolderAt(found) ? std::u16string() : found;
}

// The program a command line names when no application name is given: the
// quoted name at its start, else the first reading up to a space or tab that
// names one.
std::u16string ProgramOfCommandLine(const std::u16string& line) {
  if (!line.empty() && line[0] == u'"') {
    const size_t close = line.find(u'"', 1);
    if (close != std::u16string::npos) return FindProgram(line.substr(1, close - 1));
  }
  for (size_t end = 1; end <= line.size(); ++end) {
    if (end < line.size() && line[end] != u' ' && line[end] != u'\t') continue;
    const std::u16string found = FindProgram(line.substr(0, end));
    if (!found.empty()) return found;
  }
  return {};
}

// The file `application` names, or empty with the error set.
std::u16string ApplicationFile(const std::u16string& application) {
  const std::u16string path = detail::FullPathName(application);
  if (detail::FileAt(path) != detail::FileKind::None) return path;
  const size_t slash = path.find_last_of(u'\\');
  SetLastError(detail::FolderAt(path) ? ERROR_ACCESS_DENIED
               : slash <= 2 || detail::FolderAt(path.substr(0, slash)) ? ERROR_FILE_NOT_FOUND
                                                                        : ERROR_PATH_NOT_FOUND);
  return {};
}

// Finds the program and records its start; false, with the error set, when
// there is none to start.
bool Start(LPCSTR application, LPCSTR commandLine, const STARTUPINFOA& startup, PROCESS_INFORMATION* information,
           bool waitsUntilIdle) {
  const std::u16string line = detail::AnsiToWide(commandLine ? commandLine : "");
  std::u16string program;
  if (application != nullptr) {
    program = ApplicationFile(detail::AnsiToWide(application));
    if (program.empty()) return false;
  } else {
    program = ProgramOfCommandLine(line);
    if (program.empty()) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return false;
    }
  }
  // Settled once the program is found, as the platform does.
  *information = PROCESS_INFORMATION{};
  if (detail::FileAt(program) != detail::FileKind::Plain || !EndsWithExe(program)) {
    SetLastError(ERROR_BAD_EXE_FORMAT);
    return false;
  }
  State().started.push_back({application ? application : "", commandLine ? commandLine : "",
                             detail::WideToUtf8(program), startup.dwFlags, startup.wShowWindow, waitsUntilIdle});
  information->hProcess = OpenObject(HandleKind::Process);
  information->hThread = OpenObject(HandleKind::Thread);
  information->dwProcessId = State().nextId += 4;
  information->dwThreadId = State().nextId += 4;
  return true;
}

}  // namespace

const std::vector<StartedProcess>& ProcessesStarted() { return State().started; }

}  // namespace winsim

using winsim::detail::EnterCall;

BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                           BOOL, DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA startupInfo,
                           LPPROCESS_INFORMATION processInformation) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("CreateProcessA", &error)) {
    SetLastError(error ? error : ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  if (startupInfo == nullptr || processInformation == nullptr || (applicationName == nullptr && commandLine == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return winsim::Start(applicationName, commandLine, *startupInfo, processInformation, false) ? TRUE : FALSE;
}

BOOL WINAPI CloseHandle(HANDLE object) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("CloseHandle", &error)) {
    SetLastError(error ? error : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (winsim::CloseObject(object)) return TRUE;
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

UINT WINAPI WinExec(LPCSTR commandLine, UINT show) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("WinExec")) return ERROR_FILE_NOT_FOUND;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION information{};
  if (!winsim::Start(nullptr, commandLine, startup, &information, true)) {
    // An error the old result codes do not have reads as a bad format.
    const DWORD error = GetLastError();
    return error < 32 ? error : ERROR_BAD_FORMAT;
  }
  winsim::CloseObject(information.hThread);
  winsim::CloseObject(information.hProcess);
  return 33;
}
