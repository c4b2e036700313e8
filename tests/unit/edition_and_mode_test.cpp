// The edition and mode decision: the "DisableForms" setting, the command-line
// rules in their order, the mode dialog's answers, and the simulated dialog
// manager the tests rely on.
#include <winsim/control.h>

#include <cstring>
#include <string>
#include <vector>

#include "../../resources/dialogs/mode_dialog_ids.h"
#include "core/edition_and_mode.h"
#include "startup_fixture.h"

namespace {

// The resource scripts and the library must agree on the numbers.
static_assert(IDD_MODE == kModeDialogTemplate, "template identifier");
static_assert(IDC_MODE_FORMS == kModeDialogForms, "forms button");
static_assert(IDC_MODE_MAIN == kModeDialogMain, "main mode button");
static_assert(IDC_MODE_CONTINUE == kModeDialogContinue, "continue button");

constexpr const char* kProductKey = "SOFTWARE\\Pellix\\Tarvex\\4.0";
constexpr DWORD kUntouched = 0xdeadbeef;

void SetMachineValue(const char* name, DWORD type, const std::vector<BYTE>& data) {
  winsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kProductKey, name, type, data);
}

void SetDisableForms(const char* text) {
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kProductKey, "DisableForms", text);
}

winsim::ModuleImage ResourceLibraryWithModeDialog() {
  winsim::ModuleImage image;
  image.dialogs[kModeDialogTemplate] = {"Tarvex 4.0", {kModeDialogMain, kModeDialogForms, kModeDialogContinue,
                                                       IDCANCEL}};
  return image;
}

class EditionAndModeTest : public StartupTest {
 protected:
  void SetUp() override {
    winsim::AddModuleFile("C:\\Program Files\\Tarvex\\OxaRes0.dll", ResourceLibraryWithModeDialog());
    startup.Resources().Attach(ownModule, "OxaRes");
    startup.Resources().Load(0);
    resourceLibrary = startup.Resources().Module();
  }

  HMODULE resourceLibrary = nullptr;
};

// ---- edition names

TEST(EditionName, NamesEveryCode) {
  const struct {
    int edition;
    const char* name;
  } cases[] = {{13, "TAMIR"}, {14, "MEREL"}, {15, "ZOLT"},  {16, "KIRVANE"},
               {17, "DRUVA"}, {0, "MEREL"},  {-1, "MEREL"}, {12, "MEREL"},
               {18, "MEREL"}, {0x7fffffff, "MEREL"}, {-0x7fffffff - 1, "MEREL"}};
  for (const auto& c : cases) {
    const char* name = EditionName(static_cast<Edition>(c.edition));
    ASSERT_NE(name, nullptr) << "edition " << c.edition;
    EXPECT_STREQ(name, c.name) << "edition " << c.edition;
  }
  // Not settled reads as KIRVANE's 16 wherever a number or name is given out.
  EXPECT_STREQ(EditionName(Edition::NotSettled), "KIRVANE");
  EXPECT_EQ(EditionNumber(Edition::NotSettled), 16);
}

// ---- the installation setting

struct DisableFormsCase {
  const char* label;
  DWORD type;              // REG_NONE: no value at all
  std::vector<BYTE> data;
  int formsEnabled;
};

void PrintTo(const DisableFormsCase& c, std::ostream* os) { *os << c.label; }

std::vector<BYTE> Text(const char* text) { return std::vector<BYTE>(text, text + std::strlen(text) + 1); }

class DisableFormsTest : public EditionAndModeTest, public ::testing::WithParamInterface<DisableFormsCase> {};

TEST_P(DisableFormsTest, OnlyALeadingOneDisablesTheFormsMode) {
  const DisableFormsCase& c = GetParam();
  if (c.type != REG_NONE) {
    SetMachineValue("DisableForms", c.type, c.data);
  }
  EXPECT_EQ(FormsEnabled(), c.formsEnabled);
  EXPECT_EQ(startup.QueryEdition(), c.formsEnabled ? Edition::Zolt : Edition::Merel);
}

