#include <winsim/control.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "language/resource_path.h"
#include "language_test_support.h"
#include "startup_fixture.h"

namespace {

using namespace language_test;

constexpr char kGuard = 0x5A;

// A path buffer of the library's size with guard bytes behind it.
struct GuardedPath {
  char bytes[kTextSize + 16];
  GuardedPath() { std::memset(bytes, kGuard, sizeof bytes); }
  bool GuardIntact() const {
    for (size_t i = kTextSize; i < sizeof bytes; ++i) {
      if (bytes[i] != kGuard) return false;
    }
    return true;
  }
};

// ---- the file name rule

struct PathCase {
  const char* host;
  UINT codePage;
  int language;
  const char* expected;
};

class ResourceLibraryPathTest : public StartupTest {};

TEST_F(ResourceLibraryPathTest, BuildsTheNameBesideTheHostExecutable) {
  const PathCase cases[] = {
      {"C:\\Apps\\Scan\\host.exe", 1252, 7, "C:\\Apps\\Scan\\OxaRes7.dll"},
      {"C:\\Apps\\Scan\\host.exe", 1252, 0, "C:\\Apps\\Scan\\OxaRes0.dll"},
      {"C:\\Apps\\Scan\\host.exe", 1252, -2, "C:\\Apps\\Scan\\OxaRes-2.dll"},
      {"C:\\Apps\\Scan\\host.exe", 1252, INT_MIN, "C:\\Apps\\Scan\\OxaRes-2147483648.dll"},
      {"C:\\host.exe", 1252, 1, "C:\\OxaRes1.dll"},
      {"C:host.exe", 1252, 1, "C:OxaRes1.dll"},
      {"\\Apps\\host.exe", 1252, 0, "\\Apps\\OxaRes0.dll"},
      {"\\\\server\\share\\host.exe", 1252, 0, "\\\\server\\share\\OxaRes0.dll"},
      {"host.exe", 1252, 0, "OxaRes0.dll"},
      {"C:/Apps/Scan/host.exe", 1252, 2, "C:/Apps/Scan/OxaRes2.dll"},
      {"C:\\Apps/Scan\\host.exe", 1252, 2, "C:\\Apps/Scan\\OxaRes2.dll"},
      {"D:\\Apps\\host.dir\\host", 1252, 0, "D:\\Apps\\host.dir\\OxaRes0.dll"},
      // A double-byte character whose second byte is a backslash is no separator...
      {"C:\\Apps\\\x95\\.exe", 932, 0, "C:\\Apps\\OxaRes0.dll"},
      {"C:\\Apps\\\x81\\x.exe", 936, 0, "C:\\Apps\\OxaRes0.dll"},
      {"C:\\\x95\\dir\\host.exe", 932, 0, "C:\\\x95\\dir\\OxaRes0.dll"},
      // ...but in a single-byte code page the same byte is one.
      {"C:\\Apps\\\x95\\.exe", 1252, 0, "C:\\Apps\\\x95\\OxaRes0.dll"},
      // A lead byte as the last character ends the scan.
      {"C:\\Apps\\host\x95", 932, 0, "C:\\Apps\\OxaRes0.dll"},
  };
  for (const PathCase& c : cases) {
    winsim::SetHostExecutablePath(c.host);
    winsim::SetAnsiCodePage(c.codePage);
    GuardedPath path;
    startup.ResourceLibraryPath(path.bytes, c.language);
    EXPECT_STREQ(path.bytes, c.expected) << "host \"" << c.host << "\" code page " << c.codePage;
    EXPECT_TRUE(path.GuardIntact());
  }
}

TEST_F(ResourceLibraryPathTest, HostNameUpToTheLimitIsUsedWhole) {
  std::string directory = "C:\\" + std::string(247, 'd');
  std::string host = directory + "\\host.exe";
  ASSERT_EQ(host.size(), 259u);
  winsim::SetHostExecutablePath(host);
  GuardedPath path;
  startup.ResourceLibraryPath(path.bytes, 0);
  EXPECT_EQ(std::string(path.bytes), directory + "\\OxaRes0.dll");
}

// A cut host name would place the library in a directory it is not in.
TEST_F(ResourceLibraryPathTest, HostNameBeyondTheLimitGivesNoPath) {
  for (size_t length : {260u, 261u, 400u}) {
    std::string host = "C:\\" + std::string(length - 12, 'd') + "\\host.exe";
    ASSERT_EQ(host.size(), length);
    winsim::SetHostExecutablePath(host);
    GuardedPath path;
    startup.ResourceLibraryPath(path.bytes, 0);
    EXPECT_STREQ(path.bytes, "") << "host name of " << length << " characters";
    EXPECT_TRUE(path.GuardIntact());
  }
}

TEST_F(ResourceLibraryPathTest, FailedHostNameGivesNoPathAndTheOwnModule) {
  winsim::AddModuleFile(kEnglishLibrary, ResourceLibraryImage("Title EN", "Clock EN"));
  winsim::InjectFailure("GetModuleFileNameA", 0, -1);
  GuardedPath path;
  startup.ResourceLibraryPath(path.bytes, 0);
  EXPECT_STREQ(path.bytes, "");
  EXPECT_EQ(startup.ResourceLibraryExists(0), 0);
  EXPECT_EQ(winsim::CallCount("FindFirstFileA"), 0);

  startup.module = ownModule;
  startup.LoadResourceLibrary();
  EXPECT_EQ(winsim::CallCount("LoadLibraryA"), 0);
  EXPECT_EQ(startup.resourceModule, ownModule);
  EXPECT_STREQ(startup.title, "PROGRAM_TITLE");
}

class LongBaseNameStartup : public ProductStartup {
 public:
  const char* ResourceBaseName() override { return name.c_str(); }
  std::string name;
};

// A name that does not fit is not cut: without its ".dll" the loader would
// look for another file.
TEST(ResourceLibraryPathJoin, NameThatDoesNotFitGivesNoPath) {
  FreshMachine machine;
  LongBaseNameStartup startup;
  winsim::SetHostExecutablePath("C:\\Apps\\host.exe");
  const std::string fixed = "C:\\Apps\\" + std::string("0.dll");
  for (size_t baseLength : {511 - fixed.size(), 512 - fixed.size(), size_t{600}}) {
    startup.name = std::string(baseLength, 'n');
    GuardedPath path;
    startup.ResourceLibraryPath(path.bytes, 0);
    if (fixed.size() + baseLength <= 511) {
      EXPECT_EQ(std::strlen(path.bytes), 511u);
    } else {
      EXPECT_STREQ(path.bytes, "") << "base name of " << baseLength << " characters";
    }
    EXPECT_TRUE(path.GuardIntact());
  }
}

TEST(SplitDriveAndDirectory, StopsAtTheTerminatorAfterALeadByte) {
  winsim::Reset();
  // Bytes behind the terminator must not be scanned.
  const char name[] = "C:\\A\\b\x95\0\\zz\\";
  char drive[kTextSize];
  char directory[kTextSize];
  SplitDriveAndDirectory(name, 932, drive, directory);
  EXPECT_STREQ(drive, "C:");
  EXPECT_STREQ(directory, "\\A\\");
}

TEST(JoinLibraryPath, LeavesThePathUntouchedWhenItDoesNotFit) {
  char path[kTextSize] = "previous";
  std::string directory(kTextSize, 'd');
  EXPECT_EQ(JoinLibraryPath(path, "C:", directory.c_str(), "OxaRes", "0"), 0);
  EXPECT_STREQ(path, "previous");
  EXPECT_EQ(JoinLibraryPath(path, "", "dir", "OxaRes", "0"), 1);
  EXPECT_STREQ(path, "dir\\OxaRes0.dll");
}

// ---- presence of a library file

class ResourceLibraryTest : public StartupTest {
 protected:
  void SetUp() override { startup.module = ownModule; }
};

TEST_F(ResourceLibraryTest, ExistsFindsTheFileWithoutLoadingIt) {
  EXPECT_EQ(startup.ResourceLibraryExists(0), 0);
  winsim::ModuleImage damaged;
  damaged.damaged = true;
  winsim::AddModuleFile(kEnglishLibrary, damaged);
  EXPECT_EQ(startup.ResourceLibraryExists(0), 1) << "a damaged library still counts as present";
  EXPECT_EQ(startup.ResourceLibraryExists(1), 0);
  EXPECT_EQ(winsim::CallCount("LoadLibraryA"), 0);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::FindHandle), 0);
}

