#include <winsim/control.h>

#include <string>

#include "core/command_line.h"
#include "startup_fixture.h"

namespace {

struct LineCase {
  const char* line;
  const char* name;
  int expected;
};

class SwitchTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(SwitchTest, FollowsTheSwitchRules) {
  const LineCase& c = GetParam();
  EXPECT_EQ(LineHasSwitch(c.line, c.name), c.expected) << "line: [" << c.line << "] name: " << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SwitchTest,
    ::testing::Values(
        // Either sign, any ASCII letter case.
        LineCase{"host.exe /NOLOGO", "NOLOGO", 1}, LineCase{"host.exe /nologo", "NOLOGO", 1},
        LineCase{"host.exe -NoLogo", "NOLOGO", 1},
        // The character after the name must be a blank or the end.
        LineCase{"host.exe /NOLOGOS", "NOLOGO", 0}, LineCase{"host.exe /nologo2", "NOLOGO", 0},
        LineCase{"host.exe /nologo=1", "NOLOGO", 0}, LineCase{"host.exe /nologo, x", "NOLOGO", 0},
        LineCase{"host.exe /nologo\tx", "NOLOGO", 1}, LineCase{"host.exe /nologo\nx", "NOLOGO", 0},
        LineCase{"host.exe /nologo\rx", "NOLOGO", 0}, LineCase{"host.exe /nologo x", "NOLOGO", 1},
        // The sign must start the line or follow a blank.
        LineCase{"host.exe --nologo", "NOLOGO", 0}, LineCase{"host.exe x/nologo", "NOLOGO", 0},
        LineCase{"/nologo host.exe", "NOLOGO", 1}, LineCase{"-nologo", "NOLOGO", 1},
        LineCase{"host.exe\t/nologo", "NOLOGO", 1}, LineCase{"host.exe\n/nologo", "NOLOGO", 0},
        // Quotes are not tracked.
        LineCase{"host.exe \"a -form b\"", "form", 1}, LineCase{"host.exe \"/form\"", "form", 0},
        LineCase{"host.exe \"/form \"", "form", 0},
        // The program path is scanned like the rest.
        LineCase{"\"C:\\My -standard dir\\host.exe\"", "standard", 1},
        // Near misses of "form".
        LineCase{"host.exe /forms", "form", 0}, LineCase{"host.exe /format", "form", 0},
        LineCase{"host.exe /for", "form", 0}, LineCase{"host.exe /", "form", 0}, LineCase{"", "form", 0},
        // A rejected candidate hides nothing behind it.
        LineCase{"host.exe /formx /form", "form", 1}, LineCase{"host.exe -/form", "form", 0},
        // Only ASCII letters fold: bytes of 128 and more compare exactly.
        LineCase{"host.exe /\xC9T\xC9", "\xE9t\xE9", 0}, LineCase{"host.exe /\xE9t\xE9", "\xE9T\xE9", 1},
        LineCase{"host.exe /\xA0nologo", "NOLOGO", 0}, LineCase{"host.exe\xA0/nologo", "NOLOGO", 0},
        // The letters' edges fold, the characters next to them do not.
        LineCase{"host.exe /ZA", "za", 1}, LineCase{"host.exe /za", "ZA", 1}, LineCase{"host.exe /[", "{", 0},
        LineCase{"host.exe /@", "`", 0}, LineCase{"host.exe /{", "[", 0}, LineCase{"host.exe /`", "@", 0}));

class FileTypeTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(FileTypeTest, FollowsTheFileTypeRules) {
  const LineCase& c = GetParam();
  EXPECT_EQ(LineHasFileType(c.line, c.name), c.expected) << "line: [" << c.line << "] extension: " << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FileTypeTest,
    ::testing::Values(
        LineCase{"host.exe D:\\A.FRM", ".frm", 1}, LineCase{"host.exe \"d:\\Scan.Frm\"", ".frm", 1},
        LineCase{"host.exe a.frm b", ".frm", 1}, LineCase{"host.exe a.frm\nb", ".frm", 1},
        LineCase{"host.exe a.frm\x0b", ".frm", 1}, LineCase{"host.exe a.frm\x0c", ".frm", 1},
        LineCase{"host.exe a.frm\r", ".frm", 1}, LineCase{"host.exe a.frm\t", ".frm", 1},
        LineCase{"host.exe a.frm.tif", ".frm", 0}, LineCase{"host.exe a.frmx", ".frm", 0},
        LineCase{"host.exe D:\\x.frm\\a.tif", ".frm", 0}, LineCase{"host.exe a.frm.tif b.frm", ".frm", 1},
        // Nothing is asked of the character before the extension.
        LineCase{"host.exe /open=x.pac", ".pac", 1}, LineCase{"host.exe .pac", ".pac", 1},
        // A byte of 128 or more after the extension is not white space.
        LineCase{"host.exe a.frm\xA0", ".frm", 0}, LineCase{"host.exe a.frm\x85 b.FRM", ".frm", 1},
        LineCase{"host.exe a.fr", ".frm", 0}, LineCase{"", ".frm", 0},
        // The search resumes just past a rejected occurrence, not inside it.
        LineCase{"x... ", "..", 0}, LineCase{"x.. ", "..", 1},
        // The letters' edges fold, the characters next to them do not.
        LineCase{"host.exe a.ZA", ".za", 1}, LineCase{"host.exe a.za", ".ZA", 1}, LineCase{"host.exe a.[", ".{", 0},
        LineCase{"host.exe a.`", ".@", 0}));

// Lines of every byte value, with and without a terminator near the names:
// the scans must stay inside the line (run under AddressSanitizer).
TEST(CommandLineScan, AnyBytesAreSafe) {
  for (int first = 1; first < 256; ++first) {
    for (int second = 0; second < 256; second += 15) {
      std::string line = "/";
      line += static_cast<char>(first);
      if (second != 0) line += static_cast<char>(second);
      LineHasSwitch(line.c_str(), "NOLOGO");
      LineHasFileType(line.c_str(), ".frm");
    }
  }
  EXPECT_EQ(LineHasSwitch("/NOLOG", "NOLOGO"), 0);
  EXPECT_EQ(LineHasFileType(".fr", ".frm"), 0);
}

class CommandLineOfProcessTest : public ::testing::Test {
 protected:
  FreshMachine machine;
};

TEST_F(CommandLineOfProcessTest, LogoAllowedUnlessAnyOfTheThreeSwitches) {
  const struct {
    const char* line;
    int allowed;
  } cases[] = {
      {"host.exe", 1},          {"host.exe /automation", 0}, {"host.exe -Embedding", 0},
      {"host.exe /NOLOGO", 0},  {"host.exe /form", 1},       {"host.exe /nologos", 1},
  };
  for (const auto& c : cases) {
    winsim::SetCommandLine(c.line);
    EXPECT_EQ(LogoAllowed(), c.allowed) << c.line;
  }
}

TEST_F(CommandLineOfProcessTest, TestsReadTheLineAfreshEachTime) {
  winsim::SetCommandLine("host.exe /form");
  EXPECT_EQ(CommandLineHasSwitch("form"), 1);
  winsim::SetCommandLine("host.exe");
  EXPECT_EQ(CommandLineHasSwitch("form"), 0);
}

TEST_F(CommandLineOfProcessTest, FileTypeLeavesTheLineUntouched) {
  winsim::SetCommandLine("host.exe c:\\docs\\a.frm");
  EXPECT_EQ(CommandLineHasFileType(".FRM"), 1);
  EXPECT_STREQ(GetCommandLineA(), "host.exe c:\\docs\\a.frm");
  // The upper-case copies fold the letters' edges only.
  const LineCase cases[] = {{"host.exe a.zip", ".ZIP", 1}, {"host.exe a.{", ".[", 0}, {"host.exe a.@", ".`", 0}};
  for (const LineCase& c : cases) {
    winsim::SetCommandLine(c.line);
    EXPECT_EQ(CommandLineHasFileType(c.name), c.expected) << c.line;
  }
}

}  // namespace
