// The copy of new-user defaults at start-up: what arrives, what stays, and
// every way the registry or the heap can fail it.
#include <winsim/control.h>

#include <pthread.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "settings/new_user_defaults.h"
#include "settings/reg_key.h"
#include "settings/subkey_list.h"
#include "startup_fixture.h"

namespace {

using winsim::RegistryDenial;
using Bytes = std::vector<BYTE>;

const char kDefaults[] = "Software\\Pellix\\Tarvex\\4.0\\New User Defaults";
const char kUser[] = "Software\\Vornek";

std::string Defaults(const std::string& below) { return std::string(kDefaults) + "\\" + below; }
std::string User(const std::string& below) { return std::string(kUser) + "\\" + below; }

Bytes Text(const std::string& text) {
  Bytes bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

// The user's value, or an empty value of type 0xdead when missing.
winsim::RegistryValue UserValue(const std::string& path, const std::string& name) {
  winsim::RegistryValue value{name, 0xdead, {}};
  winsim::GetRegistryValue(HKEY_CURRENT_USER, path, name, &value);
  return value;
}

// Allocations of subkey lists fail from the `failAt`-th call (0 first) on,
// for `failCount` calls.
int allocationCalls = 0;
int failAt = -1;
int failCount = 0;
void* FailingAllocator(size_t bytes) {
  int call = allocationCalls++;
  if (call >= failAt && call < failAt + failCount) return nullptr;
  return std::malloc(bytes);
}

class NewUserDefaultsTest : public StartupTest {
 protected:
  void SetUp() override {
    allocationCalls = 0;
    failAt = -1;
    previousAllocator = SetSubkeyListAllocator(FailingAllocator);
  }
  void TearDown() override {
    SetSubkeyListAllocator(previousAllocator);
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0) << "a registry key was left open";
  }

  // A small defaults tree: values at the top, two levels of keys, an empty key.
  void SetUpDefaults() {
    winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kDefaults, "", "Tarvex 4.0 defaults");
    winsim::SetRegistryString(HKEY_LOCAL_MACHINE, Defaults("Tarvex4\\Helmex"), "InterfaceLanguage", "0");
    winsim::SetRegistryString(HKEY_LOCAL_MACHINE, Defaults("Tarvex4\\Helmex"), "StartPage", "Welcome");
    winsim::SetRegistryValue(HKEY_LOCAL_MACHINE, Defaults("Tarvex4\\Helmex"), "RecentFileCount", REG_DWORD,
                             {8, 0, 0, 0});
    winsim::SetRegistryString(HKEY_LOCAL_MACHINE, Defaults("Tarvex4\\Helmex\\Toolbars"), "Standard", "on");
    winsim::CreateRegistryKey(HKEY_LOCAL_MACHINE, Defaults("Tarvex4\\Plugins"));
    winsim::SetRegistryString(HKEY_LOCAL_MACHINE, Defaults("Brindo4\\Helmex"), "FormsFolder", "%USERPROFILE%\\Forms",
                              REG_EXPAND_SZ);
  }

  SubkeyListAllocator previousAllocator = nullptr;
};

// What the copy asks of the destination: presence reads only in keys that
// existed, none for the end of a source key counted empty; the same result.
struct ReadCase {
  const char* label;
  bool userHasTree;   // the user's keys exist (with a REG_SZ of their own) before the copy
  int copies;         // copies through the same destination object
  int presenceReads;  // RegQueryValueExA calls
  int enumerations;   // RegEnumValueA calls
};

