// The wide-character file and module functions the library finds its
// resource library with, and the code-page conversions around them, as the
// platform shows them: truncation, error codes, and names in any script.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "guarded_buffer.h"
#include "scratch_folder.h"

namespace {

// A name in three scripts: Cyrillic and CJK, which code page 1252 lacks.
const char kForeignFolder[] = "Программы 程序";

// Every test starts from a fresh simulated machine natively.
class WideApi : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    winsim::Reset();
#endif
  }
};

// ---- GetModuleFileNameW

struct NameSizeCase {
  const char* name;
  int extra;  // buffer size minus the name's length
};

TEST_F(WideApi, ModuleNameIsCutAtTheBufferSizeAndSaysSo) {
  WCHAR full[32768];
  const DWORD length = GetModuleFileNameW(nullptr, full, 32768);
  ASSERT_GT(length, 4u);
  ASSERT_LT(length, 32768u);
  EXPECT_EQ(full[length], 0);

  const NameSizeCase cases[] = {{"above", 2}, {"exact", 1}, {"one short", 0}, {"two short", -1}};
  for (const NameSizeCase& c : cases) {
    const DWORD size = static_cast<DWORD>(static_cast<int>(length) + c.extra);
    GuardedVector<WCHAR> buffer(size, 8);
    SetLastError(0xdeadbeef);
    const DWORD result = GetModuleFileNameW(nullptr, buffer.data(), size);
    const DWORD error = GetLastError();
    if (c.extra >= 1) {
      EXPECT_EQ(result, length) << c.name;
      EXPECT_EQ(WideText(buffer.data()), WideText(full)) << c.name;
    } else {
      // Cut: the result is the size. Windows puts a terminator in the last
      // unit, Wine the next character of the name; callers rely on neither.
      EXPECT_EQ(result, size) << c.name;
      EXPECT_EQ(error, DWORD(ERROR_INSUFFICIENT_BUFFER)) << c.name;
      EXPECT_EQ(WideText(buffer.data(), size - 1), WideText(full, size - 1)) << c.name;
    }
    EXPECT_TRUE(buffer.GuardsUntouched()) << c.name;
  }

  GuardedBuffer<WCHAR, 0, 2> untouched;
  SetLastError(0xdeadbeef);
  EXPECT_EQ(GetModuleFileNameW(nullptr, untouched.data(), 0), 0u);
  EXPECT_TRUE(untouched.GuardsUntouched());
}

// ---- names in any script, through the wide and the ANSI forms

TEST_F(WideApi, ModuleNameInAnyScriptWhereTheAnsiFormCannot) {
  if (GetACP() != 1252) GTEST_SKIP() << "needs ANSI code page 1252";
  ScratchFolder folder(kForeignFolder);
  folder.PlaceModule(kModuleFileName);
  HMODULE module = LoadLibraryW(folder.Path(kModuleFileName).c_str());
  ASSERT_NE(module, nullptr) << GetLastError();

  WCHAR wide[1024];
  const DWORD wideLength = GetModuleFileNameW(module, wide, 1024);
  EXPECT_EQ(WideText(wide, wideLength), folder.Path(kModuleFileName));

  // The ANSI form spells every character the code page lacks as '?', so the
  // name it gives names no file.
  char ansi[1024];
  const DWORD ansiLength = GetModuleFileNameA(module, ansi, sizeof ansi);
  ASSERT_GT(ansiLength, 0u);
  const std::string ansiName(ansi, ansiLength);
  const std::string spelt = std::string("\\????????? ??\\") + kModuleFileName;
  EXPECT_EQ(ansiName.substr(ansiName.size() - spelt.size()), spelt);
  SetLastError(0xdeadbeef);
  EXPECT_EQ(LoadLibraryA(ansiName.c_str()), nullptr);

  auto answer = reinterpret_cast<ModuleAnswer>(reinterpret_cast<void (*)()>(GetProcAddress(module, kModuleAnswerExport)));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_TRUE(FreeLibrary(module));
}

// ---- FindFirstFileW and LoadLibraryW of what is there and what is not

struct LookupCase {
  const char* name;
  const char* file;  // below the scratch folder
  bool found;
  DWORD findError;
  bool loads;
  DWORD loadError;
};

TEST_F(WideApi, FindAndLoadByTheExactNameOnly) {
  ScratchFolder folder("Ελληνικά lookup");
  folder.PlaceModule("module.dll");
  folder.PlaceText("notes.dll");
  const LookupCase cases[] = {
      {"module", "module.dll", true, 0, true, 0},
      {"module, other letter case", "MODULE.DLL", true, 0, true, 0},
      {"text file", "notes.dll", true, 0, false, ERROR_BAD_EXE_FORMAT},
      {"missing file", "missing.dll", false, ERROR_FILE_NOT_FOUND, false, ERROR_MOD_NOT_FOUND},
      {"missing folder", "missing\\module.dll", false, ERROR_PATH_NOT_FOUND, false, ERROR_MOD_NOT_FOUND},
  };
  for (const LookupCase& c : cases) {
    WIN32_FIND_DATAW found;
    std::memset(&found, 0x5A, sizeof found);
    SetLastError(0xdeadbeef);
    HANDLE search = FindFirstFileW(folder.Path(c.file).c_str(), &found);
    if (c.found) {
      ASSERT_NE(search, INVALID_HANDLE_VALUE) << c.name;
      EXPECT_TRUE(FindClose(search)) << c.name;
    } else {
      EXPECT_EQ(search, INVALID_HANDLE_VALUE) << c.name;
      EXPECT_EQ(GetLastError(), c.findError) << c.name;
    }

    SetLastError(0xdeadbeef);
    HMODULE module = LoadLibraryW(folder.Path(c.file).c_str());
    if (c.loads) {
      ASSERT_NE(module, nullptr) << c.name;
      EXPECT_TRUE(FreeLibrary(module)) << c.name;
    } else {
      EXPECT_EQ(module, nullptr) << c.name;
      EXPECT_EQ(GetLastError(), c.loadError) << c.name;
    }
  }
}

