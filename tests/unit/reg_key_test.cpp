// RegKey when the registry refuses: failed opens, failed queries and writes,
// listings cut short, and the machine-wide setting reader.
#include <winsim/control.h>

#include <cstring>
#include <string>
#include <vector>

#include "settings/reg_key.h"
#include "startup_fixture.h"

namespace {

using winsim::RegistryDenial;

const char kKey[] = "Software\\Test";

class RegKeyTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0) << "a registry key was left open";
  }
  FreshMachine machine;
};

struct OpenFailure {
  const char* label;
  bool readOnly;
  const char* injectInto;     // function made to fail, or null
  const char* deniedPath;     // key given a denial, or null
  RegistryDenial denial;
  const char* path;           // opened below HKEY_CURRENT_USER
  bool opens;
};

TEST_F(RegKeyTest, FailedOpensLeaveNoHandleAndCreateNothing) {
  const OpenFailure cases[] = {
      {"read-only, open refused", true, "RegOpenKeyExA", nullptr, RegistryDenial::None, kKey, false},
      {"writable, create refused", false, "RegCreateKeyExA", nullptr, RegistryDenial::None, kKey, false},
      {"read-only, key not openable", true, nullptr, kKey, RegistryDenial::All, kKey, false},
      {"writable, key not writable", false, nullptr, kKey, RegistryDenial::Write, kKey, false},
      {"read-only, key not writable", true, nullptr, kKey, RegistryDenial::Write, kKey, true},
      {"writable, parent not writable", false, nullptr, kKey, RegistryDenial::Write, "Software\\Test\\New\\Deeper",
       false},
  };
  for (const OpenFailure& c : cases) {
    winsim::Reset();
    winsim::CreateRegistryKey(HKEY_CURRENT_USER, kKey);
    if (c.injectInto) winsim::InjectFailure(c.injectInto, 0, 1, ERROR_ACCESS_DENIED);
    if (c.deniedPath) winsim::DenyRegistryAccess(HKEY_CURRENT_USER, c.deniedPath, c.denial);
    {
      const RegKey key = c.readOnly ? RegKey::OpenForReading(HKEY_CURRENT_USER, c.path)
                                    : RegKey::Create(HKEY_CURRENT_USER, c.path);
      EXPECT_EQ(key.IsOpen(), c.opens) << c.label;
      EXPECT_EQ(key.OpenStatus(), c.opens ? ERROR_SUCCESS : ERROR_ACCESS_DENIED) << c.label;
      EXPECT_FALSE(key.WasCreated()) << c.label;
    }
    EXPECT_FALSE(winsim::RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Test\\New")) << c.label;
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0) << c.label;
    EXPECT_EQ(winsim::CallCount("RegCloseKey"), c.opens ? 1 : 0) << c.label;
  }
}

