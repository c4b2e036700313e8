// The tests' resource module (fixture_resources.h) beside the test program:
// under Wine the module the build made; natively the same contents put there
// as a winsim module file before each test.
#pragma once

#include <windows.h>

#include <string>

#include "fixture_resources.h"
#include "platform_test.h"

// The module's full name: the test program's folder and kModuleFile.
inline std::string ResourceModulePath() {
  char self[MAX_PATH + 1] = "";
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path(self, length < MAX_PATH ? length : 0);
  return path.substr(0, path.find_last_of('\\') + 1) + fixture::kModuleFile;
}

class ResourceModuleTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
#ifndef _WIN32
    winsim::AddModuleFile(ResourceModulePath(), Image());
#endif
    module = LoadLibraryA(ResourceModulePath().c_str());
    ASSERT_NE(module, nullptr) << ResourceModulePath() << ": error " << GetLastError();
  }

  void TearDown() override {
    if (module != nullptr) {
      EXPECT_TRUE(FreeLibrary(module));
    }
    PlatformTest::TearDown();
  }

  // After a scratch folder has reset winsim: the module file back in place
  // and loaded again, as it still is under Wine.
  void LoadAgainAfterReset() {
#ifndef _WIN32
    winsim::AddModuleFile(ResourceModulePath(), Image());
    module = LoadLibraryA(ResourceModulePath().c_str());
    ASSERT_NE(module, nullptr);
#endif
  }

  HMODULE module = nullptr;

 private:
#ifndef _WIN32
  static int __cdecl Answer() { return fixture::kAnswer; }
  static int __cdecl OrdinalOnly() { return fixture::kOrdinalOnlyAnswer; }

  static winsim::ModuleImage Image() {
    winsim::ModuleImage image;
    for (const fixture::String& string : fixture::Strings()) image.strings[string.id] = string.text;
    for (const fixture::Bitmap& bitmap : fixture::Bitmaps()) image.bitmaps[bitmap.name] = bitmap.bytes;
    for (const fixture::Dialog& dialog : fixture::Dialogs()) {
      image.dialogs[dialog.id] = winsim::DialogTemplate{dialog.caption, dialog.controls};
    }
    const FARPROC answer = reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(Answer));
    image.exports[fixture::kAnswerExport] = answer;
    image.ordinals[fixture::kAnswerOrdinal] = answer;
    image.ordinals[fixture::kOrdinalOnlyOrdinal] = reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(OrdinalOnly));
    return image;
  }
#endif
};
