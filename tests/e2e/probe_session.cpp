#include "probe_session.h"

#include <sstream>

#include "unique_reg_key.h"
#include "wide_text.h"

namespace {

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

struct PipeReader {
  HANDLE pipe;
  std::string text;
};

DWORD WINAPI ReadAll(LPVOID param) {
  auto* reader = static_cast<PipeReader*>(param);
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(reader->pipe, buffer, sizeof buffer, &read, nullptr) && read > 0) reader->text.append(buffer, read);
  return 0;
}

}  // namespace

std::string BuildBinFolder() {
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  return FolderOf(self);
}

std::string TestDataFile(const std::string& fileName) { return BuildBinFolder() + "\\e2e-data\\" + fileName; }

std::string FakeResourceLibrary(const std::string& name) {
  return BuildBinFolder() + "\\e2e-fakes\\" + name + ".dll";
}

std::string ComparableName(const std::string& path) {
  std::wstring full(32768, L'\0');
  const DWORD length = GetFullPathNameW(Utf16(path).c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
  return length > 0 && length < full.size() ? Utf8(full.substr(0, length)) : path;
}

std::string ComparablePath(const std::string& path) {
  char full[MAX_PATH * 2] = "";
  DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  std::string result = length > 0 && length < sizeof full ? std::string(full, length) : path;
  for (char& ch : result) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    if (ch == '/') ch = '\\';
  }
  return result;
}

std::string ResourceLibraryTitle(int language) {
  HMODULE resources = LoadLibraryExA((BuildBinFolder() + "\\OxaRes" + std::to_string(language) + ".dll").c_str(),
                                     nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!resources) return "";
  // Every resource library of the build keeps its title under identifier 1.
  wchar_t title[512] = L"";
  LoadStringW(resources, 1, title, 512);
  FreeLibrary(resources);
  return Utf8(title);
}

std::vector<std::string> LoadedResourceLibraryPaths(const ProbeResult& run) {
  std::vector<std::string> paths;
  for (const JsonValue& module : run.report["modules"].items) {
    std::string name = ComparablePath(module.text);
    name = name.substr(name.find_last_of('\\') + 1);
    if (name.compare(0, 6, "OXARES") == 0) paths.push_back(module.text);
  }
  return paths;
}

InstallFolder::InstallFolder(const std::string& name, const std::vector<int>& languages) {
  // The full name without "..", as the loader reports the files in it.
  std::string work = ComparableName(BuildBinFolder() + "\\..\\e2e-work");
  CreateDirectoryA(work.c_str(), nullptr);
  path_ = work + "\\" + name;
  // A fresh folder: what an earlier run left is removed first.
  RunProcess("cmd.exe /c rmdir /s /q \"" + path_ + "\"", 30000);
  // Each level of a name with backslashes in turn.
  for (size_t end = work.size() + 1; end != std::string::npos;) {
    end = path_.find('\\', end + 1);
    CreateDirectoryW(Utf16(path_.substr(0, end)).c_str(), nullptr);
  }
  std::vector<std::string> files = {"startup-probe.exe", "TarvexLogo.dll"};
  for (int language : languages) files.push_back("OxaRes" + std::to_string(language) + ".dll");
  for (const std::string& file : files) {
    CopyFileW(Utf16(BuildBinFolder() + "\\" + file).c_str(), Utf16(File(file)).c_str(), FALSE);
  }
}

ProbeResult InstallFolder::Run(const std::string& arguments, DWORD timeoutMs) const {
  return RunProcess("\"" + File("startup-probe.exe") + "\" " + arguments, timeoutMs);
}

ProbeResult InstallFolder::RunIn(const std::string& currentDirectory, const std::string& arguments,
                                 DWORD timeoutMs) const {
  return RunProcess("\"" + File("startup-probe.exe") + "\" " + arguments, timeoutMs, currentDirectory);
}