const DWORD kOne = 1;
INSTANTIATE_TEST_SUITE_P(
    Values, DisableFormsTest,
    ::testing::Values(DisableFormsCase{"one", REG_SZ, Text("1"), 0},
                      DisableFormsCase{"ten", REG_SZ, Text("10"), 0},
                      DisableFormsCase{"oneThenText", REG_SZ, Text("1 and anything"), 0},
                      DisableFormsCase{"zero", REG_SZ, Text("0"), 1},
                      DisableFormsCase{"empty", REG_SZ, Text(""), 1},
                      DisableFormsCase{"blankThenOne", REG_SZ, Text(" 1"), 1},
                      DisableFormsCase{"zeroOne", REG_SZ, Text("01"), 1},
                      DisableFormsCase{"yes", REG_SZ, Text("yes"), 1},
                      DisableFormsCase{"dwordOne", REG_DWORD,
                                       std::vector<BYTE>(reinterpret_cast<const BYTE*>(&kOne),
                                                         reinterpret_cast<const BYTE*>(&kOne) + 4),
                                       1},
                      DisableFormsCase{"binaryOne", REG_BINARY, {'1', 0}, 1},
                      DisableFormsCase{"missingValue", REG_NONE, {}, 1}),
    [](const ::testing::TestParamInfo<DisableFormsCase>& info) { return std::string(info.param.label); });

TEST_F(EditionAndModeTest, UnreadableProductKeyEnablesTheFormsMode) {
  EXPECT_EQ(FormsEnabled(), 1) << "no key at all";
  SetDisableForms("1");
  winsim::DenyRegistryAccess(HKEY_LOCAL_MACHINE, kProductKey, winsim::RegistryDenial::All);
  EXPECT_EQ(FormsEnabled(), 1) << "key that cannot be opened";
  EXPECT_EQ(startup.QueryEdition(), Edition::Zolt);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0);
}

TEST_F(EditionAndModeTest, DisabledFormsSettleTheMainModeWithoutReadingTheLine) {
  SetDisableForms("1");
  winsim::SetCommandLine("host.exe /form d:\\a.frm");
  winsim::ClearCalls();
  EXPECT_EQ(startup.QueryMode(), Mode::Main);
  EXPECT_EQ(winsim::CallCount("GetCommandLineA"), 0);
  EXPECT_EQ(winsim::CallCount("DialogBoxParamA"), 0);
}

// ---- the command-line rules, in their order

struct PrecedenceCase {
  const char* commandLine;
  int mode;   // when the dialog is shown it is answered with the forms mode
  bool asks;
};

void PrintTo(const PrecedenceCase& c, std::ostream* os) { *os << c.commandLine; }

class ModePrecedenceTest : public EditionAndModeTest, public ::testing::WithParamInterface<PrecedenceCase> {};

TEST_P(ModePrecedenceTest, FirstApplyingRuleDecides) {
  const PrecedenceCase& c = GetParam();
  winsim::SetCommandLine(c.commandLine);
  if (c.asks) winsim::QueueDialogClick(kModeDialogForms);
  EXPECT_EQ(ModeNumber(startup.QueryMode()), c.mode) << c.commandLine;
  EXPECT_EQ(winsim::CallCount("DialogBoxParamA"), c.asks ? 1 : 0) << c.commandLine;
  EXPECT_EQ(winsim::Dialogs().size(), c.asks ? 1u : 0u) << c.commandLine;
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ModePrecedenceTest,
    ::testing::Values(PrecedenceCase{"host.exe /form /standard", 1, false},
                      PrecedenceCase{"host.exe -standard -FORM", 1, false},
                      PrecedenceCase{"host.exe /standard d:\\a.frm", 0, false},
                      PrecedenceCase{"host.exe /form d:\\a.pac", 1, false},
                      PrecedenceCase{"host.exe d:\\a.pac d:\\b.frm", 0, false},
                      PrecedenceCase{"host.exe \"d:\\b.frm\" d:\\a.PAC", 0, false},
                      PrecedenceCase{"host.exe d:\\b.frm", 1, false},
                      PrecedenceCase{"host.exe /nologo d:\\b.frm", 1, false},
                      PrecedenceCase{"host.exe /form /nologo", 1, false},
                      PrecedenceCase{"host.exe /NOLOGO", 0, false},
                      PrecedenceCase{"host.exe /automation", 0, false},
                      PrecedenceCase{"host.exe -Embedding", 0, false},
                      PrecedenceCase{"host.exe", 1, true},
                      PrecedenceCase{"host.exe /forms /standards d:\\a.frm.tif", 1, true}));

// ---- the mode dialog's answers

