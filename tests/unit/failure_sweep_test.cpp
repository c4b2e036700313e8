// Every platform call of a whole start-up and shut-down, failed one at a time:
// the library must neither crash nor leak, must leave the user's settings as
// they were (but for what the copy and the language question may write), and
// must go on starting.
#include <winsim/control.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/library_entry.h"
#include "language_test_support.h"
#include "startup_fixture.h"
#include "test_dib.h"

namespace {

using winsim::HandleKind;

const char kDefaults[] = "Software\\Pellix\\Tarvex\\4.0\\New User Defaults";
const char kOwnModulePath[] = "C:\\Program Files\\Tarvex\\TarvexLogo.dll";
const char kExitProgram[] = "C:\\Program Files\\Tarvex\\Tools\\update.exe";

// A machine with defaults, a user who has started before, resource libraries
// in two languages with a logo and the mode dialog, a code page that makes
// the language question appear, and the host's exit command.
HMODULE PrepareTypicalMachine() {
  winsim::Reset();
  winsim::SetHostExecutablePath(language_test::kHostPath);
  winsim::SetCommandLine("\"C:\\Program Files\\Tarvex\\host.exe\"");
  winsim::SetAnsiCodePage(1251);
  winsim::SetDisplayBitsPerPixel(8);

  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kDefaults, "", "defaults");
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, std::string(kDefaults) + "\\Tarvex4\\Helmex", "InterfaceLanguage",
                            "2");
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, std::string(kDefaults) + "\\Tarvex4\\Helmex", "StartPage",
                            "Welcome");
  winsim::SetRegistryValue(HKEY_LOCAL_MACHINE, std::string(kDefaults) + "\\Tarvex4\\Helmex", "Count", REG_DWORD,
                           {8, 0, 0, 0});
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, std::string(kDefaults) + "\\Brindo4\\Helmex", "InterfaceLanguage",
                            "0");
  winsim::CreateRegistryKey(HKEY_LOCAL_MACHINE, std::string(kDefaults) + "\\Tarvex4\\Plugins");
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Pellix\\Tarvex\\4.0", "DisableForms", "0");

  winsim::SetRegistryString(HKEY_CURRENT_USER, language_test::kMainModeKey, "StartPage", "Projects");
  winsim::SetRegistryString(HKEY_CURRENT_USER, "Software\\Vornek\\Tarvex4\\Helmex\\Toolbars", "Standard", "off");

  for (int language : {0, 2}) {
    winsim::ModuleImage image = language_test::ResourceLibraryImage("Tarvex 4.0 (" + std::to_string(language) + ")",
                                                                    "Clock out of range");
    image.bitmaps["SVGA_LOGO_ZOLT"] = test_dib::Plain(40, 30, 8);
    image.bitmaps["SVGA_LOGO_PELTRA"] = test_dib::Plain(40, 30, 8);
    image.dialogs[152] = winsim::DialogTemplate{"Tarvex 4.0", {391, 392, 397, IDCANCEL}};
    winsim::AddModuleFile(language_test::LibraryPathFor(language), image);
  }
  winsim::AddFile(kExitProgram);
  winsim::QueueMessageBoxAnswer(IDYES);
  winsim::QueueDialogClick(392);
  return winsim::AddLoadedModule(kOwnModulePath);
}

// Every value of the user's tree, by key path and value name.
std::map<std::string, winsim::RegistryValue> UserValues(const std::string& path = "Software\\Vornek") {
  std::map<std::string, winsim::RegistryValue> values;
  for (const winsim::RegistryValue& value : winsim::RegistryValues(HKEY_CURRENT_USER, path)) {
    values[path + "|" + value.name] = value;
  }
  for (const std::string& subkey : winsim::RegistrySubkeyNames(HKEY_CURRENT_USER, path)) {
    auto below = UserValues(path + "\\" + subkey);
    values.insert(below.begin(), below.end());
  }
  return values;
}

// The calls that release handles of `kind`: when one of them fails, the
// handle stays alive through no fault of the library.
std::set<std::string> ReleaseFunctionOf(HandleKind kind) {
  switch (kind) {
    case HandleKind::RegistryKey:
      return {"RegCloseKey"};
    case HandleKind::Module:
      return {"FreeLibrary"};
    case HandleKind::FindHandle:
      return {"FindClose"};
    case HandleKind::GlobalMemory:
      return {"GlobalFree"};
    case HandleKind::Window:
      return {"DestroyWindow"};
    case HandleKind::GdiObject:
      return {"DeleteObject"};
    case HandleKind::DeviceContext:
      return {"DeleteDC", "ReleaseDC", "EndPaint"};
    case HandleKind::Process:
    case HandleKind::Thread:
      return {"CloseHandle"};
  }
  return {};
}

