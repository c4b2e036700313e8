#include <winsim/control.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "language/resource_library.h"
#include "language/resource_path.h"
#include "language_test_support.h"
#include "startup_fixture.h"
#include "guarded_buffer.h"

namespace {

using namespace language_test;

using GuardedPath = GuardedBuffer<char, kTextSize>;

// A full-name buffer of the library's size with guard units behind it.
struct GuardedWidePath : GuardedBuffer<WCHAR, kLongPathSize> {
  std::string Utf8() const { return winsim::Utf8(data()); }
};

// ---- the file name rule

struct PathCase {
  const char* host;  // UTF-8
  int language;
  const char* expected;  // UTF-8
};

class ResourceLibraryPathTest : public StartupTest {};

TEST_F(ResourceLibraryPathTest, BuildsTheNameBesideTheHostExecutable) {
  const PathCase cases[] = {
      {"C:\\Apps\\Scan\\host.exe", 7, "C:\\Apps\\Scan\\OxaRes7.dll"},
      {"C:\\Apps\\Scan\\host.exe", 0, "C:\\Apps\\Scan\\OxaRes0.dll"},
      {"C:\\Apps\\Scan\\host.exe", -2, "C:\\Apps\\Scan\\OxaRes-2.dll"},
      {"C:\\Apps\\Scan\\host.exe", INT_MIN, "C:\\Apps\\Scan\\OxaRes-2147483648.dll"},
      {"C:\\host.exe", 1, "C:\\OxaRes1.dll"},
      {"C:host.exe", 1, "C:OxaRes1.dll"},
      {"\\Apps\\host.exe", 0, "\\Apps\\OxaRes0.dll"},
      {"\\\\server\\share\\app\\host.exe", 0, "\\\\server\\share\\app\\OxaRes0.dll"},
      {"\\\\?\\C:\\Apps\\host.exe", 0, "\\\\?\\C:\\Apps\\OxaRes0.dll"},
      {"\\\\?\\UNC\\server\\share\\host.exe", 0, "\\\\?\\UNC\\server\\share\\OxaRes0.dll"},
      {"host.exe", 0, "OxaRes0.dll"},
      {"C:/Apps/Scan/host.exe", 2, "C:/Apps/Scan/OxaRes2.dll"},
      {"C:\\Apps/Scan\\host.exe", 2, "C:\\Apps/Scan\\OxaRes2.dll"},
      {"D:\\Apps\\host.dir\\host", 0, "D:\\Apps\\host.dir\\OxaRes0.dll"},
      // Folders named in any script, a character beyond the 16-bit range among them.
      {"C:\\Программы 程序\\Ελληνικά\\host.exe", 0, "C:\\Программы 程序\\Ελληνικά\\OxaRes0.dll"},
      {"C:\\Users\\Zoë\\\xF0\x9F\x93\x81 app\\host.exe", 1, "C:\\Users\\Zoë\\\xF0\x9F\x93\x81 app\\OxaRes1.dll"},
      // A character whose ANSI form has a backslash as its second byte is no separator.
      {"C:\\Apps\\表\\x.exe", 0, "C:\\Apps\\表\\OxaRes0.dll"},
  };
  for (const PathCase& c : cases) {
    winsim::SetHostExecutablePath(c.host);
    GuardedWidePath path;
    ResourceLibraryPath(path.data(), "OxaRes", c.language);
    EXPECT_EQ(path.Utf8(), c.expected) << "host \"" << c.host << "\"";
    EXPECT_TRUE(path.UntouchedFrom());
  }
}

// The ANSI module name spells what the code page lacks as '?', and the
// library beside the host was never found; the wide name finds it.
TEST_F(ResourceLibraryPathTest, HostFolderOutsideTheCodePageFindsItsLibrary) {
  const std::string folder = "C:\\Программы 程序\\";
  winsim::SetAnsiCodePage(1252);
  winsim::SetHostExecutablePath(folder + "host.exe");
  winsim::AddModuleFile(folder + "OxaRes0.dll", ResourceLibraryImage("Title EN", "Clock EN"));

  char ansiName[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, ansiName, MAX_PATH), 0u);
  EXPECT_STREQ(ansiName, "C:\\????????? ??\\host.exe");
  EXPECT_EQ(LoadLibraryA("C:\\????????? ??\\OxaRes0.dll"), nullptr);

