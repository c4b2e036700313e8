// A folder of files for the file and module tests: on Windows a real folder
// beside the test program, natively the same names in winsim's file table.
// Names are given in UTF-8 and may hold any script.
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
    WCHAR self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    WideText source(self, length);
    source = source.substr(0, source.find_last_of('\\') + 1) + Wide(kModuleFileName);
    ASSERT_TRUE(CopyFileW(source.c_str(), Path(file).c_str(), FALSE)) << file;
#else
    winsim::ModuleImage image;
    image.exports[kModuleAnswerExport] = reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(Answer));
    winsim::AddModuleFile(winsim::Utf8(Path(file)), image);
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
  void Remove() {
#ifdef _WIN32
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder_ + Wide("\\*")).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileW((folder_ + Wide("\\") + found.cFileName).c_str());
      } while (FindNextFileW(search, &found));
      FindClose(search);
    }
    RemoveDirectoryW(folder_.c_str());
#endif
  }

  WideText folder_;
};