// Each action queues one scripted user action.
enum class Act { ClickMain, ClickForms, ClickContinue, ClickOk, ClickUnknown, FormsDoubleClick, CancelNotified, Ok };

void Queue(Act act) {
  switch (act) {
    case Act::ClickMain:
      return winsim::QueueDialogClick(kModeDialogMain);
    case Act::ClickForms:
      return winsim::QueueDialogClick(kModeDialogForms);
    case Act::ClickContinue:
      return winsim::QueueDialogClick(kModeDialogContinue);
    case Act::ClickOk:
      return winsim::QueueDialogClick(IDOK);  // no such button in the template
    case Act::ClickUnknown:
      return winsim::QueueDialogClick(500);
    case Act::FormsDoubleClick:
      return winsim::QueueDialogCommand(kModeDialogForms, 5);  // BN_DOUBLECLICKED
    case Act::CancelNotified:
      return winsim::QueueDialogCommand(IDCANCEL, 1);
    case Act::Ok:
      return winsim::QueueDialogCommand(IDOK, 0);  // Enter without a default button
  }
}

struct AnswerCase {
  std::vector<Act> actions;
  int mode;
  size_t commandsDelivered;  // WM_COMMAND messages the procedure saw
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.actions.size() << " actions, mode " << c.mode; }

class ModeDialogAnswerTest : public EditionAndModeTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(ModeDialogAnswerTest, AnswerSettlesTheMode) {
  const AnswerCase& c = GetParam();
  for (Act act : c.actions) Queue(act);
  EXPECT_EQ(ModeNumber(startup.AskMode()), c.mode);

  const std::vector<winsim::DialogRecord> dialogs = winsim::Dialogs();
  ASSERT_EQ(dialogs.size(), 1u);
  const winsim::DialogRecord& dialog = dialogs[0];
  EXPECT_EQ(dialog.module, resourceLibrary);
  EXPECT_EQ(dialog.templateId, kModeDialogTemplate);
  EXPECT_EQ(dialog.owner, nullptr);
  EXPECT_EQ(dialog.initParam, 0);
  EXPECT_FALSE(dialog.scriptExhausted);
  EXPECT_EQ(winsim::PendingDialogActions(), 0) << "every action up to the answer is played";
  size_t commands = 0;
  for (const winsim::DialogMessage& message : dialog.messages) commands += message.message == WM_COMMAND;
  EXPECT_EQ(commands, c.commandsDelivered);
  ASSERT_FALSE(dialog.messages.empty());
  EXPECT_EQ(dialog.messages[0].message, static_cast<UINT>(WM_INITDIALOG));
  EXPECT_EQ(dialog.messages[0].result, TRUE);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ModeDialogAnswerTest,
    ::testing::Values(AnswerCase{{Act::ClickForms}, 1, 1}, AnswerCase{{Act::ClickMain}, 0, 1},
                      AnswerCase{{Act::ClickContinue}, 0, 1},
                      AnswerCase{{Act::FormsDoubleClick, Act::ClickMain}, 0, 2},
                      AnswerCase{{Act::Ok, Act::ClickForms}, 1, 2},
                      AnswerCase{{Act::CancelNotified, Act::ClickForms}, 1, 2},
                      AnswerCase{{Act::ClickOk, Act::ClickUnknown, Act::ClickForms}, 1, 1},
                      AnswerCase{{Act::Ok, Act::FormsDoubleClick, Act::CancelNotified, Act::ClickContinue}, 0, 4}));

TEST_F(EditionAndModeTest, UnansweredDialogSettlesTheMainMode) {
  winsim::QueueDialogCommand(kModeDialogForms, 1);
  EXPECT_EQ(startup.AskMode(), Mode::Main);
  ASSERT_EQ(winsim::Dialogs().size(), 1u);
  EXPECT_TRUE(winsim::Dialogs()[0].scriptExhausted) << "the dialog must still have been open";
  EXPECT_EQ(winsim::Dialogs()[0].result, -1);
}

TEST_F(EditionAndModeTest, MissingTemplateSettlesTheMainModeSilently) {
  startup.Resources().Load(9);  // no such library: the own module, which holds no dialog, serves
  winsim::QueueDialogClick(kModeDialogForms);
  EXPECT_EQ(startup.AskMode(), Mode::Main);
  EXPECT_EQ(winsim::CallCount("DialogBoxParamA"), 1);
  EXPECT_TRUE(winsim::Dialogs().empty());
  EXPECT_TRUE(winsim::MessageBoxes().empty());
  EXPECT_EQ(winsim::PendingDialogActions(), 1);
}

