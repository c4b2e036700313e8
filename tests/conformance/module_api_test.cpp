// Modules through the ANSI functions as the platform loads them: full names
// cut to a buffer, what loads and why the rest does not, load counts, exports
// by name and by ordinal, and file lookups.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "resource_module.h"
#include "scratch_folder.h"

namespace {

class ModuleApi : public ResourceModuleTest {};

typedef int(__cdecl* Answering)();

int Call(FARPROC address) { return reinterpret_cast<Answering>(reinterpret_cast<void (*)()>(address))(); }

// The folder's name is plain ASCII, so its wide name narrows byte by byte.
std::string Narrow(const WideText& wide) { return std::string(wide.begin(), wide.end()); }

// A copy of the resource module cut short, which the loader must refuse.
void PlaceDamagedModule(const std::string& path) {
#ifdef _WIN32
  std::FILE* in = std::fopen(ResourceModulePath().c_str(), "rb");
  ASSERT_NE(in, nullptr);
  std::vector<char> head(700);
  head.resize(std::fread(head.data(), 1, head.size(), in));
  std::fclose(in);
  std::FILE* out = std::fopen(path.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  std::fwrite(head.data(), 1, head.size(), out);
  std::fclose(out);
#else
  winsim::ModuleImage damaged;
  damaged.damaged = true;
  winsim::AddModuleFile(path, damaged);
#endif
}

TEST_F(ModuleApi, AModuleNameIsCutToTheBufferWithoutATerminator) {
  char full[MAX_PATH + 1];
  const DWORD length = GetModuleFileNameA(module, full, sizeof full);
  ASSERT_GT(length, 4u);
  ASSERT_LT(length, DWORD(MAX_PATH));
  EXPECT_EQ(std::string(full, length), ResourceModulePath());

  struct Case {
    int extra;  // buffer size minus the name's length
    DWORD result;
    DWORD error;
  };
  const Case cases[] = {{2, length, ERROR_SUCCESS},
                        {1, length, ERROR_SUCCESS},
                        {0, length, ERROR_INSUFFICIENT_BUFFER},
                        {-1, length - 1, ERROR_INSUFFICIENT_BUFFER},
                        {1 - static_cast<int>(length), 1, ERROR_INSUFFICIENT_BUFFER}};
  for (const Case& c : cases) {
    const DWORD size = static_cast<DWORD>(static_cast<int>(length) + c.extra);
    std::vector<char> buffer(size + 8, '#');
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetModuleFileNameA(module, buffer.data(), size), c.result) << "size " << size;
    EXPECT_EQ(GetLastError(), c.error) << "size " << size;
    const DWORD copied = c.result;
    EXPECT_EQ(std::string(buffer.data(), copied), std::string(full, copied)) << "size " << size;
    // Cut, the name fills the buffer to its last byte, unterminated.
    if (c.error == ERROR_SUCCESS) {
      EXPECT_EQ(buffer[copied], '\0') << "size " << size;
    }
    for (size_t i = size; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], '#') << "size " << size;
  }

