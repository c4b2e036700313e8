#include <winsim/control.h>

#include <cstring>
#include <string>

#include "core/exports.h"
#include "startup_fixture.h"
#include "guarded_buffer.h"

namespace {

class ExportsTest : public StartupTest {};

struct HelmexCase {
  int edition;
  int mode;
  const char* productKeyName;  // null: the caller's text stays
  const char* resourceBaseName;
};

class BeforeInitHelmexTest : public StartupTest, public ::testing::WithParamInterface<HelmexCase> {};

TEST_P(BeforeInitHelmexTest, NamesFollowEditionAndMode) {
  const HelmexCase& c = GetParam();
  startup.Policy().SettleEdition(static_cast<Edition>(c.edition));
  startup.Policy().SettleMode(static_cast<Mode>(c.mode));
  GuardedBuffer<char, 2 * kHelmexFieldSize> names;
  std::strcpy(names.data(), "caller");
  BeforeInitHelmex(names.data());
  EXPECT_STREQ(names.data(), c.productKeyName ? c.productKeyName : "caller");
  EXPECT_STREQ(names.data() + kHelmexFieldSize, c.resourceBaseName);
  EXPECT_TRUE(names.UntouchedFrom()) << "written past the area";
}

INSTANTIATE_TEST_SUITE_P(
    Table, BeforeInitHelmexTest,
    ::testing::Values(HelmexCase{13, 0, "Nalvo4", "WisRes"}, HelmexCase{13, 1, "Nalvo4", "WisRes"},
                      HelmexCase{13, 7, "Nalvo4", "WisRes"}, HelmexCase{16, 0, "Tarvex4", "TalRes"},
                      HelmexCase{16, 1, "Brindo4", "TalRes"}, HelmexCase{16, 2, "Quessa4", "TalRes"},
                      HelmexCase{17, 0, "Tarvex4", "KorRes"}, HelmexCase{17, 2, "Quessa4", "KorRes"},
                      HelmexCase{15, 1, "Brindo4", "OxaRes"}, HelmexCase{14, 0, "Tarvex4", "OxaRes"},
                      HelmexCase{-1, 2, "Quessa4", "OxaRes"}, HelmexCase{15, 3, nullptr, "OxaRes"},
                      HelmexCase{16, -1, nullptr, "TalRes"}));

// Before the start settles them the edition reads as KIRVANE's 16, in the main mode.
TEST_F(ExportsTest, QueriesAnswerWhatTheStartSettled) {
  EXPECT_EQ(LogoGetMode(), 0);
  EXPECT_EQ(LogoGetEdition(), 16);
  char names[2 * kHelmexFieldSize] = "caller";
  BeforeInitHelmex(names);
  EXPECT_STREQ(names, "Tarvex4");
  EXPECT_STREQ(names + kHelmexFieldSize, "TalRes");
  startup.Policy().SettleMode(Mode::Forms);
  startup.Policy().SettleEdition(Edition::Zolt);
  EXPECT_EQ(LogoGetMode(), 1);
  EXPECT_EQ(LogoGetEdition(), 15);
  EXPECT_EQ(GetVersionNumber(), 402);
}

TEST_F(ExportsTest, LogoCloseWithoutALogoReturnsZero) {
  EXPECT_EQ(LogoClose(), 0);
  EXPECT_EQ(LogoClose(), 0);
}

TEST_F(ExportsTest, SetExitCommandStoresTheCopy) {
  char command[] = "notify.exe done";
  const char* stored = LogoSetExitCommand(command, SW_SHOW);
  command[0] = 'X';
  EXPECT_STREQ(stored, "notify.exe done");
}

}  // namespace