// ---- loading, the title and the fallbacks

TEST_F(ResourceLibraryTest, LoadedLibrarySuppliesTitleAndMessagesUntilFreed) {
  winsim::AddModuleFile(LibraryPathFor(2), ResourceLibraryImage("Titel DE", "Uhr DE"));
  startup.language = 2;
  startup.LoadResourceLibrary();
  EXPECT_STREQ(startup.title, "Titel DE");
  EXPECT_NE(startup.resourceModule, nullptr);
  EXPECT_NE(startup.resourceModule, ownModule);
  EXPECT_NE(startup.resourceIdLookup, nullptr);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Module), 1);

  startup.ShowMessageByKey("MSG_BAD_TIME", MB_ICONHAND);
  ASSERT_EQ(winsim::MessageBoxes().size(), 1u);
  EXPECT_EQ(winsim::MessageBoxes()[0].text, "Uhr DE");
  EXPECT_EQ(winsim::MessageBoxes()[0].caption, "Titel DE");

  startup.FreeResourceLibrary();
  EXPECT_EQ(startup.resourceModule, nullptr);
  EXPECT_EQ(startup.resourceIdLookup, nullptr) << "no pointer into a freed library is kept";
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::Module), 0);
  startup.FreeResourceLibrary();
  EXPECT_EQ(winsim::CallCount("FreeLibrary"), 1) << "a second free does nothing";
}