TEST_F(NewUserDefaultsTest, PresenceReadsOnlyInKeysThatExisted) {
  const ReadCase cases[] = {
      {"first start: every key made now", false, 1, 0, 6},
      {"returning user: every key there", true, 1, 6, 6},
      {"a second copy into the same object reads first", false, 2, 6, 12},
  };
  for (const ReadCase& c : cases) {
    winsim::Reset();
    SetUpDefaults();
    if (c.userHasTree) {
      winsim::SetRegistryString(HKEY_CURRENT_USER, User("Tarvex4\\Helmex"), "StartPage", "Mine");
      for (const char* key : {"Tarvex4\\Helmex\\Toolbars", "Tarvex4\\Plugins", "Brindo4\\Helmex"}) {
        winsim::CreateRegistryKey(HKEY_CURRENT_USER, User(key));
      }
    }
    RegKey source = RegKey::OpenForReading(HKEY_LOCAL_MACHINE, kDefaults);
    RegKey destination = RegKey::Create(HKEY_CURRENT_USER, kUser);
    winsim::ClearCalls();
    for (int copy = 0; copy < c.copies; ++copy) source.CopyKeyTree(destination, 1);
    EXPECT_EQ(winsim::CallCount("RegQueryValueExA"), c.presenceReads) << c.label;
    EXPECT_EQ(winsim::CallCount("RegEnumValueA"), c.enumerations) << c.label << ": none for Plugins, counted empty";
    EXPECT_EQ(UserValue(User("Tarvex4\\Helmex"), "StartPage").data, Text(c.userHasTree ? "Mine" : "Welcome"))
        << c.label;
    EXPECT_EQ(UserValue(User("Tarvex4\\Helmex"), "RecentFileCount").data, (Bytes{8, 0, 0, 0})) << c.label;
  }
}

TEST_F(NewUserDefaultsTest, WithoutDefaultsTheUserKeyIsStillCreated) {
  CopyNewUserDefaults();
  EXPECT_EQ(winsim::DumpRegistryTree(HKEY_CURRENT_USER, ""), "key []\nkey [Software]\nkey [Software\\Vornek]\n");
}

TEST_F(NewUserDefaultsTest, FirstStartBringsTheWholeTree) {
  SetUpDefaults();
  CopyNewUserDefaults();
  EXPECT_EQ(winsim::DumpRegistryTree(HKEY_CURRENT_USER, kUser), winsim::DumpRegistryTree(HKEY_LOCAL_MACHINE, kDefaults));
}

TEST_F(NewUserDefaultsTest, LaterStartsKeepUserStringsAndResetOtherTypes) {
  SetUpDefaults();
  winsim::SetRegistryString(HKEY_CURRENT_USER, User("Tarvex4\\Helmex"), "InterfaceLanguage", "2");
  winsim::SetRegistryString(HKEY_CURRENT_USER, User("Tarvex4\\Helmex"), "StartPage", "");
  winsim::SetRegistryValue(HKEY_CURRENT_USER, User("Tarvex4\\Helmex"), "RecentFileCount", REG_DWORD, {12, 0, 0, 0});
  winsim::SetRegistryValue(HKEY_CURRENT_USER, User("Tarvex4\\Helmex\\Toolbars"), "Standard", REG_BINARY,
                           Bytes(600, 7));
  winsim::SetRegistryString(HKEY_CURRENT_USER, User("Mine"), "Own", "kept");
  CopyNewUserDefaults();

  EXPECT_EQ(UserValue(User("Tarvex4\\Helmex"), "InterfaceLanguage").data, Text("2"));
  EXPECT_EQ(UserValue(User("Tarvex4\\Helmex"), "StartPage").data, Text(""));
  EXPECT_EQ(UserValue(User("Tarvex4\\Helmex"), "RecentFileCount").data, (Bytes{8, 0, 0, 0}));
  EXPECT_EQ(UserValue(User("Tarvex4\\Helmex\\Toolbars"), "Standard").data, Bytes(600, 7));
  EXPECT_EQ(UserValue(User("Mine"), "Own").data, Text("kept"));
  EXPECT_EQ(UserValue(User("Brindo4\\Helmex"), "FormsFolder").type, DWORD(REG_EXPAND_SZ));

  // Every later start writes the REG_DWORD again, and nothing else.
  winsim::ClearCalls();
  CopyNewUserDefaults();
  EXPECT_EQ(winsim::CallCount("RegSetValueExA"), 1);
}