  startup.Resources().Attach(ownModule, "OxaRes");
  EXPECT_EQ(startup.Resources().Exists(0), 1);
  startup.Resources().Load(0);
  EXPECT_STREQ(startup.Resources().Title(), "Title EN");
  EXPECT_NE(startup.Resources().Module(), ownModule);
  EXPECT_EQ(winsim::LoadedLibraryPaths(), std::vector<std::string>{folder + "OxaRes0.dll"});
  startup.Resources().Free();
}

// The longest name the system gives is read whole; one unit more is cut by
// the buffer and gives no name at all, never one in another folder.
TEST_F(ResourceLibraryPathTest, HostNameUpToTheLongestIsUsedWhole) {
  const std::string file = "\\long-host-name.exe";
  for (size_t length : {size_t{kLongPathSize} - 1, size_t{kLongPathSize}, size_t{kLongPathSize} + 40}) {
    const std::string directory = "C:\\" + std::string(length - 3 - file.size(), 'd');
    winsim::SetHostExecutablePath(directory + file);
    GuardedWidePath path;
    ResourceLibraryPath(path.data(), "OxaRes", 0);
    if (length < size_t{kLongPathSize}) {
      EXPECT_EQ(path.Utf8(), directory + "\\OxaRes0.dll");
    } else {
      EXPECT_EQ(path.Utf8(), "") << "host name of " << length << " characters";
    }
    EXPECT_TRUE(path.UntouchedFrom());
  }
}

TEST_F(ResourceLibraryPathTest, LibraryNameLongerThanTheLongestGivesNoPath) {
  // The host's name fits, but the library's would pass the system's limit.
  const std::string directory = "C:\\" + std::string(kLongPathSize - 12, 'd');
  winsim::SetHostExecutablePath(directory + "\\h.exe");
  GuardedWidePath path;
  ResourceLibraryPath(path.data(), "OxaRes", 0);
  EXPECT_EQ(path.Utf8(), "");
  EXPECT_TRUE(path.UntouchedFrom());
}

TEST_F(ResourceLibraryPathTest, FailedHostNameGivesNoPathAndTheOwnModule) {
  winsim::AddModuleFile(kEnglishLibrary, ResourceLibraryImage("Title EN", "Clock EN"));
  winsim::InjectFailure("GetModuleFileNameW", 0, -1);
  GuardedWidePath path;
  ResourceLibraryPath(path.data(), "OxaRes", 0);
  EXPECT_EQ(path.Utf8(), "");
  EXPECT_EQ(startup.Resources().Exists(0), 0);
  EXPECT_EQ(winsim::CallCount("FindFirstFileW"), 0);

  startup.Resources().Attach(ownModule, "OxaRes");
  startup.Resources().Load(0);
  EXPECT_EQ(winsim::CallCount("LoadLibraryW"), 0);
  EXPECT_EQ(startup.Resources().Module(), ownModule);
  EXPECT_STREQ(startup.Resources().Title(), "PROGRAM_TITLE");
  ASSERT_FALSE(winsim::DebugOutput().empty());
  EXPECT_EQ(winsim::DebugOutput().back(), "TarvexLogo: no resource library path, own module used\n");
}