TEST_F(ResourceLibraryTest, SecondLoadReleasesTheFirstLibrary) {
  winsim::AddModuleFile(LibraryPathFor(0), ResourceLibraryImage("Title EN", "Clock EN"));
  winsim::AddModuleFile(LibraryPathFor(2), ResourceLibraryImage("Titel DE", "Uhr DE"));
  startup.LoadResourceLibrary();
  startup.language = 2;
  startup.LoadResourceLibrary();
  EXPECT_STREQ(startup.title, "Titel DE");
  EXPECT_EQ(winsim::LoadedLibraryPaths(), std::vector<std::string>{LibraryPathFor(2)});
}

TEST_F(ResourceLibraryTest, LibraryIsTakenFromBesideTheHostNotTheStartUpLibrary) {
  winsim::SetHostExecutablePath("D:\\Scan\\host.exe");
  winsim::AddModuleFile("C:\\Program Files\\Tarvex\\OxaRes0.dll", ResourceLibraryImage("beside library", "x"));
  winsim::AddModuleFile("D:\\Scan\\OxaRes0.dll", ResourceLibraryImage("beside host", "x"));
  startup.LoadResourceLibrary();
  EXPECT_STREQ(startup.title, "beside host");
}

// The loader takes either slash, so a host named with forward slashes finds
// its library all the same.
TEST_F(ResourceLibraryTest, ForwardSlashesReachTheSameFile) {
  winsim::SetHostExecutablePath("C:/Apps/Scan/host.exe");
  winsim::AddModuleFile("C:\\Apps\\Scan\\OxaRes0.dll", ResourceLibraryImage("Title EN", "Clock EN"));
  EXPECT_EQ(startup.ResourceLibraryExists(0), 1);
  startup.LoadResourceLibrary();
  EXPECT_STREQ(startup.title, "Title EN");
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
  startup.LoadResourceLibrary();
  EXPECT_STREQ(startup.title, "PROGRAM_TITLE");
  if (c.ownModuleServes) {
    EXPECT_EQ(startup.resourceModule, ownModule);
    EXPECT_EQ(startup.resourceIdLookup, nullptr);
    EXPECT_EQ(startup.LoadResourceBitmap("SVGA_LOGO_PELTRA"), nullptr);
  } else {
    EXPECT_NE(startup.resourceModule, nullptr);
    EXPECT_NE(startup.resourceModule, ownModule) << "the library still serves bitmaps and the dialog";
  }
  startup.ShowMessageByKey("MSG_BAD_TIME", MB_ICONHAND);
  ASSERT_EQ(winsim::MessageBoxes().size(), 1u);
  EXPECT_EQ(winsim::MessageBoxes()[0].text, "MSG_BAD_TIME");
  EXPECT_EQ(winsim::MessageBoxes()[0].caption, "PROGRAM_TITLE");
  EXPECT_EQ(winsim::MessageBoxes()[0].style, static_cast<UINT>(MB_ICONHAND));

  startup.FreeResourceLibrary();
  if (c.ownModuleServes) {
    EXPECT_EQ(winsim::CallCount("FreeLibrary"), 0) << "the own module is never freed";
    EXPECT_EQ(startup.resourceModule, ownModule);
  } else {
    EXPECT_EQ(startup.resourceModule, nullptr);
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
  winsim::AddModuleFile(kEnglishLibrary, ResourceLibraryImage("Title EN", "Clock EN"));
  startup.LoadResourceLibrary();
  for (ResourceIdLookup lookup : {HugeId, NegativeId, MissingId}) {
    startup.resourceIdLookup = lookup;
    GuardedPath buffer;
    startup.LookUpString(buffer.bytes, "MSG_BAD_TIME");
    EXPECT_STREQ(buffer.bytes, "MSG_BAD_TIME");
    EXPECT_TRUE(buffer.GuardIntact());
  }
}

TEST_F(ResourceLibraryTest, LongStringIsCutTo511Characters) {
  winsim::AddModuleFile(kEnglishLibrary, ResourceLibraryImage(std::string(700, 't'), "Clock EN"));
  startup.LoadResourceLibrary();
  EXPECT_EQ(std::string(startup.title), std::string(511, 't'));
  GuardedPath buffer;
  startup.LookUpString(buffer.bytes, "PROGRAM_TITLE");
  EXPECT_EQ(std::strlen(buffer.bytes), 511u);
  EXPECT_TRUE(buffer.GuardIntact());
}

TEST_F(ResourceLibraryTest, LookupBeforeAnyLoadGivesTheKey) {
  char buffer[kTextSize];
  startup.LookUpString(buffer, "PROGRAM_TITLE");
  EXPECT_STREQ(buffer, "PROGRAM_TITLE");
  EXPECT_EQ(startup.LoadResourceBitmap("SVGA_LOGO_PELTRA"), nullptr);
}

// ---- message boxes

TEST_F(ResourceLibraryTest, MessageBoxHasNoOwnerAndTheTitleAsCaption) {
  winsim::QueueMessageBoxAnswer(IDNO);
  EXPECT_EQ(startup.ShowMessage("Question?", MB_ICONQUESTION | MB_YESNO), IDNO);
  ASSERT_EQ(winsim::MessageBoxes().size(), 1u);
  const winsim::MessageBoxRecord& box = winsim::MessageBoxes()[0];
  EXPECT_EQ(box.owner, nullptr);
  EXPECT_EQ(box.text, "Question?");
  EXPECT_EQ(box.caption, "Tarvex 4.0");
  EXPECT_EQ(box.style, 36u);

  winsim::InjectFailure("MessageBoxA");
  EXPECT_EQ(startup.ShowMessageByKey("MSG_BAD_TIME", MB_ICONHAND), 0);
}

}  // namespace