// What ExitProcess printed, for a cancelled dialog: no message box shown, no
// window left, and exit code 2.
class EndsSilentlyWithCode2 : public ::testing::MatcherInterface<const std::string&> {
 public:
  bool MatchAndExplain(const std::string& output, ::testing::MatchResultListener*) const override {
    return output.find("MessageBoxA") == std::string::npos &&
           output.find("winsim: live windows=0\nwinsim: ExitProcess(2)") != std::string::npos;
  }
  void DescribeTo(std::ostream* os) const override {
    *os << "no message box, no live window, then ExitProcess(2)";
  }
};

using ModeDialogDeathTest = EditionAndModeTest;

TEST_F(ModeDialogDeathTest, CancelEscapeAndCloseBoxEndTheProcess) {
  const struct {
    const char* label;
    void (*queue)();
  } cases[] = {{"cancel", [] { winsim::QueueDialogClick(IDCANCEL); }},
               {"escape", [] { winsim::QueueDialogEscapeKey(); }},
               {"close box", [] { winsim::QueueDialogCloseBox(); }},
               {"ignored, then cancel",
                [] {
                  winsim::QueueDialogCommand(kModeDialogForms, 1);
                  winsim::QueueDialogClick(IDCANCEL);
                }}};
  for (const auto& c : cases) {
    EXPECT_EXIT(
        {
          c.queue();
          startup.AskMode();
        },
        ::testing::ExitedWithCode(2), ::testing::MakeMatcher(new EndsSilentlyWithCode2))
        << c.label;
  }
}

// ---- the whole start-up with the dialog

class StartupWithModeDialogTest : public StartupTest {
 protected:
  void SetUp() override {
    winsim::ModuleImage image = ResourceLibraryWithModeDialog();
    image.exports["GetResourceID"] = reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&NoResourceId));
    winsim::AddModuleFile("C:\\Program Files\\Tarvex\\OxaRes0.dll", image);
  }
  static int __cdecl NoResourceId(const char*) { return 0; }
};

TEST_F(StartupWithModeDialogTest, AnsweredDialogSettlesTheForms) {
  winsim::QueueDialogClick(kModeDialogForms);
  startup.OnProcessAttach(ownModule);
  EXPECT_EQ(startup.Policy().GetEdition(), Edition::Zolt);
  EXPECT_EQ(startup.Policy().GetMode(), Mode::Forms);
  ASSERT_EQ(winsim::Dialogs().size(), 1u);
  EXPECT_EQ(winsim::Dialogs()[0].module, startup.Resources().Module());
  startup.OnProcessDetach();
}

using StartupWithModeDialogDeathTest = StartupWithModeDialogTest;

TEST_F(StartupWithModeDialogDeathTest, CancelEndsTheStartBeforeAnyLogo) {
  EXPECT_EXIT(
      {
        winsim::QueueDialogEscapeKey();
        startup.OnProcessAttach(ownModule);
      },
      ::testing::ExitedWithCode(2), ::testing::MakeMatcher(new EndsSilentlyWithCode2));
}

// ---- the dialog procedure's message table

struct ProcedureCase {
  UINT message;
  WPARAM wParam;
  INT_PTR result;
  bool ends;
};