struct Outcome {
  int edition;
  int mode;
};

Outcome RunStartAndShutdown(HMODULE ownModule) {
  ProductStartup startup;
  RunLibraryEntry(startup, ownModule, DLL_PROCESS_ATTACH);
  startup.SetExitCommand("C:\\Program Files\\Tarvex\\Tools\\update.exe /quiet", SW_HIDE);
  Outcome outcome{EditionNumber(startup.Policy().GetEdition()), ModeNumber(startup.Policy().GetMode())};
  RunLibraryEntry(startup, ownModule, DLL_PROCESS_DETACH);
  return outcome;
}

// The calls of one undisturbed start and shut-down, in order.
std::vector<std::string> BaselineCalls() {
  HMODULE ownModule = PrepareTypicalMachine();
  winsim::ClearCalls();
  RunStartAndShutdown(ownModule);
  return winsim::Calls();
}

TEST(FailureSweep, EveryPlatformCallMayFailWithoutHarm) {
  FreshMachine machine;
  const std::vector<std::string> calls = BaselineCalls();
  ASSERT_GT(calls.size(), 50u) << "the typical start should reach every subsystem";

  std::map<std::string, int> seen;
  std::set<std::string> functionsSwept;
  int failurePoints = 0;
  for (const std::string& function : calls) {
    const int earlierCalls = seen[function]++;
    HMODULE ownModule = PrepareTypicalMachine();
    const auto before = UserValues();
    winsim::ClearCalls();
    winsim::InjectFailure(function, earlierCalls, 1);
    const Outcome outcome = RunStartAndShutdown(ownModule);
    winsim::ClearInjectedFailures();
    ++failurePoints;
    functionsSwept.insert(function);
    const std::string where = function + " call " + std::to_string(earlierCalls + 1);

    // The start went on and settled an edition and a mode.
    EXPECT_TRUE(outcome.edition == 14 || outcome.edition == 15) << where << ": edition " << outcome.edition;
    EXPECT_TRUE(outcome.mode == 0 || outcome.mode == 1) << where << ": mode " << outcome.mode;

    // Nothing left open, but for what the platform itself refused to release.
    for (HandleKind kind : {HandleKind::RegistryKey, HandleKind::Module, HandleKind::FindHandle,
                            HandleKind::GlobalMemory, HandleKind::Window, HandleKind::GdiObject,
                            HandleKind::DeviceContext, HandleKind::Process, HandleKind::Thread}) {
      if (ReleaseFunctionOf(kind).count(function)) continue;
      EXPECT_EQ(winsim::LiveHandles(kind), 0) << where << ": handles of kind " << static_cast<int>(kind);
    }

    // The user's own strings are as they were; only the language may have
    // been switched to English by the question.
    const auto after = UserValues();
    for (const auto& entry : before) {
      auto found = after.find(entry.first);
      ASSERT_NE(found, after.end()) << where << ": lost " << entry.first;
      EXPECT_EQ(found->second, entry.second) << where << ": changed " << entry.first;
    }
    for (const auto& entry : after) {
      if (before.count(entry.first)) continue;
      // A value the user lacked may only come from the defaults' namesake key.
      const size_t userRoot = std::string("Software\\Vornek").size();
      const std::string keyBelowRoot = entry.first.substr(userRoot, entry.first.find('|') - userRoot);
      winsim::RegistryValue fromDefaultsValue;
      const bool fromDefaults = winsim::GetRegistryValue(HKEY_LOCAL_MACHINE, std::string(kDefaults) + keyBelowRoot,
                                                         entry.second.name, &fromDefaultsValue);
      EXPECT_TRUE(fromDefaults || entry.second.name == "InterfaceLanguage") << where << ": wrote " << entry.first;
    }
  }
  EXPECT_EQ(failurePoints, static_cast<int>(calls.size()));
  // The sweep reached every subsystem's platform calls.
  for (const char* function : {"RegEnumValueA", "LoadLibraryW", "MessageBoxA", "DialogBoxParamA", "CreateWindowExA",
                               "CreatePalette", "CreateDIBitmap", "BitBlt", "CreateFontA", "SearchPathA",
                               "CreateProcessA"}) {
    EXPECT_TRUE(functionsSwept.count(function)) << function << " was never called";
  }
  RecordProperty("failurePoints", failurePoints);
  std::printf("failure sweep: %d failure points over %zu functions\n", failurePoints, functionsSwept.size());
}

}  // namespace