// The base name is ANSI text: it is read in the code page of file names.
TEST(ResourceLibraryPathBaseName, IsWidenedInTheAnsiCodePage) {
  FreshMachine machine;
  winsim::SetHostExecutablePath("C:\\Apps\\host.exe");
  const struct {
    UINT codePage;
    const char* expected;
  } cases[] = {{1252, "C:\\Apps\\ÀRes0.dll"}, {1251, "C:\\Apps\\АRes0.dll"}};
  for (const auto& c : cases) {
    winsim::SetAnsiCodePage(c.codePage);
    GuardedWidePath path;
    ResourceLibraryPath(path.data(), "\xC0Res", 0);
    EXPECT_EQ(path.Utf8(), c.expected) << "code page " << c.codePage;
  }
}

// A name that does not fit is not cut: without its ".dll" the loader would
// look for another file.
TEST(ResourceLibraryPathBaseName, NameThatDoesNotFitGivesNoPath) {
  FreshMachine machine;
  winsim::SetHostExecutablePath("C:\\Apps\\host.exe");
  const size_t fixed = std::string("C:\\Apps\\0.dll").size();
  for (size_t baseLength : {kLongPathSize - 1 - fixed, kLongPathSize - fixed, size_t{kLongPathSize} + 5}) {
    const std::string name(baseLength, 'n');
    GuardedWidePath path;
    ResourceLibraryPath(path.data(), name.c_str(), 0);
    if (fixed + baseLength < size_t{kLongPathSize}) {
      EXPECT_EQ(path.Utf8().size(), kLongPathSize - 1u);
    } else {
      EXPECT_EQ(path.Utf8(), "") << "base name of " << baseLength << " characters";
    }
    EXPECT_TRUE(path.UntouchedFrom());
  }
}

TEST(SplitDriveAndDirectory, DriveAndDirectoryOfShortNames) {
  const struct {
    const WCHAR* name;
    size_t drive, directory;
  } cases[] = {
      {nullptr, 0, 0}, {u"", 0, 0},     {u"\\", 0, 1},   {u"/", 0, 1},      {u"a", 0, 0},
      {u"C:", 2, 0},   {u"C:\\", 2, 1}, {u"C:a", 2, 0}, {u"\\a", 0, 1}, {u"a:\\b\\", 2, 3},
  };
  for (const auto& c : cases) {
    size_t drive = 77;
    size_t directory = 77;
    SplitDriveAndDirectory(c.name, &drive, &directory);
    const std::string name = c.name ? winsim::Utf8(c.name) : "(null)";
    EXPECT_EQ(drive, c.drive) << name;
    EXPECT_EQ(directory, c.directory) << name;
  }
}

TEST(SplitDriveAndDirectory, StopsAtTheTerminator) {
  // Units behind the terminator must not be scanned.
  const WCHAR name[] = u"C:\\A\\b\0\\zz\\";
  size_t drive = 77;
  size_t directory = 77;
  SplitDriveAndDirectory(name, &drive, &directory);
  EXPECT_EQ(drive, 2u);
  EXPECT_EQ(directory, 3u);
}

TEST(AppendLibraryName, LeavesThePathUntouchedWhenItDoesNotFit) {
  winsim::Reset();
  WCHAR path[24];
  std::u16string previous = u"C:\\dir\\host.exe";
  std::copy(previous.c_str(), previous.c_str() + previous.size() + 1, path);
  EXPECT_EQ(AppendLibraryName(path, 24, 2, 5, "OxaResOxaRes", "-12", CP_ACP), 0);
  EXPECT_EQ(std::u16string(path), previous);
  EXPECT_EQ(AppendLibraryName(path, 24, 2, 4, "OxaRes", "-12", CP_ACP), 1);
  EXPECT_EQ(std::u16string(path), u"C:\\dir\\OxaRes-12.dll") << "the separator is added";
}

