// Inputs no one should hand the library, under Wine: the longest command line
// a process can have, defaults trees that are very deep or very wide, values
// around and far beyond the 512-byte buffers, and resource libraries that are
// not libraries, name strings they lack, or hold broken bitmaps. In every case
// the host must live on and see the outcome the library defines.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "probe_session.h"
#include "unique_reg_key.h"
#include "wide_text.h"

namespace {

const char kDefaultsKey[] = "Software\\Pellix\\Tarvex\\4.0\\New User Defaults";
const char kUserKey[] = "Software\\Vornek";

// A registry key of the test's own, created or opened for reading; holds
// nothing when that fails.
UniqueRegKey OpenTestKey(HKEY parent, const std::string& path, bool create) {
  UniqueRegKey key;
  const LONG status = create ? RegCreateKeyExA(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                                               nullptr)
                             : RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, key.put());
  if (status != ERROR_SUCCESS) key.reset();
  return key;
}

// A REG_SZ value's bytes: the text and its terminator.
std::vector<BYTE> TextBytes(const std::string& text) {
  std::vector<BYTE> data(text.begin(), text.end());
  data.push_back(0);
  return data;
}

bool SetValue(HKEY key, const std::string& name, DWORD type, const std::vector<BYTE>& data) {
  return RegSetValueExA(key, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

// The value's type and bytes; false when there is no such value.
bool ReadValue(HKEY root, const std::string& path, const std::string& name, DWORD* type, std::vector<BYTE>* data) {
  const UniqueRegKey key = OpenTestKey(root, path, false);
  if (!key.get()) return false;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, type, nullptr, &size) != ERROR_SUCCESS) return false;
  data->assign(size, 0);
  return RegQueryValueExA(key.get(), name.c_str(), nullptr, type, data->data(), &size) == ERROR_SUCCESS;
}

// `size` bytes of a pattern that `seed` tells apart; for REG_SZ, text ending
// in its terminator.
std::vector<BYTE> Pattern(size_t size, DWORD type, BYTE seed) {
  std::vector<BYTE> data(size);
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<BYTE>(type == REG_SZ ? 'a' + (i + seed) % 26 : i * 7 + seed);
  if (type == REG_SZ && size > 0) data[size - 1] = 0;
  return data;
}

bool IsLibraryName(const std::string& path, const std::string& name) {
  std::string comparable = ComparablePath(path);
  return comparable.size() >= name.size() && comparable.compare(comparable.size() - name.size(), name.size(), name) == 0;
}

class HostileInputsE2eTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProductRegistry(); }
  void TearDown() override {
    SetEnvironmentVariableA("FAKE_RESOURCE_ID", nullptr);
    ResetProductRegistry();
  }

  // A run that ended normally: no crash, no hang, the library loaded and unloaded.
  static void ExpectSurvived(const ProbeResult& run) {
    ASSERT_FALSE(run.timedOut) << "the probe hung: " << run.err;
    ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
    ASSERT_TRUE(run.report["loaded"].boolean) << run.out;
    EXPECT_TRUE(run.report["unloaded"].boolean) << run.out;
  }
};

// ---- The command line --------------------------------------------------------