// A read refused for another reason than the value's absence must not cost
// the user the value: it counts as present, whether the refusal is passing
// (one failed read) or lasting.
TEST_F(NewUserDefaultsTest, PresenceReadRefusedKeepsTheUsersValue) {
  for (int refusals : {1, -1}) {
    winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kDefaults, "v", "default");
    winsim::SetRegistryString(HKEY_CURRENT_USER, kUser, "v", "mine");
    winsim::InjectFailure("RegQueryValueExA", 0, refusals, ERROR_ACCESS_DENIED);
    CopyNewUserDefaults();
    winsim::ClearInjectedFailures();
    EXPECT_EQ(UserValue(kUser, "v").data, Text("mine")) << "refusals " << refusals;
  }
}

TEST_F(NewUserDefaultsTest, UnreadableOrMissingSourceCopiesNothing) {
  SetUpDefaults();
  winsim::DenyRegistryAccess(HKEY_LOCAL_MACHINE, kDefaults, RegistryDenial::All);
  CopyNewUserDefaults();
  EXPECT_TRUE(winsim::RegistryKeyExists(HKEY_CURRENT_USER, kUser));
  EXPECT_TRUE(winsim::RegistrySubkeyNames(HKEY_CURRENT_USER, kUser).empty());
  EXPECT_EQ(winsim::CallCount("RegEnumValueA"), 0);
}

TEST_F(NewUserDefaultsTest, UserKeyThatCannotBeMadeGetsNothing) {
  SetUpDefaults();
  winsim::DenyRegistryAccess(HKEY_CURRENT_USER, "Software", RegistryDenial::Write);
  CopyNewUserDefaults();
  EXPECT_FALSE(winsim::RegistryKeyExists(HKEY_CURRENT_USER, kUser));
  EXPECT_EQ(winsim::CallCount("RegEnumValueA"), 0);
  EXPECT_EQ(winsim::CallCount("RegSetValueExA"), 0);
}

TEST_F(NewUserDefaultsTest, UnreadableSourceSubkeyArrivesEmptyAndSiblingsGoOn) {
  SetUpDefaults();
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, Defaults("A"), "a", "1");
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, Defaults("Tarvex4\\Helmex\\Toolbars\\Deeper"), "d", "1");
  winsim::DenyRegistryAccess(HKEY_LOCAL_MACHINE, Defaults("Tarvex4\\Helmex"), RegistryDenial::All);
  CopyNewUserDefaults();
  EXPECT_TRUE(winsim::RegistryKeyExists(HKEY_CURRENT_USER, User("Tarvex4\\Helmex")));
  EXPECT_TRUE(winsim::RegistryValues(HKEY_CURRENT_USER, User("Tarvex4\\Helmex")).empty());
  EXPECT_FALSE(winsim::RegistryKeyExists(HKEY_CURRENT_USER, User("Tarvex4\\Helmex\\Toolbars")));
  EXPECT_TRUE(winsim::RegistryKeyExists(HKEY_CURRENT_USER, User("Tarvex4\\Plugins")));
  EXPECT_EQ(UserValue(User("A"), "a").data, Text("1"));
  EXPECT_EQ(UserValue(User("Brindo4\\Helmex"), "FormsFolder").type, DWORD(REG_EXPAND_SZ));
}