// A base name the platform cannot widen names no file: nothing is written.
// A buffer exactly full takes the name; one unit less does not.
TEST(AppendLibraryName, WritesOnlyAWholeNameThatFits) {
  const struct {
    const char* label;
    size_t pathSize;
    const char* baseName;
    int failingCall;  // of MultiByteToWideChar, or -1
    int result;
    std::u16string path;
  } cases[] = {
      {"size query refused", 32, "OxaRes", 0, 0, u"C:\\dir\\host.exe"},
      {"widening refused", 32, "OxaRes", 1, 0, u"C:\\dir\\host.exe"},
      {"exactly full", 16, "O", -1, 1, u"C:\\dir\\O-12.dll"},
      {"one unit short", 15, "O", -1, 0, u"C:\\dir\\host.exe"},
  };
  for (const auto& c : cases) {
    winsim::Reset();
    WCHAR path[40];
    std::fill(path, path + 40, char16_t(0x5A5A));
    const std::u16string previous = u"C:\\dir\\host.exe";
    std::copy(previous.c_str(), previous.c_str() + previous.size() + 1, path);
    if (c.failingCall >= 0) winsim::InjectFailure("MultiByteToWideChar", c.failingCall, 1, ERROR_INVALID_PARAMETER);
    EXPECT_EQ(AppendLibraryName(path, c.pathSize, 2, 5, c.baseName, "-12", CP_ACP), c.result) << c.label;
    EXPECT_EQ(std::u16string(path), c.path) << c.label;
    // Past the buffer and the name that was there, nothing is written.
    for (size_t i = std::max(c.pathSize, previous.size() + 1); i < 40; ++i) {
      ASSERT_EQ(path[i], char16_t(0x5A5A)) << c.label;
    }
  }
}

// ---- presence of a library file

// The resource library as the start has it: the own module beside it.
class ResourceLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override { library.Attach(ownModule, "OxaRes"); }
  FreshMachine machine;
  HMODULE ownModule = MappedLibrary();
  ResourceLibrary library;
};

TEST_F(ResourceLibraryTest, ExistsFindsTheFileWithoutLoadingIt) {
  EXPECT_EQ(library.Exists(0), 0);
  winsim::ModuleImage damaged;
  damaged.damaged = true;
  winsim::AddModuleFile(kEnglishLibrary, damaged);
  EXPECT_EQ(library.Exists(0), 1) << "a damaged library still counts as present";
  EXPECT_EQ(library.Exists(1), 0);
  EXPECT_EQ(winsim::CallCount("LoadLibraryW"), 0);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::FindHandle), 0);
}

// ---- loading, the title and the fallbacks

TEST_F(ResourceLibraryTest, LoadedLibrarySuppliesTitleAndMessagesUntilFreed) {
  winsim::AddModuleFile(LibraryPathFor(2), ResourceLibraryImage("Titel DE", "Uhr DE"));
  library.Load(2);
  EXPECT_STREQ(library.Title(), "Titel DE");
  EXPECT_NE(library.Module(), nullptr);
  EXPECT_NE(library.Module(), ownModule);
  EXPECT_TRUE(library.HasLookup());
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Module), 1);

  library.ShowMessageByKey("MSG_BAD_TIME", MB_ICONHAND);
  ASSERT_EQ(winsim::MessageBoxes().size(), 1u);
  EXPECT_EQ(winsim::MessageBoxes()[0].text, "Uhr DE");
  EXPECT_EQ(winsim::MessageBoxes()[0].caption, "Titel DE");

  library.Free();
  EXPECT_EQ(library.Module(), nullptr);
  EXPECT_FALSE(library.HasLookup()) << "no pointer into a freed library is kept";
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Module), 0);
  library.Free();
  EXPECT_EQ(winsim::CallCount("FreeLibrary"), 1) << "a second free does nothing";
}

TEST_F(ResourceLibraryTest, SecondLoadReleasesTheFirstLibrary) {
  winsim::AddModuleFile(LibraryPathFor(0), ResourceLibraryImage("Title EN", "Clock EN"));
  winsim::AddModuleFile(LibraryPathFor(2), ResourceLibraryImage("Titel DE", "Uhr DE"));
  library.Load(0);
  library.Load(2);
  EXPECT_STREQ(library.Title(), "Titel DE");
  EXPECT_EQ(winsim::LoadedLibraryPaths(), std::vector<std::string>{LibraryPathFor(2)});
}