TEST_F(HostileInputsE2eTest, TheLongestCommandLineIsScannedToItsEnd) {
  // CreateProcess takes at most 32,767 characters with the terminator. The
  // deciding word stands at the very end, behind padding that is hard on the
  // two scans: many signs, near-miss switches, rejected file types.
  const size_t kLongestLine = 32766;
  struct LineCase {
    const char* what;
    std::string padding;  // repeated to fill the line
    std::string tail;     // the deciding word, last on the line
  };
  const LineCase cases[] = {
      {"plain words", "abcdefg ", " /form"},
      {"signs everywhere", "- / -/ ", " -FORM"},
      {"near-miss switches", "/forms -formx /nologos ", " /form"},
      {"rejected file types", ".frm.frmx a.frm.tif ", " a.frm"},
      // Bytes 0xE9, 0xE8, 0xFF and 0x80 of the library's ANSI line (code page 1252).
      {"bytes above 127", "éèÿ€ ", " /form"},
  };
  InstallFolder install("hostile-long-line", {0});
  const std::wstring head = Utf16("\"" + install.File("startup-probe.exe") + "\" /nologo --pump-ms 0 ");
  for (const LineCase& lineCase : cases) {
    SCOPED_TRACE(lineCase.what);
    // Built in characters, as the system counts them; the probe reports UTF-8.
    const std::wstring padding = Utf16(lineCase.padding);
    const std::wstring tail = Utf16(lineCase.tail);
    std::wstring line = head;
    while (line.size() + padding.size() + tail.size() <= kLongestLine) line += padding;
    line.append(kLongestLine - line.size() - tail.size(), L' ');
    line += tail;
    ASSERT_EQ(line.size(), kLongestLine);

    ProbeResult run = RunProcess(Utf8(line), 60000);
    ExpectSurvived(run);
    const std::wstring seen = Utf16(run.report["commandLine"].text);
    EXPECT_EQ(seen.size(), kLongestLine) << "the line did not reach the probe whole";
    size_t differs = 0;
    while (differs < seen.size() && differs < line.size() && seen[differs] == line[differs]) ++differs;
    EXPECT_EQ(differs, line.size()) << "the line the probe saw differs from character " << differs;
    // Only the tail asks for the forms mode.
    EXPECT_EQ(run.report["mode"].number, 1);
    EXPECT_TRUE(run.report["logoWindow"].IsNull());
  }
}

// ---- The defaults tree -------------------------------------------------------

TEST_F(HostileInputsE2eTest, ADefaultsTree512LevelsDeepArrivesWhole) {
  const int kDepth = 512;
  {
    const UniqueRegKey defaults = OpenTestKey(HKEY_LOCAL_MACHINE, kDefaultsKey, true);
    ASSERT_NE(defaults.get(), nullptr);
    HKEY parent = defaults.get();
    std::vector<UniqueRegKey> opened;
    for (int depth = 1; depth <= kDepth; ++depth) {
      UniqueRegKey level;
      ASSERT_EQ(RegCreateKeyExA(parent, "Level", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, level.put(), nullptr),
                ERROR_SUCCESS)
          << "depth " << depth;
      ASSERT_TRUE(SetValue(level.get(), "Depth", REG_SZ, TextBytes(std::to_string(depth))));
      parent = level.get();
      opened.push_back(std::move(level));
    }
  }

  InstallFolder install("hostile-deep-tree", {0});
  ExpectSurvived(install.Run("/nologo --pump-ms 0", 120000));

  // Walked one level at a time: a path this long exceeds what one call takes.
  UniqueRegKey parent = OpenTestKey(HKEY_CURRENT_USER, kUserKey, false);
  ASSERT_TRUE(parent);
  int reached = 0;
  for (int depth = 1; depth <= kDepth; ++depth) {
    parent = OpenTestKey(parent.get(), "Level", false);
    if (!parent) break;
    char text[16] = "";
    DWORD size = sizeof text - 1;
    if (RegQueryValueExA(parent.get(), "Depth", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) !=
            ERROR_SUCCESS ||
        std::to_string(depth) != text) {
      break;
    }
    reached = depth;
  }
  EXPECT_EQ(reached, kDepth) << "the user's copy stops below level " << reached;
}

