// Edition and mode under Wine: the installation setting from a .reg file, the
// command line, and the real mode dialog answered by the probe.
#include <gtest/gtest.h>

#include <algorithm>

#include "probe_session.h"

namespace {

bool HasModule(const ProbeResult& run, const std::string& fileName) {
  std::string wanted = fileName;
  std::transform(wanted.begin(), wanted.end(), wanted.begin(), ::toupper);
  for (const JsonValue& module : run.report["modules"].items) {
    std::string name = module.text.substr(module.text.find_last_of('\\') + 1);
    std::transform(name.begin(), name.end(), name.begin(), ::toupper);
    if (name == wanted) return true;
  }
  return false;
}

class ModeE2eTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProductRegistry(); }
  void TearDown() override { ResetProductRegistry(); }
};

TEST_F(ModeE2eTest, DisabledFormsSettleEdition14AndTheMainModeWithoutADialog) {
  ImportRegFile("disable_forms_on.reg");
  InstallFolder install("mode-forms-disabled", {0});
  for (const char* line : {"", "/form", "c:\\work\\order.frm"}) {
    ProbeResult run = install.Run(std::string("--dialog-click 392 ") + line);
    ASSERT_EQ(run.exitCode, 0u) << line << run.out << run.err;
    EXPECT_EQ(run.report["edition"].number, 14) << line;
    EXPECT_EQ(run.report["mode"].number, 0) << line;
    EXPECT_TRUE(run.report["modeDialog"].IsNull()) << line;
  }
}

TEST_F(ModeE2eTest, TheDialogChoosesTheFormsModeAndItsLanguage) {
  ImportRegFile("disable_forms_off.reg");
  WriteRegistryString(HKEY_CURRENT_USER, "Software\\Vornek\\Tarvex4\\Helmex", "InterfaceLanguage", "0");
  WriteRegistryString(HKEY_CURRENT_USER, "Software\\Vornek\\Brindo4\\Helmex", "InterfaceLanguage", "2");
  InstallFolder install("mode-dialog-forms", {0, 2});
  ProbeResult run = install.Run("--dialog-click 392 --close-logo");
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  ASSERT_FALSE(run.report["modeDialog"].IsNull()) << "the mode dialog was not shown";
  EXPECT_EQ(run.report["mode"].number, 1);
  EXPECT_EQ(run.report["edition"].number, 15);
  EXPECT_EQ(run.report["productKeyName"].text, "Brindo4");
  EXPECT_EQ(run.report["resourceBaseName"].text, "OxaRes");
  // The language was read again from the forms mode's key.
  EXPECT_TRUE(HasModule(run, "OxaRes2.dll")) << run.out;
  EXPECT_FALSE(HasModule(run, "OxaRes0.dll")) << run.out;
}

TEST_F(ModeE2eTest, BothMainModeButtonsSettleTheMainMode) {
  InstallFolder install("mode-dialog-main", {0});
  for (const char* control : {"391", "397"}) {
    ProbeResult run = install.Run(std::string("--close-logo --dialog-click ") + control);
    ASSERT_EQ(run.exitCode, 0u) << control << run.out << run.err;
    EXPECT_FALSE(run.report["modeDialog"].IsNull());
    EXPECT_EQ(run.report["mode"].number, 0) << control;
  }
}

TEST_F(ModeE2eTest, CancellingTheDialogEndsTheHostWithExitCode2) {
  InstallFolder install("mode-dialog-cancel", {0});
  for (const char* answer : {"--dialog-click 2", "--dialog-close", "--dialog-escape"}) {
    ProbeResult run = install.Run(answer);
    EXPECT_FALSE(run.timedOut) << answer;
    EXPECT_EQ(run.exitCode, 2u) << answer << run.out << run.err;
    EXPECT_TRUE(run.report.IsNull()) << "the probe went on after the cancel: " << run.out;
    bool dialogSeen = false;
    for (const JsonValue& event : run.events) dialogSeen = dialogSeen || event["event"].text == "modeDialog";
    EXPECT_TRUE(dialogSeen) << answer << run.err;
  }
}

TEST_F(ModeE2eTest, FileTypesOnTheCommandLineDecideWithoutADialog) {
  InstallFolder install("mode-file-types", {0});
  struct {
    const char* line;
    int mode;
  } cases[] = {{"\"d:\\Scan\\Invoice.FRM\"", 1}, {"d:\\batch.pac", 0}, {"/standard d:\\x.frm", 0},
               {"/form d:\\x.pac", 1}};
  for (const auto& c : cases) {
    ProbeResult run = install.Run(std::string("--close-logo ") + c.line);
    ASSERT_EQ(run.exitCode, 0u) << c.line << run.out << run.err;
    EXPECT_EQ(run.report["mode"].number, c.mode) << c.line;
    EXPECT_TRUE(run.report["modeDialog"].IsNull()) << c.line;
  }
}

}  // namespace