// The reload once the mode is settled: only another language changes the library.
TEST_F(ResourceLibraryTest, ReloadSwapsTheLibraryOnlyForAnotherLanguage) {
  winsim::AddModuleFile(LibraryPathFor(0), ResourceLibraryImage("Title EN", "Clock EN"));
  winsim::AddModuleFile(LibraryPathFor(2), ResourceLibraryImage("Titel DE", "Uhr DE"));
  library.Load(0);
  library.Reload(0);
  EXPECT_EQ(winsim::CallCount("LoadLibraryW"), 1);
  EXPECT_EQ(winsim::CallCount("FreeLibrary"), 0);
  library.Reload(2);
  EXPECT_EQ(library.Language(), 2);
  EXPECT_STREQ(library.Title(), "Titel DE");
  EXPECT_EQ(winsim::LoadedLibraryPaths(), std::vector<std::string>{LibraryPathFor(2)});
  library.Free();
}

TEST_F(ResourceLibraryTest, LibraryIsTakenFromBesideTheHostNotTheStartUpLibrary) {
  winsim::SetHostExecutablePath("D:\\Scan\\host.exe");
  winsim::AddModuleFile("C:\\Program Files\\Tarvex\\OxaRes0.dll", ResourceLibraryImage("beside library", "x"));
  winsim::AddModuleFile("D:\\Scan\\OxaRes0.dll", ResourceLibraryImage("beside host", "x"));
  library.Load(0);
  EXPECT_STREQ(library.Title(), "beside host");
}

// The loader takes either slash, so a host named with forward slashes finds
// its library all the same.
TEST_F(ResourceLibraryTest, ForwardSlashesReachTheSameFile) {
  winsim::SetHostExecutablePath("C:/Apps/Scan/host.exe");
  winsim::AddModuleFile("C:\\Apps\\Scan\\OxaRes0.dll", ResourceLibraryImage("Title EN", "Clock EN"));
  EXPECT_EQ(library.Exists(0), 1);
  library.Load(0);
  EXPECT_STREQ(library.Title(), "Title EN");
}

struct FallbackCase {
  const char* name;
  bool present;
  bool damaged;
  bool withExport;
  bool exportKnowsKeys;
  bool ownModuleServes;
};

class ResourceLibraryFallbackTest : public ResourceLibraryTest,
                                    public ::testing::WithParamInterface<FallbackCase> {};

TEST_P(ResourceLibraryFallbackTest, KeysShowAsThemselves) {
  const FallbackCase& c = GetParam();
  if (c.present) {
    winsim::ModuleImage image = ResourceLibraryImage("Title EN", "Clock EN");
    image.damaged = c.damaged;
    if (!c.withExport) image.exports.clear();
    if (c.withExport && !c.exportKnowsKeys) image.exports["GetResourceID"] = AsExport(NoKeysResourceId);
    winsim::AddModuleFile(kEnglishLibrary, image);
  }
  library.Load(0);
  EXPECT_STREQ(library.Title(), "PROGRAM_TITLE");
  if (c.ownModuleServes) {
    EXPECT_EQ(library.Module(), ownModule);
    EXPECT_FALSE(library.HasLookup());
  } else {
    EXPECT_NE(library.Module(), nullptr);
    EXPECT_NE(library.Module(), ownModule) << "the library still serves bitmaps and the dialog";
  }
  library.ShowMessageByKey("MSG_BAD_TIME", MB_ICONHAND);
  ASSERT_EQ(winsim::MessageBoxes().size(), 1u);
  EXPECT_EQ(winsim::MessageBoxes()[0].text, "MSG_BAD_TIME");
  EXPECT_EQ(winsim::MessageBoxes()[0].caption, "PROGRAM_TITLE");
  EXPECT_EQ(winsim::MessageBoxes()[0].style, static_cast<UINT>(MB_ICONHAND));

  library.Free();
  if (c.ownModuleServes) {
    EXPECT_EQ(winsim::CallCount("FreeLibrary"), 0) << "the own module is never freed";
    EXPECT_EQ(library.Module(), ownModule);
  } else {
    EXPECT_EQ(library.Module(), nullptr);
  }
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Module), 0);
}