TEST_F(HostileInputsE2eTest, ADefaultsKeyWith10000SubkeysArrivesWhole) {
  const int kSubkeys = 10000;
  {
    const UniqueRegKey wide = OpenTestKey(HKEY_LOCAL_MACHINE, std::string(kDefaultsKey) + "\\Wide", true);
    ASSERT_NE(wide.get(), nullptr);
    for (int index = 0; index < kSubkeys; ++index) {
      char name[16];
      wsprintfA(name, "Key%05d", index);
      const UniqueRegKey subkey = OpenTestKey(wide.get(), name, true);
      ASSERT_NE(subkey.get(), nullptr) << name;
      if (index % 1000 == 999) {
        ASSERT_TRUE(SetValue(subkey.get(), "Index", REG_SZ, TextBytes(std::to_string(index))));
      }
    }
    // A sibling enumerated after the wide key: the copy must go on past it.
    WriteRegistryString(HKEY_LOCAL_MACHINE, std::string(kDefaultsKey) + "\\Zeta", "After", "wide");
  }

  InstallFolder install("hostile-wide-tree", {0});
  ExpectSurvived(install.Run("/nologo --pump-ms 0", 300000));

  const UniqueRegKey copied = OpenTestKey(HKEY_CURRENT_USER, std::string(kUserKey) + "\\Wide", false);
  ASSERT_NE(copied.get(), nullptr);
  DWORD subkeys = 0xdeadbeef;
  ASSERT_EQ(RegQueryInfoKeyA(copied.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subkeys, static_cast<DWORD>(kSubkeys));
  EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, std::string(kUserKey) + "\\Wide\\Key00000"));
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, std::string(kUserKey) + "\\Wide\\Key09999", "Index"), "9999");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, std::string(kUserKey) + "\\Wide\\Key04999", "Index"), "4999");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, std::string(kUserKey) + "\\Zeta", "After"), "wide");
}

TEST_F(HostileInputsE2eTest, ValuesUpTo512BytesAreCopiedAndLargerOnesEndTheirKey) {
  // Wine enumerates values in name order, so the names set the order the copy
  // meets them in.
  struct SizeCase {
    const char* key;
    DWORD type;
  };
  const SizeCase sizeCases[] = {{"SizesBinary", REG_BINARY}, {"SizesText", REG_SZ}};
  const size_t kMiB = 1024 * 1024;
  for (const SizeCase& sizeCase : sizeCases) {
    const UniqueRegKey key = OpenTestKey(HKEY_LOCAL_MACHINE, std::string(kDefaultsKey) + "\\" + sizeCase.key, true);
    ASSERT_NE(key.get(), nullptr);
    ASSERT_TRUE(SetValue(key.get(), "a511", sizeCase.type, Pattern(511, sizeCase.type, 1)));
    ASSERT_TRUE(SetValue(key.get(), "b512", sizeCase.type, Pattern(512, sizeCase.type, 2)));
    ASSERT_TRUE(SetValue(key.get(), "c513", sizeCase.type, Pattern(513, sizeCase.type, 3)));
    ASSERT_TRUE(SetValue(key.get(), "d_after", sizeCase.type, Pattern(8, sizeCase.type, 4)));
  }
  {
    // A 1 MiB default the user lacks, between two small ones.
    const UniqueRegKey huge = OpenTestKey(HKEY_LOCAL_MACHINE, std::string(kDefaultsKey) + "\\Huge", true);
    ASSERT_NE(huge.get(), nullptr);
    ASSERT_TRUE(SetValue(huge.get(), "Alpha", REG_BINARY, Pattern(16, REG_BINARY, 5)));
    ASSERT_TRUE(SetValue(huge.get(), "Blob", REG_BINARY, Pattern(kMiB, REG_BINARY, 6)));
    ASSERT_TRUE(SetValue(huge.get(), "Zafter", REG_BINARY, Pattern(16, REG_BINARY, 7)));
  }
  // The user already holds 1 MiB values under the names of defaults, once a
  // 1 MiB default and once a small one: a value beyond 512 bytes is present.
  struct KeptCase {
    const char* key;
    size_t defaultSize;
    DWORD userType;
  };
  const KeptCase keptCases[] = {
      {"KeptHuge", kMiB, REG_BINARY}, {"KeptSmall", 16, REG_BINARY}, {"KeptText", 16, REG_SZ}};
  for (const KeptCase& kept : keptCases) {
    const UniqueRegKey defaults = OpenTestKey(HKEY_LOCAL_MACHINE, std::string(kDefaultsKey) + "\\" + kept.key, true);
    const UniqueRegKey user = OpenTestKey(HKEY_CURRENT_USER, std::string(kUserKey) + "\\" + kept.key, true);
    ASSERT_NE(defaults.get(), nullptr);
    ASSERT_NE(user.get(), nullptr);
    ASSERT_TRUE(SetValue(defaults.get(), "Blob", REG_BINARY, Pattern(kept.defaultSize, REG_BINARY, 8)));
    ASSERT_TRUE(SetValue(user.get(), "Blob", kept.userType, Pattern(kMiB, kept.userType, 9)));
  }

  InstallFolder install("hostile-value-sizes", {0});
  ExpectSurvived(install.Run("/nologo --pump-ms 0", 120000));

  for (const SizeCase& sizeCase : sizeCases) {
    SCOPED_TRACE(sizeCase.key);
    const std::string userPath = std::string(kUserKey) + "\\" + sizeCase.key;
    DWORD type = 0xdeadbeef;
    std::vector<BYTE> data;
    ASSERT_TRUE(ReadValue(HKEY_CURRENT_USER, userPath, "a511", &type, &data)) << "511 bytes not copied";
    EXPECT_EQ(type, sizeCase.type);
    EXPECT_EQ(data, Pattern(511, sizeCase.type, 1));
    ASSERT_TRUE(ReadValue(HKEY_CURRENT_USER, userPath, "b512", &type, &data)) << "512 bytes not copied";
    EXPECT_EQ(type, sizeCase.type);
    EXPECT_EQ(data, Pattern(512, sizeCase.type, 2));
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, userPath, "c513", &type, &data)) << "513 bytes copied";
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, userPath, "d_after", &type, &data))
        << "a value behind the 513-byte one was copied";
  }
  {
    const std::string userPath = std::string(kUserKey) + "\\Huge";
    DWORD type = 0;
    std::vector<BYTE> data;
    EXPECT_TRUE(ReadValue(HKEY_CURRENT_USER, userPath, "Alpha", &type, &data));
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, userPath, "Blob", &type, &data)) << "1 MiB copied";
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, userPath, "Zafter", &type, &data));
  }
  for (const KeptCase& kept : keptCases) {
    SCOPED_TRACE(kept.key);
    DWORD type = 0xdeadbeef;
    std::vector<BYTE> data;
    ASSERT_TRUE(ReadValue(HKEY_CURRENT_USER, std::string(kUserKey) + "\\" + kept.key, "Blob", &type, &data));
    EXPECT_EQ(type, kept.userType);
    EXPECT_EQ(data.size(), kMiB);
    EXPECT_TRUE(data == Pattern(kMiB, kept.userType, 9)) << "the user's 1 MiB value was changed";
  }
}