TEST_F(RegKeyTest, RefusedQueriesAndWritesFallBack) {
  winsim::SetRegistryString(HKEY_CURRENT_USER, kKey, "v", "stored");
  RegKey key = RegKey::Create(HKEY_CURRENT_USER, kKey);

  winsim::InjectFailure("RegQueryValueExA", 0, 1, ERROR_ACCESS_DENIED);
  char buffer[512];
  int defaultUsed = 0x0dead;
  EXPECT_EQ(key.ReadString("v", "dflt", buffer, &defaultUsed), 4);
  EXPECT_STREQ(buffer, "dflt");
  EXPECT_EQ(defaultUsed, 1);

  winsim::InjectFailure("RegSetValueExA", 0, 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(key.WriteString("v", "new"), 0);
  EXPECT_EQ(key.ReadString("v", "dflt", buffer, nullptr), 6);
  EXPECT_STREQ(buffer, "stored");
}

TEST_F(RegKeyTest, ListingEndsQuietlyAtTheFirstEnumerationFailure) {
  for (const char* name : {"a", "b", "c", "d"}) winsim::CreateRegistryKey(HKEY_CURRENT_USER, std::string(kKey) + "\\" + name);
  RegKey key = RegKey::OpenForReading(HKEY_CURRENT_USER, kKey);
  winsim::InjectFailure("RegEnumKeyExA", 2, 1, ERROR_ACCESS_DENIED);
  std::vector<char> list(5 * kSubkeyNameSlotSize, '#');
  key.EnumSubkeyNames(list.data(), 5);
  EXPECT_STREQ(&list[0], "a");
  EXPECT_STREQ(&list[kSubkeyNameSlotSize], "b");
  EXPECT_EQ(list[2 * kSubkeyNameSlotSize], '\0');
}

// The last slot given ends the list, whatever the key holds; nothing is
// written past the slots, and none into a list of no slots.
TEST_F(RegKeyTest, AListNeverRunsPastItsSlots) {
  for (const char* name : {"a", "b", "c"}) winsim::CreateRegistryKey(HKEY_CURRENT_USER, std::string(kKey) + "\\" + name);
  RegKey key = RegKey::OpenForReading(HKEY_CURRENT_USER, kKey);
  const struct {
    DWORD slots;
    std::vector<std::string> expected;  // every slot given, then the guard's first byte
  } rows[] = {{0, {"#"}}, {1, {"", "#"}}, {3, {"a", "b", "", "#"}}};
  for (const auto& row : rows) {
    std::vector<char> list((row.slots + 1) * kSubkeyNameSlotSize, '#');
    key.EnumSubkeyNames(list.data(), row.slots);
    std::vector<std::string> slots;
    for (DWORD i = 0; i < row.slots; ++i) slots.emplace_back(&list[i * kSubkeyNameSlotSize]);
    slots.emplace_back(1, list[row.slots * kSubkeyNameSlotSize]);
    EXPECT_EQ(slots, row.expected) << row.slots << " slots";
  }
}

TEST_F(RegKeyTest, FailedQueryInfoGivesZeros) {
  winsim::CreateRegistryKey(HKEY_CURRENT_USER, std::string(kKey) + "\\Sub");
  RegKey key = RegKey::OpenForReading(HKEY_CURRENT_USER, kKey);
  winsim::InjectFailure("RegQueryInfoKeyA", 0, 1, ERROR_ACCESS_DENIED);
  RegKeyInfo info;
  std::memset(&info, 0xbe, sizeof info);
  EXPECT_EQ(key.QueryInfo(nullptr), 0) << "nowhere to answer";
  EXPECT_EQ(key.QueryInfo(&info), 0) << "zeros for want of an answer are not the key's counts";
  EXPECT_EQ(info.subKeyCount, 0u);
  EXPECT_EQ(info.maxSubKeyNameLength, 0u);
  EXPECT_EQ(info.maxClassLength, 0u);
  EXPECT_EQ(info.valueCount, 0u);
  EXPECT_EQ(info.maxValueNameLength, 0u);
  EXPECT_EQ(info.maxValueDataSize, 0u);
}

// A writable key says whether it was made now; a read-only one never does.
TEST_F(RegKeyTest, CreatedTellsANewKeyFromOneThatExisted) {
  RegKey made = RegKey::Create(HKEY_CURRENT_USER, kKey);
  EXPECT_TRUE(made.WasCreated());
  made.Close();
  EXPECT_FALSE(made.WasCreated());
  const RegKey again = RegKey::Create(HKEY_CURRENT_USER, kKey);
  EXPECT_FALSE(again.WasCreated());
  const RegKey reader = RegKey::OpenForReading(HKEY_CURRENT_USER, kKey);
  EXPECT_FALSE(reader.WasCreated());
  const RegKey never;
  EXPECT_EQ(never.OpenStatus(), ERROR_INVALID_HANDLE);
}

// Only the owner knows that a key it made holds no values, and a write
// through it ends that: the copy then reads before it writes and keeps the
// user's value. A refused write changes nothing, and the copy writes unread.
TEST_F(RegKeyTest, AKeyWrittenIntoIsNoLongerTakenForEmpty) {
  const struct {
    const char* label;
    bool writeRefused;
    int presenceReads;
    std::vector<BYTE> language;
  } cases[] = {
      {"written", false, 1, {'1', 0}},
      {"write refused", true, 0, {'2', 0}},
  };
  for (const auto& c : cases) {
    winsim::Reset();
    winsim::SetRegistryString(HKEY_LOCAL_MACHINE, "Software\\Defaults", "Language", "2");
    const RegKey defaults = RegKey::OpenForReading(HKEY_LOCAL_MACHINE, "Software\\Defaults");
    RegKey user = RegKey::Create(HKEY_CURRENT_USER, kKey);
    if (c.writeRefused) winsim::InjectFailure("RegSetValueExA", 0, 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(user.WriteString("Language", "1"), c.writeRefused ? 0 : 1) << c.label;
    winsim::ClearCalls();
    defaults.CopyKeyTree(user, 1);
    EXPECT_EQ(winsim::CallCount("RegQueryValueExA"), c.presenceReads) << c.label;
    winsim::RegistryValue kept;
    ASSERT_TRUE(winsim::GetRegistryValue(HKEY_CURRENT_USER, kKey, "Language", &kept)) << c.label;
    EXPECT_EQ(kept.data, c.language) << c.label;
  }
}

TEST_F(RegKeyTest, CloseIgnoresItsResultAndRunsOnce) {
  winsim::CreateRegistryKey(HKEY_CURRENT_USER, kKey);
  RegKey key = RegKey::OpenForReading(HKEY_CURRENT_USER, kKey);
  winsim::InjectFailure("RegCloseKey", 0, 1, ERROR_INVALID_HANDLE);
  key.Close();
  EXPECT_FALSE(key.IsOpen());
  key.Close();
  EXPECT_EQ(winsim::CallCount("RegCloseKey"), 1);
  winsim::Reset();  // the simulated failure kept the key open
}

TEST_F(RegKeyTest, DestructionClosesTheKey) {
  winsim::CreateRegistryKey(HKEY_CURRENT_USER, kKey);
  {
    RegKey key = RegKey::Create(HKEY_CURRENT_USER, kKey);
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 1);
  }
  EXPECT_EQ(winsim::CallCount("RegCloseKey"), 1);
}

// ---- ReadMachineSetting

struct MachineCase {
  const char* label;
  bool keyPresent;
  DWORD type;
  std::vector<BYTE> data;
  const char* failing;
  std::string expected;
};

TEST_F(RegKeyTest, ReadMachineSettingGivesTextOrNothing) {
  const MachineCase cases[] = {
      {"key missing", false, 0, {}, nullptr, ""},
      {"value missing", true, 0, {}, nullptr, ""},
      {"string", true, REG_SZ, {'1', 0}, nullptr, "1"},
      {"expandable string", true, REG_EXPAND_SZ, {'0', 'x', 0}, nullptr, "0x"},
      {"REG_DWORD", true, REG_DWORD, {1, 0, 0, 0}, nullptr, ""},
      {"600 bytes", true, REG_SZ, std::vector<BYTE>(600, '1'), nullptr, ""},
      {"key not openable", true, REG_SZ, {'1', 0}, "RegOpenKeyExA", ""},
  };
  for (const MachineCase& c : cases) {
    winsim::Reset();
    if (c.keyPresent) winsim::CreateRegistryKey(HKEY_LOCAL_MACHINE, "Software\\Pellix\\Tarvex\\4.0");
    if (c.type != 0) winsim::SetRegistryValue(HKEY_LOCAL_MACHINE, "Software\\Pellix\\Tarvex\\4.0", "DisableForms", c.type, c.data);
    if (c.failing) winsim::InjectFailure(c.failing);
    char buffer[512 + 8];
    std::memset(buffer, '#', sizeof buffer);
    ReadMachineSetting(buffer, "DisableForms");
    EXPECT_EQ(std::string(buffer), c.expected) << c.label;
    EXPECT_EQ(std::string(buffer + 512, 8), std::string(8, '#')) << c.label;
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0) << c.label;
  }
}

}  // namespace
