// The copy of new-user defaults against Wine's real registry, prepared from a
// .reg file as an administrator would deploy it.
#include <gtest/gtest.h>

#include "probe_session.h"

namespace {

const char kUserHelmex[] = "Software\\Vornek\\Tarvex4\\Helmex";

class SettingsE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProductRegistry();
    ImportRegFile("new_user_defaults.reg");
  }
  void TearDown() override { ResetProductRegistry(); }
};

TEST_F(SettingsE2eTest, FirstStartCopiesTheWholeDefaultsTree) {
  ASSERT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Vornek"));
  InstallFolder install("defaults-first-start", {0});
  ProbeResult run = install.Run("/nologo");
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;

  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, "Software\\Vornek", ""), "Tarvex 4.0 defaults");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kUserHelmex, "InterfaceLanguage"), "0");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kUserHelmex, "StartPage"), "Welcome");
  EXPECT_EQ(ReadRegistryDword(HKEY_CURRENT_USER, kUserHelmex, "RecentFileCount"), 8u);
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, "Software\\Vornek\\Tarvex4\\Helmex\\Toolbars", "Standard"),
            "visible");
  EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Vornek\\Tarvex4\\Plugins"));
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, "Software\\Vornek\\Brindo4\\Helmex", "FormsFolder"),
            "%USERPROFILE%\\Forms");
}

TEST_F(SettingsE2eTest, UserStringsSurviveLaterStartsAndNewDefaultsArrive) {
  InstallFolder install("defaults-later-start", {0});
  ASSERT_EQ(install.Run("/nologo").exitCode, 0u);
  // The user changes a setting; the administrator adds a default.
  WriteRegistryString(HKEY_CURRENT_USER, kUserHelmex, "StartPage", "Projects");
  WriteRegistryString(HKEY_CURRENT_USER, kUserHelmex, "InterfaceLanguage", "");
  WriteRegistryString(HKEY_LOCAL_MACHINE, "Software\\Pellix\\Tarvex\\4.0\\New User Defaults\\Tarvex4\\Helmex",
                      "Theme", "Classic");

  ProbeResult run = install.Run("/nologo");
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kUserHelmex, "StartPage"), "Projects");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kUserHelmex, "InterfaceLanguage"), "");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kUserHelmex, "Theme"), "Classic");
}

TEST_F(SettingsE2eTest, WithoutDefaultsTheUserKeyIsStillCreated) {
  ResetProductRegistry();
  InstallFolder install("defaults-none", {0});
  ASSERT_EQ(install.Run("/nologo").exitCode, 0u);
  EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Vornek"));
  EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Vornek\\Tarvex4"));
}

}  // namespace