ProbeResult RunProcess(const std::string& commandLine, DWORD timeoutMs, const std::string& currentDirectory) {
  ProbeResult result;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE outRead, outWrite, errRead, errWrite;
  CreatePipe(&outRead, &outWrite, &inherit, 0);
  CreatePipe(&errRead, &errWrite, &inherit, 0);
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION process = {};
  std::wstring line = Utf16(commandLine);
  const std::wstring directory = Utf16(currentDirectory);
  BOOL started = CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                                directory.empty() ? nullptr : directory.c_str(), &startup, &process);
  CloseHandle(outWrite);
  CloseHandle(errWrite);
  if (!started) {
    result.err = "CreateProcess failed with error " + std::to_string(GetLastError());
    CloseHandle(outRead);
    CloseHandle(errRead);
    return result;
  }
  PipeReader out{outRead, {}}, err{errRead, {}};
  HANDLE readers[2] = {CreateThread(nullptr, 0, ReadAll, &out, 0, nullptr),
                       CreateThread(nullptr, 0, ReadAll, &err, 0, nullptr)};
  if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_TIMEOUT) {
    result.timedOut = true;
    TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, 10000);
  }
  GetExitCodeProcess(process.hProcess, &result.exitCode);
  WaitForMultipleObjects(2, readers, TRUE, 10000);
  CloseHandle(readers[0]);
  CloseHandle(readers[1]);
  CloseHandle(outRead);
  CloseHandle(errRead);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  result.out = out.text;
  result.err = err.text;
  ParseJson(result.out, &result.report);
  std::istringstream lines(result.err);
  for (std::string errLine; std::getline(lines, errLine);) {
    JsonValue event;
    if (!errLine.empty() && errLine[0] == '{' && ParseJson(errLine, &event)) result.events.push_back(event);
  }
  return result;
}

bool ReadWholeFile(const std::string& path, std::string* text) {
  HANDLE file = CreateFileW(Utf16(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text->append(buffer, read);
  CloseHandle(file);
  return true;
}

const char* OwnRegistryView() { return sizeof(void*) == 8 ? "/reg:64" : "/reg:32"; }

REGSAM OtherViewAccess() { return sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY; }

void ImportRegFile(const std::string& fileName) {
  // As the README tells an administrator: into the view of this build.
  RunProcess("reg.exe import \"" + TestDataFile(fileName) + "\" " + OwnRegistryView(), 60000);
}

void ResetProductRegistry() {
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Vornek");
  // Both views of HKLM\SOFTWARE: a test may write into the other one.
  for (REGSAM view : {REGSAM(KEY_WOW64_32KEY), REGSAM(KEY_WOW64_64KEY)}) {
    UniqueRegKey pellix;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Pellix", 0, KEY_ALL_ACCESS | view, pellix.put()) ==
        ERROR_SUCCESS) {
      RegDeleteTreeA(pellix.get(), "Tarvex");
    }
  }
}

std::string ReadRegistryString(HKEY root, const std::string& path, const std::string& name,
                               const std::string& missing) {
  UniqueRegKey key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return missing;
  char data[2048] = "";
  DWORD size = sizeof data - 1;
  DWORD type = 0;
  const LONG status = RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return missing;
  data[size] = '\0';
  return data;
}

void WriteRegistryString(HKEY root, const std::string& path, const std::string& name, const std::string& value,
                         REGSAM view) {
  UniqueRegKey key;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, key.put(), nullptr) !=
      ERROR_SUCCESS) {
    return;
  }
  RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
}

bool RegistryKeyExists(HKEY root, const std::string& path) {
  UniqueRegKey key;
  return RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

DWORD ReadRegistryDword(HKEY root, const std::string& path, const std::string& name, DWORD missing) {
  UniqueRegKey key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return missing;
  DWORD data = 0;
  DWORD size = sizeof data;
  DWORD type = 0;
  const LONG status = RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  return status == ERROR_SUCCESS && type == REG_DWORD ? data : missing;
}

bool WaitForFile(const std::string& path, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(50);
  }
  return true;
}
