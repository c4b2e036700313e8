// The host's status line on the logo (LogoSetStatusText), on a real screen at
// 24 bits per pixel: nothing changes without a call, a call paints the band
// along the bottom and nothing else, a Cyrillic line draws under code page
// 1251, and a call without a logo only keeps the text.
#include <gtest/gtest.h>

#include "probe_session.h"

namespace {

const char kMainModeKey[] = "Software\\Vornek\\Tarvex4\\Helmex";

class StatusLineE2eTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProductRegistry(); }
  void TearDown() override { ResetProductRegistry(); }

  static const JsonValue& Logo(const ProbeResult& run) { return run.report["logoWindow"]; }
};

TEST_F(StatusLineE2eTest, TheLinePaintsTheBandAndNothingElse) {
  InstallFolder install("status-line", {0});
  const std::string compare = " --expect-bitmap SVGA_LOGO_ZOLT /standard";
  ProbeResult before = install.Run(compare);
  ASSERT_EQ(before.exitCode, 0u) << before.out << before.err;
  ASSERT_FALSE(Logo(before).IsNull()) << before.out;
  EXPECT_GE(Logo(before)["statusBandMatchPercent"].number, 99) << "the band without a line is the bitmap's";
  EXPECT_GE(Logo(before)["outsideStatusBandMatchPercent"].number, 99);

  ProbeResult after = install.Run("--status \"Loading modules\"" + compare);
  ASSERT_EQ(after.exitCode, 0u) << after.out << after.err;
  ASSERT_EQ(after.report["statusTexts"].items.size(), 1u) << after.out;
  EXPECT_EQ(after.report["statusTexts"][0]["result"].number, 1) << "a logo is showing";
  EXPECT_LT(Logo(after)["statusBandMatchPercent"].number, 100) << "no line was drawn: " << after.out;
  EXPECT_EQ(Logo(after)["outsideStatusBandMatchPercent"].number, 100) << "drawn outside the band: " << after.out;

  // An empty line takes the text away again.
  ProbeResult cleared = install.Run("--status \"Loading modules\" --status \"\"" + compare);
  ASSERT_EQ(cleared.exitCode, 0u) << cleared.out << cleared.err;
  EXPECT_GE(Logo(cleared)["statusBandMatchPercent"].number, 99) << cleared.out;
}

// A host's worker reports progress while the loading thread, the logo's,
// waits for it: the call returns at once, and the next pump paints the line.
TEST_F(StatusLineE2eTest, AWorkerThreadIsNeverHeldAndItsLineAppearsAtThePump) {
  InstallFolder install("status-worker", {0});
  ProbeResult run = install.Run("--status-from-thread \"Loading modules\" --expect-bitmap SVGA_LOGO_ZOLT /standard");
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  const JsonValue& call = run.report["statusFromThread"];
  EXPECT_TRUE(call["returned"].boolean) << "the worker waited for the loading thread: " << run.out;
  EXPECT_EQ(call["result"].number, 1) << run.out;
  EXPECT_LT(Logo(run)["statusBandMatchPercent"].number, 100) << "no line after the pump: " << run.out;
  EXPECT_EQ(Logo(run)["outsideStatusBandMatchPercent"].number, 100) << run.out;
}

TEST_F(StatusLineE2eTest, WithoutALogoTheTextIsOnlyKept) {
  InstallFolder install("status-no-logo", {0});
  ProbeResult noLogo = install.Run("/nologo --status \"Loading modules\"");
  ASSERT_EQ(noLogo.exitCode, 0u) << noLogo.out << noLogo.err;
  EXPECT_EQ(noLogo.report["statusTexts"][0]["result"].number, 0);
  EXPECT_TRUE(Logo(noLogo).IsNull());

  ProbeResult closed = install.Run("/standard --close-logo --status-after-close \"Loading modules\"");
  ASSERT_EQ(closed.exitCode, 0u) << closed.out << closed.err;
  EXPECT_EQ(closed.report["statusAfterClose"]["result"].number, 0) << closed.out;
  EXPECT_FALSE(closed.report["statusAfterClose"]["logoWindow"].boolean) << "a call after LogoClose made a window";
}

// Under code page 1251 with the Cyrillic interface language the line is
// drawn in the logo font's Cyrillic character set.
TEST_F(StatusLineE2eTest, CyrillicLineDrawsUnderCodePage1251) {
  InstallFolder install("status-cyrillic", {0, 1});
  WriteRegistryString(HKEY_CURRENT_USER, kMainModeKey, "InterfaceLanguage", "1");
  ProbeResult run = install.Run("/standard --status \"Загрузка модулей\" --expect-bitmap SVGA_LOGO_ZOLT");
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  ASSERT_EQ(run.report["ansiCodePage"].number, 1251) << "this test needs LC_ALL=ru_RU.UTF-8";
  EXPECT_EQ(run.report["statusTexts"][0]["result"].number, 1) << run.out;
  EXPECT_LT(Logo(run)["statusBandMatchPercent"].number, 100) << "no line was drawn: " << run.out;
  EXPECT_EQ(Logo(run)["outsideStatusBandMatchPercent"].number, 100) << run.out;
}

}  // namespace