TEST_F(NewUserDefaultsTest, UnwritableUserSubkeyGetsNothingAndSiblingsGoOn) {
  SetUpDefaults();
  winsim::DenyRegistryAccess(HKEY_CURRENT_USER, User("Tarvex4\\Helmex"), RegistryDenial::Write);
  CopyNewUserDefaults();
  EXPECT_TRUE(winsim::RegistryValues(HKEY_CURRENT_USER, User("Tarvex4\\Helmex")).empty());
  EXPECT_FALSE(winsim::RegistryKeyExists(HKEY_CURRENT_USER, User("Tarvex4\\Helmex\\Toolbars")));
  EXPECT_TRUE(winsim::RegistryKeyExists(HKEY_CURRENT_USER, User("Tarvex4\\Plugins")));
  EXPECT_EQ(UserValue(User("Brindo4\\Helmex"), "FormsFolder").type, DWORD(REG_EXPAND_SZ));
  // No write is even tried below the refused key: only the root's value and FormsFolder.
  EXPECT_EQ(winsim::CallCount("RegSetValueExA"), 2);
}

TEST_F(NewUserDefaultsTest, AFailedWriteIsSkipped) {
  for (const char* name : {"a", "b", "c"}) winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kDefaults, name, name);
  winsim::InjectFailure("RegSetValueExA", 1, 1, ERROR_ACCESS_DENIED);
  CopyNewUserDefaults();
  EXPECT_EQ(UserValue(kUser, "a").data, Text("a"));
  EXPECT_EQ(UserValue(kUser, "b").type, 0xdeadu);
  EXPECT_EQ(UserValue(kUser, "c").data, Text("c"));
}

TEST_F(NewUserDefaultsTest, ValueEnumerationFailureEndsOnlyTheValues) {
  SetUpDefaults();
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kDefaults, "second", "2");
  winsim::InjectFailure("RegEnumValueA", 1, 1, ERROR_ACCESS_DENIED);
  CopyNewUserDefaults();
  EXPECT_EQ(UserValue(kUser, "").data, Text("Tarvex 4.0 defaults"));
  EXPECT_EQ(UserValue(kUser, "second").type, 0xdeadu);
  EXPECT_EQ(UserValue(User("Tarvex4\\Helmex"), "StartPage").data, Text("Welcome"));
}

struct ListFailure {
  const char* label;
  const char* injectInto;  // or null
  int skip;
  int allocationToFail;  // or -1
  std::vector<std::string> present;
  std::vector<std::string> absent;
};

TEST_F(NewUserDefaultsTest, SubkeysLeftOutWhenTheirListCannotBeHad) {
  // Enumeration order below the root: Brindo4, Tarvex4 (Helmex, Plugins).
  const ListFailure cases[] = {
      {"no memory for the root's list", nullptr, 0, 0, {}, {"Brindo4", "Tarvex4"}},
      {"no memory for Brindo4's list", nullptr, 0, 1, {"Brindo4", "Tarvex4\\Helmex\\Toolbars", "Tarvex4\\Plugins"},
       {"Brindo4\\Helmex"}},
      {"root's count unknown", "RegQueryInfoKeyA", 0, -1, {}, {"Brindo4", "Tarvex4"}},
      {"listing fails after one name", "RegEnumKeyExA", 1, -1, {"Brindo4\\Helmex"}, {"Tarvex4"}},
  };
  for (const ListFailure& c : cases) {
    winsim::Reset();
    SetUpDefaults();
    allocationCalls = 0;
    failAt = c.allocationToFail;
    failCount = 1;
    if (c.injectInto) winsim::InjectFailure(c.injectInto, c.skip, 1, ERROR_ACCESS_DENIED);
    CopyNewUserDefaults();
    EXPECT_EQ(UserValue(kUser, "").data, Text("Tarvex 4.0 defaults")) << c.label;
    for (const std::string& path : c.present) {
      EXPECT_TRUE(winsim::RegistryKeyExists(HKEY_CURRENT_USER, User(path))) << c.label << ": " << path;
    }
    for (const std::string& path : c.absent) {
      EXPECT_FALSE(winsim::RegistryKeyExists(HKEY_CURRENT_USER, User(path))) << c.label << ": " << path;
    }
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0) << c.label;
  }
}

