// A folder of files for the file, module and process tests: on Windows a
// real folder beside the test program, natively the same names in winsim's
// file table. Names are given in UTF-8, may hold any script, and may lie in a
// folder placed first.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#ifndef _WIN32
#include <winsim/control.h>
#endif

using WideText = std::basic_string<WCHAR>;

// `utf8` as UTF-16 (MultiByteToWideChar, itself under test in this suite).
inline WideText Wide(const std::string& utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  WideText wide(static_cast<size_t>(length), 0);
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
  return wide;
}

// The exported function of the test module: it answers 42.
typedef int(__cdecl* ModuleAnswer)();
constexpr char kModuleAnswerExport[] = "ConformanceAnswer";
constexpr char kModuleFileName[] = "conformance_module.dll";
// The program the process tests start: it reports how it was started.
constexpr char kProgramFileName[] = "startup_report.exe";

class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name) {
#ifdef _WIN32
    // Beside the test program, so that nothing outside the build is touched.
    WCHAR self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    WideText folder(self, length);
    folder_ = folder.substr(0, folder.find_last_of('\\') + 1) + Wide("scratch");
    CreateDirectoryW(folder_.c_str(), nullptr);
    folder_ += Wide("\\" + name);
    Remove();
    EXPECT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr)) << name;
#else
    winsim::Reset();
    folder_ = Wide("C:\\scratch\\" + name);
#endif
  }
  ~ScratchFolder() { Remove(); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  WideText Path(const std::string& file = std::string()) const {
    return file.empty() ? folder_ : folder_ + Wide("\\" + file);
  }

  // A copy of the test module (one export, kModuleAnswerExport) as `file`.
  void PlaceModule(const std::string& file) {
#ifdef _WIN32
    ASSERT_TRUE(CopyFileW(BesideTests(kModuleFileName).c_str(), Path(file).c_str(), FALSE)) << file;
#else
    winsim::ModuleImage image;
    image.exports[kModuleAnswerExport] = reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(Answer));
    winsim::AddModuleFile(winsim::Utf8(Path(file)), image);
#endif
  }

  // A copy of the test program (kProgramFileName) as `file`.
  void PlaceProgram(const std::string& file) {
#ifdef _WIN32
    ASSERT_TRUE(CopyFileW(BesideTests(kProgramFileName).c_str(), Path(file).c_str(), FALSE)) << file;
#else
    winsim::AddFile(winsim::Utf8(Path(file)));
#endif
  }

  // An empty folder.
  void PlaceFolder(const std::string& folder) {
#ifdef _WIN32
    ASSERT_TRUE(CreateDirectoryW(Path(folder).c_str(), nullptr)) << folder;
#else
    winsim::AddFolder(winsim::Utf8(Path(folder)));
#endif
  }

  // A file that is no module at all: a line of text.
  void PlaceText(const std::string& file) {
#ifdef _WIN32
    HANDLE handle = CreateFileW(Path(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE) << file;
    DWORD written = 0;
    WriteFile(handle, "not a module\r\n", 14, &written, nullptr);
    CloseHandle(handle);
#else
    winsim::AddFile(winsim::Utf8(Path(file)));
#endif
  }

 private:
#ifndef _WIN32
  static int __cdecl Answer() { return 42; }
#endif
#ifdef _WIN32
  static WideText BesideTests(const char* file) {
    WCHAR self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    const WideText path(self, length);
    return path.substr(0, path.find_last_of('\\') + 1) + Wide(file);
  }

  // `folder` and all in it. A program just ended may hold its file a moment longer.
  static void RemoveTree(const WideText& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + Wide("\\*")).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const WideText name = found.cFileName;
        if (name == Wide(".") || name == Wide("..")) continue;
        const WideText path = folder + Wide("\\") + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(path);
          continue;
        }
        for (int attempt = 0; attempt < 50 && !DeleteFileW(path.c_str()); ++attempt) Sleep(100);
      } while (FindNextFileW(search, &found));
      FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
  }
#endif

  void Remove() {
#ifdef _WIN32
    RemoveTree(folder_);
#endif
  }

  WideText folder_;
};
