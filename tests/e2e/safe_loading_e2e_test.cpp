// The resource library is loaded by its full path beside the host executable
// and never found along the DLL search path, under Wine. Decoys, genuine
// libraries with another title, lie in the probe's current directory, in the
// start-up library's own folder (apart from the host's) and in a folder on
// PATH, and one may already be loaded into the host under the same name; none
// of them may be used, whether or not the genuine one is there.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "probe_session.h"

namespace {

const char kDecoyTitle[] = "Decoy resource library";

// The title of the English resource library.
std::string EnglishTitle() {
  HMODULE resources = LoadLibraryExA((BuildBinFolder() + "\\OxaRes0.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!resources) return "";
  char title[512] = "";
  // The English library keeps its title under identifier 1.
  LoadStringA(resources, 1, title, sizeof title);
  FreeLibrary(resources);
  return title;
}

// PATH with one more folder at its head, for as long as the object lives.
class PathWithFolder {
 public:
  explicit PathWithFolder(const std::string& folder) {
    char old[32767] = "";
    DWORD length = GetEnvironmentVariableA("PATH", old, sizeof old);
    hadPath_ = length > 0 && length < sizeof old;
    oldPath_ = hadPath_ ? old : "";
    SetEnvironmentVariableA("PATH", (folder + (hadPath_ ? ";" + oldPath_ : std::string())).c_str());
  }
  ~PathWithFolder() { SetEnvironmentVariableA("PATH", hadPath_ ? oldPath_.c_str() : nullptr); }
  PathWithFolder(const PathWithFolder&) = delete;
  PathWithFolder& operator=(const PathWithFolder&) = delete;

 private:
  bool hadPath_ = false;
  std::string oldPath_;
};

class HostileSafeLoadingE2eTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProductRegistry(); }
  void TearDown() override { ResetProductRegistry(); }

  // Places a decoy OxaRes0.dll in `folder`.
  static void PlantDecoy(const InstallFolder& folder) {
    ASSERT_TRUE(CopyFileA(FakeResourceLibrary("fake_decoy").c_str(), folder.File("OxaRes0.dll").c_str(), FALSE));
  }

  // Runs the host from `host` in the decoy-laden current directory, with the
  // start-up library taken from its own decoy-laden folder, a decoy folder
  // first on PATH, and with `preloadDecoy` one more decoy loaded by the host
  // before the start-up library: a search by name would settle on that one.
  static ProbeResult RunAmongDecoys(const InstallFolder& host, bool preloadDecoy) {
    InstallFolder library("safe-library", {});
    InstallFolder current("safe-current", {});
    InstallFolder onPath("safe-path", {});
    InstallFolder preloaded("safe-preloaded", {});
    PlantDecoy(library);
    PlantDecoy(current);
    PlantDecoy(onPath);
    PlantDecoy(preloaded);
    PathWithFolder path(onPath.Path());
    std::string arguments = "--library \"" + library.File("TarvexLogo.dll") + "\" /standard --pump-ms 0";
    if (preloadDecoy) arguments += " --preload \"" + preloaded.File("OxaRes0.dll") + "\"";
    ProbeResult run = host.RunIn(current.Path(), arguments);
    EXPECT_FALSE(run.timedOut) << run.err;
    EXPECT_EQ(run.exitCode, 0u) << run.out << run.err;
    EXPECT_TRUE(run.report["loaded"].boolean) << run.out;
    if (preloadDecoy) {
      EXPECT_TRUE(run.report["preloaded"][0].boolean) << run.out;
    }
    // The start-up library itself came from its own folder, not the host's.
    bool ownFolder = false;
    for (const JsonValue& module : run.report["modules"].items) {
      ownFolder = ownFolder || ComparablePath(module.text) == ComparablePath(library.File("TarvexLogo.dll"));
    }
    EXPECT_TRUE(ownFolder) << run.out;
    return run;
  }
};

TEST_F(HostileSafeLoadingE2eTest, TheDecoyIsALibraryThatWouldShowIfLoaded) {
  // Beside the host it is the one loaded, and the logo carries its title:
  // the tests below would see it if it were loaded from anywhere else.
  InstallFolder host("safe-decoy-beside-host", {});
  PlantDecoy(host);
  ProbeResult run = host.Run("/standard --pump-ms 0");
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  const std::vector<std::string> libraries = LoadedResourceLibraryPaths(run);
  ASSERT_EQ(libraries.size(), 1u) << run.out;
  EXPECT_EQ(ComparablePath(libraries[0]), ComparablePath(host.File("OxaRes0.dll")));
  ASSERT_FALSE(run.report["logoWindow"].IsNull()) << run.out;
  EXPECT_EQ(run.report["logoWindow"]["text"].text, kDecoyTitle);
}

TEST_F(HostileSafeLoadingE2eTest, OnlyTheLibraryBesideTheHostIsLoaded) {
  InstallFolder host("safe-host", {0});
  for (bool preloadDecoy : {false, true}) {
    SCOPED_TRACE(preloadDecoy ? "a decoy of that name already loaded" : "decoys on disk only");
    ProbeResult run = RunAmongDecoys(host, preloadDecoy);
    bool genuineLoaded = false;
    for (const std::string& path : LoadedResourceLibraryPaths(run)) {
      genuineLoaded = genuineLoaded || ComparablePath(path) == ComparablePath(host.File("OxaRes0.dll"));
    }
    EXPECT_TRUE(genuineLoaded) << run.out;
    // The title tells which library the start-up library took its texts from.
    ASSERT_FALSE(run.report["logoWindow"].IsNull()) << run.out;
    EXPECT_EQ(run.report["logoWindow"]["text"].text, EnglishTitle()) << "a decoy was used";
    if (!preloadDecoy) {
      EXPECT_EQ(LoadedResourceLibraryPaths(run).size(), 1u) << "a decoy was loaded: " << run.out;
    }
  }
}

TEST_F(HostileSafeLoadingE2eTest, WithoutTheLibraryBesideTheHostNoDecoyStandsIn) {
  InstallFolder host("safe-host-bare", {});
  for (bool preloadDecoy : {false, true}) {
    SCOPED_TRACE(preloadDecoy ? "a decoy of that name already loaded" : "decoys on disk only");
    ProbeResult run = RunAmongDecoys(host, preloadDecoy);
    // Only the host's own preloaded decoy may be in the process.
    EXPECT_EQ(LoadedResourceLibraryPaths(run).size(), preloadDecoy ? 1u : 0u) << "a decoy was loaded: " << run.out;
    // The library's own module serves: it holds no bitmap, so no logo.
    EXPECT_TRUE(run.report["logoWindow"].IsNull()) << "a decoy was used: " << run.out;
    EXPECT_EQ(run.report["mode"].number, 0);
    EXPECT_EQ(run.report["edition"].number, 15);
  }
}

}  // namespace