// A list of no slots has no room for its end: none is made, and the heap is not asked.
TEST_F(NewUserDefaultsTest, AListOfNoSlotsIsNeverMade) {
  EXPECT_EQ(AllocateSubkeyList(0), nullptr);
  EXPECT_EQ(allocationCalls, 0);
}

// Adds subkeys to the defaults root once its list has been sized.
void* GrowingAllocator(size_t bytes) {
  if (allocationCalls++ == 0) {
    for (const char* name : {"A1", "A2", "A3"}) winsim::CreateRegistryKey(HKEY_LOCAL_MACHINE, Defaults(name));
  }
  return std::malloc(bytes);
}

TEST_F(NewUserDefaultsTest, KeysAddedDuringTheCopyStayWithinTheList) {
  SetUpDefaults();
  SetSubkeyListAllocator(GrowingAllocator);
  CopyNewUserDefaults();
  // Room for the two subkeys counted: the first two names now listed.
  EXPECT_EQ(winsim::RegistrySubkeyNames(HKEY_CURRENT_USER, kUser), (std::vector<std::string>{"A1", "A2"}));
}

// ---- depth

struct ChainCopy {
  int levels;
};

void* CopyChain(void*) {
  RegKey source = RegKey::OpenForReading(HKEY_LOCAL_MACHINE, "D");
  RegKey destination = RegKey::Create(HKEY_CURRENT_USER, "U");
  source.CopyKeyTree(destination, 1);
  return nullptr;
}

void* CopyNewUserDefaultsOnThread(void*) {
  CopyNewUserDefaults();
  return nullptr;
}

void RunWithOneMebibyteStack(void* (*copy)(void*) = CopyChain, void* argument = nullptr) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 1 << 20);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attributes, copy, argument), 0);
  pthread_attr_destroy(&attributes);
  pthread_join(thread, nullptr);
}

std::string Chain(const char* top, int levels) {
  std::string path = top;
  for (int level = 1; level < levels; ++level) path += "\\d";
  return path;
}

TEST_F(NewUserDefaultsTest, The512LevelTreeCopiesOnAOneMebibyteStack) {
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, Chain("D", winsim::kMaxRegistryDepth), "leaf", "bottom");
  RunWithOneMebibyteStack();
  EXPECT_EQ(UserValue(Chain("U", winsim::kMaxRegistryDepth), "leaf").data, Text("bottom"));
}

// The deepest defaults the registry holds, 5 levels down, land 2 levels down
// for the user: every key walked and made, the leaf copied, the counts exact.
TEST_F(NewUserDefaultsTest, TheDeepestDefaultsReachTheUserThroughTheStart) {
  const int below = winsim::kMaxRegistryDepth - 5;
  std::string chain;
  for (int level = 0; level < below; ++level) chain += "\\d";
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kDefaults + chain, "leaf", "bottom");
  RunWithOneMebibyteStack(CopyNewUserDefaultsOnThread);
  EXPECT_EQ(UserValue(std::string(kUser) + chain, "leaf").data, Text("bottom"));
  ASSERT_FALSE(winsim::DebugOutput().empty());
  EXPECT_EQ(winsim::DebugOutput().back(), "TarvexLogo: new-user defaults: 508 keys walked, 508 created for the user; "
                                          "1 values copied, 0 kept\n");
}

TEST_F(NewUserDefaultsTest, ATreeDeeperThanTheRegistryAllowsStopsAtItsLimit) {
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, Chain("D", 600), "leaf", "bottom");
  RunWithOneMebibyteStack();
  EXPECT_TRUE(winsim::RegistryKeyExists(HKEY_CURRENT_USER, Chain("U", winsim::kMaxRegistryDepth)));
  EXPECT_FALSE(winsim::RegistryKeyExists(HKEY_CURRENT_USER, Chain("U", winsim::kMaxRegistryDepth + 1)));
}

}  // namespace
