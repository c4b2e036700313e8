// On 64-bit Windows HKLM\SOFTWARE has two views: the 32-bit library reads its
// own (WOW6432Node), the 64-bit one the other. Each build reads only the view
// of its own bitness, so machine-wide settings deployed into the other view
// do not reach it.
#include <gtest/gtest.h>

#include "probe_session.h"

namespace {

const char kProductKey[] = "Software\\Pellix\\Tarvex\\4.0";
const char kDefaultsLanguageKey[] = "Software\\Pellix\\Tarvex\\4.0\\New User Defaults\\Tarvex4\\Helmex";
const char kUserKey[] = "Software\\Vornek\\Tarvex4\\Helmex";

class RegistryViewE2eTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProductRegistry(); }
  void TearDown() override { ResetProductRegistry(); }
};

TEST_F(RegistryViewE2eTest, SettingsInTheOtherViewAreNotSeen) {
  InstallFolder install("registry-view", {0});
  struct ViewCase {
    const char* what;
    REGSAM view;  // 0: this build's own
    int edition;
    const char* copiedLanguage;
  };
  const ViewCase cases[] = {
      {"the other view", OtherViewAccess(), 15, "<missing>"},
      {"the build's own view", 0, 14, "2"},
  };
  for (const ViewCase& c : cases) {
    SCOPED_TRACE(c.what);
    ResetProductRegistry();
    WriteRegistryString(HKEY_LOCAL_MACHINE, kProductKey, "DisableForms", "1", c.view);
    WriteRegistryString(HKEY_LOCAL_MACHINE, kDefaultsLanguageKey, "InterfaceLanguage", "2", c.view);
    ProbeResult run = install.Run("/nologo");
    ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
    EXPECT_EQ(run.report["edition"].number, c.edition) << run.out;
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kUserKey, "InterfaceLanguage"), c.copiedLanguage);
  }
}

}  // namespace