  char untouched[4] = "##";
  SetLastError(0xdeadbeef);
  EXPECT_EQ(GetModuleFileNameA(module, untouched, 0), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_STREQ(untouched, "##");
  SetLastError(0xdeadbeef);
  EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(0x12340000), untouched, sizeof untouched), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

TEST_F(ModuleApi, LoadLibraryLoadsModulesOnlyAndSaysWhyNot) {
  ScratchFolder folder("modules");
  folder.PlaceText("notes.dll");
  const std::string in = Narrow(folder.Path()) + "\\";
  PlaceDamagedModule(in + "damaged.dll");
  LoadAgainAfterReset();
  struct Case {
    std::string name;
    DWORD error;
  };
  const Case cases[] = {
      {in + "missing.dll", ERROR_MOD_NOT_FOUND},
      {in + "missing\\module.dll", ERROR_MOD_NOT_FOUND},
      {in + "notes.dll", ERROR_BAD_EXE_FORMAT},
      {in + "damaged.dll", ERROR_BAD_EXE_FORMAT},
      {"", ERROR_MOD_NOT_FOUND},
  };
  for (const Case& c : cases) {
    SetLastError(0xdeadbeef);
    EXPECT_EQ(LoadLibraryA(c.name.c_str()), nullptr) << c.name;
    EXPECT_EQ(GetLastError(), c.error) << c.name;
  }
}

TEST_F(ModuleApi, AModuleStaysUntilFreedAsOftenAsLoaded) {
  EXPECT_EQ(GetModuleHandleA(fixture::kModuleFile), module);
  EXPECT_EQ(LoadLibraryA(ResourceModulePath().c_str()), module) << "loaded again: the same module";
  EXPECT_TRUE(FreeLibrary(module));
  ASSERT_NE(GetProcAddress(module, fixture::kAnswerExport), nullptr) << "still loaded once";
  EXPECT_TRUE(FreeLibrary(module));
  HMODULE freed = module;
  module = nullptr;

  SetLastError(0xdeadbeef);
  EXPECT_EQ(GetModuleHandleA(fixture::kModuleFile), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
  SetLastError(0xdeadbeef);
  EXPECT_EQ(GetProcAddress(freed, fixture::kAnswerExport), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(FreeLibrary(freed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(FreeLibrary(nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  // No name: the program itself.
  EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
}

TEST_F(ModuleApi, ExportsAreFoundByTheirExactNameOrTheirOrdinal) {
  const FARPROC byName = GetProcAddress(module, fixture::kAnswerExport);
  ASSERT_NE(byName, nullptr);
  EXPECT_EQ(Call(byName), fixture::kAnswer);
  EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(fixture::kAnswerOrdinal)), byName);
  const FARPROC ordinalOnly = GetProcAddress(module, MAKEINTRESOURCEA(fixture::kOrdinalOnlyOrdinal));
  ASSERT_NE(ordinalOnly, nullptr);
  EXPECT_EQ(Call(ordinalOnly), fixture::kOrdinalOnlyAnswer);

  struct Case {
    const char* name;
    HMODULE from;
    DWORD error;
  };
  const Case cases[] = {
      {"fixtureanswer", module, ERROR_PROC_NOT_FOUND},
      {"Missing", module, ERROR_PROC_NOT_FOUND},
      {"", module, ERROR_PROC_NOT_FOUND},
      {MAKEINTRESOURCEA(1), module, ERROR_PROC_NOT_FOUND},
      // No module: the program itself, which exports nothing of the kind.
      {fixture::kAnswerExport, nullptr, ERROR_PROC_NOT_FOUND},
      {fixture::kAnswerExport, reinterpret_cast<HMODULE>(0x12340000), ERROR_MOD_NOT_FOUND},
  };
  for (const Case& c : cases) {
    const std::string label = IS_INTRESOURCE(c.name) ? "#" + std::to_string(LOWORD(reinterpret_cast<ULONG_PTR>(c.name)))
                                                     : std::string(c.name);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetProcAddress(c.from, c.name), nullptr) << label;
    EXPECT_EQ(GetLastError(), c.error) << label;
  }
}

TEST_F(ModuleApi, FindFirstFileFindsFilesAndTellsAMissingFolderApart) {
  ScratchFolder folder("find");
  folder.PlaceText("notes.txt");
  LoadAgainAfterReset();
  WIN32_FIND_DATAW found;
  std::memset(&found, '#', sizeof found);
  HANDLE search = FindFirstFileW(folder.Path("NOTES.TXT").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WideText(found.cFileName).size(), 9u) << "the name without its folder";
  EXPECT_TRUE(FindClose(search));

  struct Case {
    std::string name;
    DWORD error;
  };
  const Case cases[] = {{"missing.txt", ERROR_FILE_NOT_FOUND}, {"missing\\notes.txt", ERROR_PATH_NOT_FOUND}};
  for (const Case& c : cases) {
    std::memset(&found, '#', sizeof found);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(FindFirstFileW(folder.Path(c.name).c_str(), &found), INVALID_HANDLE_VALUE) << c.name;
    EXPECT_EQ(GetLastError(), c.error) << c.name;
    EXPECT_EQ(found.cFileName[0], WCHAR(0x2323)) << c.name << ": the find data untouched";
  }
}

}  // namespace