TEST_F(WideApi, FileApisTakeAnsiNamesByDefault) { EXPECT_TRUE(AreFileApisANSI()); }

// ---- MultiByteToWideChar

struct ConversionCase {
  const char* name;
  UINT codePage;
  DWORD flags;
  std::string bytes;
  WideText expected;
};

TEST_F(WideApi, MultiByteToWideCharConvertsTheInterfaceCodePages) {
  const ConversionCase cases[] = {
      {"1251", 1251, 0, "\xC0\xFF\xA8 A", {0x0410, 0x044F, 0x0401, ' ', 'A'}},
      {"1252", 1252, 0, "\x80\xE9\x81", {0x20AC, 0x00E9, 0x0081}},
      {"1257", 1257, 0, "\xC0\xE8\xFF", {0x0104, 0x010D, 0x02D9}},
      {"UTF-8", CP_UTF8, 0, "Zo\xC3\xAB \xF0\x9F\x93\x81", {'Z', 'o', 0x00EB, ' ', 0xD83D, 0xDCC1}},
      {"UTF-8 cut sequence", CP_UTF8, 0, "a\xC3", {'a', 0xFFFD}},
  };
  for (const ConversionCase& c : cases) {
    GuardedBuffer<WCHAR, 16> buffer;
    const int length = MultiByteToWideChar(c.codePage, c.flags, c.bytes.data(), static_cast<int>(c.bytes.size()),
                                           buffer.data(), 16);
    EXPECT_EQ(WideText(buffer.data(), length > 0 ? length : 0), c.expected) << c.name;
    EXPECT_TRUE(buffer.UntouchedFrom(c.expected.size())) << c.name << ": no terminator for a counted text";
  }
}

// Every byte of 128 and more, against the tables as measured: a checksum of
// the 128 units each code page gives them.
TEST_F(WideApi, MultiByteToWideCharHighHalvesMatchTheSystemTables) {
  const struct {
    UINT codePage;
    unsigned checksum;
  } tables[] = {{1251, 0x2943839fu}, {1252, 0x6a769600u}, {1257, 0xba178bbcu}};
  char bytes[128];
  for (int i = 0; i < 128; ++i) bytes[i] = static_cast<char>(0x80 + i);
  for (const auto& table : tables) {
    WCHAR units[128];
    ASSERT_EQ(MultiByteToWideChar(table.codePage, 0, bytes, 128, units, 128), 128) << table.codePage;
    unsigned checksum = 0x811C9DC5u;  // FNV-1a over the units' bytes, low byte first
    std::string listed;
    for (WCHAR unit : units) {
      for (unsigned byte : {unsigned(unit) & 0xFF, unsigned(unit) >> 8}) checksum = (checksum ^ byte) * 0x01000193u;
      char hex[8];
      std::snprintf(hex, sizeof hex, "%04X ", unsigned(unit));
      listed += hex;
    }
    EXPECT_EQ(checksum, table.checksum) << "code page " << table.codePage << ": " << listed;
  }
}

TEST_F(WideApi, MultiByteToWideCharCountsFailsAndTerminates) {
  WCHAR buffer[8];
  // -1: the terminator is converted and counted.
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, buffer, 8), 4);
  EXPECT_EQ(WideText(buffer), Wide("abc"));
  // Size 0 asks for the length only.
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 3, nullptr, 0), 3);
  // Too small: nothing is returned, and the error says why.
  SetLastError(0xdeadbeef);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abcdef", 6, buffer, 3), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  // An empty or missing text is an error, not an empty result.
  SetLastError(0xdeadbeef);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 0, buffer, 8), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  SetLastError(0xdeadbeef);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, nullptr, 3, buffer, 8), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  // Invalid UTF-8 is refused only when asked.
  SetLastError(0xdeadbeef);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xC3", 2, buffer, 8), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
  // CP_ACP is the code page GetACP names.
  WCHAR viaAcp[2] = {};
  WCHAR viaNumber[2] = {};
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xE9", 1, viaAcp, 2), 1);
  ASSERT_EQ(MultiByteToWideChar(GetACP(), 0, "\xE9", 1, viaNumber, 2), 1);
  EXPECT_EQ(viaAcp[0], viaNumber[0]);
}

}  // namespace
