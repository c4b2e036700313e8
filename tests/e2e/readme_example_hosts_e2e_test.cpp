// The README's example hosts, compiled from the README by the docs tests
// (build/readme-example), run unattended as a host developer would run them.
#include <gtest/gtest.h>

#include "probe_session.h"

namespace {

std::string ExampleHost(const std::string& name) { return BuildBinFolder() + "\\..\\readme-example\\" + name; }

class ReadmeExampleHostE2eTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProductRegistry(); }
  void TearDown() override { ResetProductRegistry(); }

  // An install folder with the host, the library and the English resources.
  static InstallFolder Install(const std::string& folder, const std::string& host) {
    InstallFolder install(folder, {0});
    EXPECT_TRUE(CopyFileA(ExampleHost(host).c_str(), install.File(host).c_str(), FALSE)) << host;
    return install;
  }
};

TEST_F(ReadmeExampleHostE2eTest, ConsoleHostReportsAndLeavesItsExitCommand) {
  InstallFolder install = Install("readme-console-host", "host.exe");
  struct Run {
    const char* switches;
    bool withLibrary;
    DWORD exitCode;
    const char* output;
  } runs[] = {
      {"/nologo", true, 0, "mode 0, edition 15, settings under Software\\Vornek\\Tarvex4, resources OxaRes<N>.dll\n"},
      {"/form", true, 0,
       "mode 1, edition 15, settings under Software\\Vornek\\Brindo4, resources OxaRes<N>.dll\nlogo closed\n"},
      // The library not beside the host: one line says so and why.
      {"/nologo", false, 1,
       "TarvexLogo.dll could not be loaded (error 126): it and OxaRes0.dll go beside host.exe\n"},
  };
  for (const Run& run : runs) {
    SCOPED_TRACE(run.output);
    if (!run.withLibrary) {
      ASSERT_TRUE(DeleteFileA(install.File("TarvexLogo.dll").c_str()));
    }
    const std::string marker = install.File("host-ended.txt");
    DeleteFileA(marker.c_str());
    ProbeResult result = RunProcess("\"" + install.File("host.exe") + "\" " + run.switches, 60000, install.Path());
    ASSERT_FALSE(result.timedOut) << run.switches;
    EXPECT_EQ(result.exitCode, run.exitCode) << run.switches << result.err;
    std::string output = result.out;
    for (size_t at = output.find('\r'); at != std::string::npos; at = output.find('\r')) output.erase(at, 1);
    EXPECT_EQ(output, run.output) << run.switches;
    if (run.withLibrary) {
      EXPECT_TRUE(WaitForFile(marker, 20000)) << run.switches << ": the exit command did not run";
    }
  }
}

struct CloseWatch {
  bool logoGone = false;
  bool closed = false;
};

// Closes the example's main window once it is up, noting whether the logo
// was gone by then.
DWORD WINAPI CloseMainWindow(LPVOID param) {
  auto* watch = static_cast<CloseWatch*>(param);
  for (int tries = 0; tries < 600; ++tries) {
    HWND main = FindWindowA("ExampleHostMainWindow", "Example host");
    if (main != nullptr && IsWindowVisible(main)) {
      watch->logoGone = FindWindowA("TarvexLogoWndClass", nullptr) == nullptr;
      watch->closed = PostMessageA(main, WM_CLOSE, 0, 0) != FALSE;
      return 0;
    }
    Sleep(50);
  }
  return 0;
}

TEST_F(ReadmeExampleHostE2eTest, WindowHostClosesTheLogoOnceItsMainWindowIsUp) {
  InstallFolder install = Install("readme-window-host", "window-host.exe");
  CloseWatch watch;
  HANDLE closer = CreateThread(nullptr, 0, CloseMainWindow, &watch, 0, nullptr);
  ProbeResult result = RunProcess("\"" + install.File("window-host.exe") + "\" /standard", 60000, install.Path());
  WaitForSingleObject(closer, 40000);
  CloseHandle(closer);
  ASSERT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0u);
  EXPECT_TRUE(watch.closed) << "the main window never came up";
  EXPECT_TRUE(watch.logoGone) << "the logo was still up beside the main window";
}

}  // namespace