// ---- Resource libraries ------------------------------------------------------

TEST_F(HostileInputsE2eTest, AResourceLibraryThatIsNoLibraryFallsBackOnTheOwnModule) {
  std::string genuine;
  {
    HANDLE file = CreateFileA((BuildBinFolder() + "\\OxaRes0.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char head[1024];
    DWORD read = 0;
    ReadFile(file, head, sizeof head, &read, nullptr);
    CloseHandle(file);
    genuine.assign(head, read);
  }
  struct FileCase {
    const char* what;
    bool directory;
    std::string content;
  };
  const FileCase cases[] = {
      {"empty file", false, ""},
      {"text", false, "This is not a library.\r\n"},
      {"just the image signature", false, "MZ"},
      {"the first kilobyte of a genuine library", false, genuine},
      {"a directory of that name", true, ""},
  };
  for (const FileCase& fileCase : cases) {
    SCOPED_TRACE(fileCase.what);
    InstallFolder install("hostile-not-a-library", {});
    const std::string path = install.File("OxaRes0.dll");
    if (fileCase.directory) {
      ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    } else {
      HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      ASSERT_NE(file, INVALID_HANDLE_VALUE);
      DWORD written = 0;
      WriteFile(file, fileCase.content.data(), static_cast<DWORD>(fileCase.content.size()), &written, nullptr);
      CloseHandle(file);
    }
    // No switch forbids the logo: only the missing bitmap keeps it away.
    ProbeResult run = install.Run("/standard --pump-ms 0");
    ExpectSurvived(run);
    EXPECT_TRUE(LoadedResourceLibraryPaths(run).empty()) << run.out;
    EXPECT_EQ(run.report["mode"].number, 0);
    EXPECT_EQ(run.report["edition"].number, 15);
    EXPECT_TRUE(run.report["logoWindow"].IsNull()) << run.out;
    EXPECT_TRUE(run.report["messageBoxes"].items.empty()) << run.out;
    EXPECT_TRUE(run.report["modeDialog"].IsNull());
  }
}

TEST_F(HostileInputsE2eTest, IdentifiersOfMissingStringsLeaveTheKeyAsTheTitle) {
  // The fake library's GetResourceID answers whatever FAKE_RESOURCE_ID says,
  // for every key. A string that does not load leaves the key text in place.
  struct IdCase {
    const char* identifier;
    const char* title;
  };
  const IdCase cases[] = {
      {"1", "A title no key leads to"},  // the one string it holds: the fake works
      {"2", "PROGRAM_TITLE"},            // its table block exists, the entry is empty
      {"32512", "PROGRAM_TITLE"},        // no such block
      {"65535", "PROGRAM_TITLE"},
      {"65536", "PROGRAM_TITLE"},        // only the low 16 bits name a string: entry 0
      {"-1", "PROGRAM_TITLE"},
      {"-2147483648", "PROGRAM_TITLE"},
  };
  InstallFolder install("hostile-missing-strings", {});
  ASSERT_TRUE(CopyFileA(FakeResourceLibrary("fake_missing_strings").c_str(), install.File("OxaRes0.dll").c_str(),
                        FALSE));
  for (const IdCase& idCase : cases) {
    SCOPED_TRACE(std::string("GetResourceID answers ") + idCase.identifier);
    SetEnvironmentVariableA("FAKE_RESOURCE_ID", idCase.identifier);
    ProbeResult run = install.Run("/standard --pump-ms 0");
    ExpectSurvived(run);
    ASSERT_EQ(LoadedResourceLibraryPaths(run).size(), 1u) << run.out;
    const JsonValue& logo = run.report["logoWindow"];
    ASSERT_FALSE(logo.IsNull()) << "no logo window: " << run.out;
    EXPECT_EQ(logo["text"].text, idCase.title);
  }
}

TEST_F(HostileInputsE2eTest, ABitmapCutOffInItsColourTableShowsNoLogo) {
  struct BitmapCase {
    const char* bitmap;
    const char* line;
    bool formsDisabled;
    int mode;
    int edition;
  };
  const BitmapCase cases[] = {
      {"SVGA_LOGO_ZOLT", "/standard", false, 0, 15},
      {"SVGA_LOGO_PELTRA", "/form", false, 1, 15},
      {"SVGA_LOGO_MEREL", "/standard", true, 0, 14},
  };
  InstallFolder install("hostile-truncated-logo", {});
  ASSERT_TRUE(CopyFileA(FakeResourceLibrary("fake_truncated_logo").c_str(), install.File("OxaRes0.dll").c_str(),
                        FALSE));
  for (const BitmapCase& bitmapCase : cases) {
    SCOPED_TRACE(bitmapCase.bitmap);
    ResetProductRegistry();
    if (bitmapCase.formsDisabled) ImportRegFile("disable_forms_on.reg");
    ProbeResult run = install.Run(std::string(bitmapCase.line) + " --pump-ms 0");
    ExpectSurvived(run);
    const std::vector<std::string> libraries = LoadedResourceLibraryPaths(run);
    ASSERT_EQ(libraries.size(), 1u) << run.out;
    EXPECT_TRUE(IsLibraryName(libraries[0], "\\OXARES0.DLL"));
    EXPECT_EQ(run.report["mode"].number, bitmapCase.mode);
    EXPECT_EQ(run.report["edition"].number, bitmapCase.edition);
    EXPECT_TRUE(run.report["logoWindow"].IsNull()) << run.out;
  }
}

}  // namespace