TEST_F(EditionAndModeTest, ProcedureAnswersByItsTable) {
  const ProcedureCase cases[] = {
      {WM_INITDIALOG, 0, TRUE, false},
      {WM_CLOSE, 0, TRUE, true},
      {WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), TRUE, true},
      {WM_COMMAND, MAKEWPARAM(391, 0), TRUE, true},
      {WM_COMMAND, MAKEWPARAM(392, 0), TRUE, true},
      {WM_COMMAND, MAKEWPARAM(397, 0), TRUE, true},
      {WM_COMMAND, MAKEWPARAM(IDOK, 0), FALSE, false},
      {WM_COMMAND, MAKEWPARAM(0, 0), FALSE, false},
      {WM_COMMAND, MAKEWPARAM(390, 0), FALSE, false},
      {WM_COMMAND, MAKEWPARAM(393, 0), FALSE, false},
      {WM_COMMAND, MAKEWPARAM(396, 0), FALSE, false},
      {WM_COMMAND, MAKEWPARAM(398, 0), FALSE, false},
      {WM_COMMAND, MAKEWPARAM(392, 1), FALSE, false},
      {WM_COMMAND, MAKEWPARAM(IDCANCEL, 0x8000), FALSE, false},
      {WM_DESTROY, 0, FALSE, false},
      {WM_KEYDOWN, VK_ESCAPE, FALSE, false},
      {WM_USER, MAKEWPARAM(IDCANCEL, 0), FALSE, false},
  };
  HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x5150));
  for (const ProcedureCase& c : cases) {
    winsim::ClearCalls();
    // lParam is never read: garbage must not matter.
    EXPECT_EQ(ModeDialogProcedure(window, c.message, c.wParam, static_cast<LPARAM>(kUntouched)), c.result)
        << "message " << c.message << " wParam 0x" << std::hex << c.wParam;
    EXPECT_EQ(winsim::CallCount("EndDialog"), c.ends ? 1 : 0)
        << "message " << c.message << " wParam 0x" << std::hex << c.wParam;
  }
}

// ---- the simulated dialog manager

struct ProcedureLog {
  static std::vector<UINT> messages;
  // Leaves WM_CLOSE to the dialog manager.
  static INT_PTR CALLBACK EndsOnAnyCommand(HWND window, UINT message, WPARAM wParam, LPARAM) {
    messages.push_back(message);
    if (message == WM_COMMAND) EndDialog(window, 1000 + LOWORD(wParam));
    return message == WM_INITDIALOG;
  }
};
std::vector<UINT> ProcedureLog::messages;

class SimulatedDialogTest : public EditionAndModeTest {
 protected:
  void SetUp() override {
    EditionAndModeTest::SetUp();
    ProcedureLog::messages.clear();
  }
  INT_PTR Run(DLGPROC procedure) {
    return DialogBoxParamA(resourceLibrary, MAKEINTRESOURCEA(kModeDialogTemplate), nullptr, procedure, 0);
  }
};

TEST_F(SimulatedDialogTest, MissingTemplateFailsWithoutRunningTheProcedure) {
  SetLastError(kUntouched);
  EXPECT_EQ(DialogBoxParamA(resourceLibrary, MAKEINTRESOURCEA(153), nullptr, ProcedureLog::EndsOnAnyCommand, 7), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_TRUE(ProcedureLog::messages.empty());
  EXPECT_EQ(winsim::RunningDialogs(), 0);
}

TEST_F(SimulatedDialogTest, ClicksCarryTheButtonsHandle) {
  winsim::QueueDialogClick(kModeDialogContinue);
  EXPECT_EQ(Run(ProcedureLog::EndsOnAnyCommand), 1000 + kModeDialogContinue);
  const winsim::DialogRecord dialog = winsim::Dialogs().at(0);
  ASSERT_GE(dialog.messages.size(), 2u);
  const winsim::DialogMessage& click = dialog.messages[1];
  EXPECT_EQ(click.message, static_cast<UINT>(WM_COMMAND));
  EXPECT_EQ(click.wParam, MAKEWPARAM(kModeDialogContinue, 0));
  EXPECT_EQ(click.lParam, reinterpret_cast<LPARAM>(dialog.controls.at(kModeDialogContinue)));
  EXPECT_NE(click.lParam, 0);
}

TEST_F(SimulatedDialogTest, UnhandledCloseBoxBecomesCancel) {
  winsim::QueueDialogCloseBox();
  EXPECT_EQ(Run(ProcedureLog::EndsOnAnyCommand), 1000 + IDCANCEL);
  EXPECT_EQ(ProcedureLog::messages,
            (std::vector<UINT>{WM_INITDIALOG, WM_CLOSE, WM_COMMAND, WM_DESTROY, WM_NCDESTROY}));
}

TEST_F(SimulatedDialogTest, EndDialogWantsARunningDialog) {
  winsim::QueueDialogClick(kModeDialogMain);
  Run(ProcedureLog::EndsOnAnyCommand);
  const HWND finished = winsim::Dialogs().at(0).window;
  for (HWND window : {finished, static_cast<HWND>(nullptr), reinterpret_cast<HWND>(ownModule)}) {
    SetLastError(kUntouched);
    EXPECT_EQ(EndDialog(window, 1), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  }
}

}  // namespace