INSTANTIATE_TEST_SUITE_P(Libraries, ResourceLibraryFallbackTest,
                         ::testing::Values(FallbackCase{"MissingLibrary", false, false, false, false, true},
                                           FallbackCase{"DamagedLibrary", true, true, true, true, true},
                                           FallbackCase{"NoExport", true, false, false, false, false},
                                           FallbackCase{"ExportAnswersZero", true, false, true, false, false}),
                         [](const ::testing::TestParamInfo<FallbackCase>& info) { return info.param.name; });

// ---- string lookup

int __cdecl HugeId(const char*) { return INT_MAX; }
int __cdecl NegativeId(const char*) { return -1; }
int __cdecl MissingId(const char*) { return 999; }

TEST_F(ResourceLibraryTest, IdentifiersWithoutAStringKeepTheKey) {
  int language = 0;
  for (ResourceIdLookup lookup : {HugeId, NegativeId, MissingId}) {
    winsim::ModuleImage image = ResourceLibraryImage("Title EN", "Clock EN");
    image.exports["GetResourceID"] = AsExport(lookup);
    winsim::AddModuleFile(LibraryPathFor(++language), image);
    library.Load(language);
    EXPECT_STREQ(library.Title(), "PROGRAM_TITLE");
    GuardedPath buffer;
    library.LookUpString(buffer.data(), "MSG_BAD_TIME");
    EXPECT_STREQ(buffer.data(), "MSG_BAD_TIME");
    EXPECT_TRUE(buffer.UntouchedFrom());
  }
}

TEST_F(ResourceLibraryTest, LongStringIsCutTo511Characters) {
  winsim::AddModuleFile(kEnglishLibrary, ResourceLibraryImage(std::string(700, 't'), "Clock EN"));
  library.Load(0);
  EXPECT_EQ(std::string(library.Title()), std::string(511, 't'));
  GuardedPath buffer;
  library.LookUpString(buffer.data(), "PROGRAM_TITLE");
  EXPECT_EQ(std::strlen(buffer.data()), 511u);
  EXPECT_TRUE(buffer.UntouchedFrom());
}

TEST_F(ResourceLibraryTest, LookupBeforeAnyLoadGivesTheKey) {
  char buffer[kTextSize];
  library.LookUpString(buffer, "PROGRAM_TITLE");
  EXPECT_STREQ(buffer, "PROGRAM_TITLE");
}

// ---- message boxes

TEST_F(ResourceLibraryTest, MessageBoxHasNoOwnerAndTheTitleAsCaption) {
  winsim::QueueMessageBoxAnswer(IDNO);
  EXPECT_EQ(library.ShowMessage("Question?", MB_ICONQUESTION | MB_YESNO), IDNO);
  ASSERT_EQ(winsim::MessageBoxes().size(), 1u);
  const winsim::MessageBoxRecord& box = winsim::MessageBoxes()[0];
  EXPECT_EQ(box.owner, nullptr);
  EXPECT_EQ(box.text, "Question?");
  EXPECT_EQ(box.caption, "Tarvex 4.0");
  EXPECT_EQ(box.style, 36u);

  winsim::InjectFailure("MessageBoxA");
  EXPECT_EQ(library.ShowMessageByKey("MSG_BAD_TIME", MB_ICONHAND), 0);
}

}  // namespace
