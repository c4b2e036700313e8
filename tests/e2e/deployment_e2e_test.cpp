// The administrators' .reg templates in deploy/, imported as the README says:
// with reg import into the registry view of the build's bitness.
#include <gtest/gtest.h>

#include "probe_session.h"

namespace {

class DeploymentE2eTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProductRegistry(); }
  void TearDown() override { ResetProductRegistry(); }
};

TEST_F(DeploymentE2eTest, TemplatesSettleTheEditionAndTheNewUsersLanguage) {
  ImportRegFile("deploy\\new-user-defaults.reg");
  ImportRegFile("deploy\\disable-forms-on.reg");
  InstallFolder install("deploy-templates", {0});
  ProbeResult disabled = install.Run("--close-logo");
  ASSERT_EQ(disabled.exitCode, 0u) << disabled.out << disabled.err;
  EXPECT_EQ(disabled.report["edition"].number, 14);
  EXPECT_EQ(disabled.report["mode"].number, 0);
  EXPECT_TRUE(disabled.report["modeDialog"].IsNull());
  // The probe's report tells an administrator why, and which registry view
  // the library read: the one the template was imported into.
  const std::string view = sizeof(void*) == 8 ? "64-bit" : "32-bit";
  bool editionExplained = false;
  for (const JsonValue& line : disabled.report["diagnostics"].items) {
    editionExplained = editionExplained ||
                       line.text == "TarvexLogo: edition 14 (forms disabled): \"DisableForms\" in "
                                    "HKLM\\SOFTWARE\\Pellix\\Tarvex\\4.0 (" + view + " registry view) is \"1\"";
  }
  EXPECT_TRUE(editionExplained) << disabled.out;
  for (const char* key : {"Software\\Vornek\\Tarvex4\\Helmex", "Software\\Vornek\\Brindo4\\Helmex"}) {
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, key, "InterfaceLanguage"), "0") << key;
  }

  ImportRegFile("deploy\\disable-forms-off.reg");
  ProbeResult enabled = install.Run("/form --close-logo");
  ASSERT_EQ(enabled.exitCode, 0u) << enabled.out << enabled.err;
  EXPECT_EQ(enabled.report["edition"].number, 15);
  EXPECT_EQ(enabled.report["mode"].number, 1);
}

}  // namespace
