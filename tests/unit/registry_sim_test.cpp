// What the simulated registry does that Wine cannot show: access control on
// keys, the 512-level depth limit, handle counts and injected failures.
#include <winsim/control.h>

#include <string>
#include <vector>

#include "startup_fixture.h"

namespace {

using winsim::RegistryDenial;

class RegistrySimTest : public ::testing::Test {
 protected:
  FreshMachine machine;
};

LONG OpenWith(const char* path, REGSAM rights) {
  HKEY key = nullptr;
  LONG status = RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, rights, &key);
  if (status == ERROR_SUCCESS) RegCloseKey(key);
  return status;
}

LONG CreateBelow(const char* path) {
  HKEY key = nullptr;
  LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
  if (status == ERROR_SUCCESS) RegCloseKey(key);
  return status;
}

TEST_F(RegistrySimTest, DenialsActOnOneKeyLikeAnAcl) {
  winsim::CreateRegistryKey(HKEY_CURRENT_USER, "W\\Child");
  winsim::CreateRegistryKey(HKEY_CURRENT_USER, "A\\Child");
  winsim::DenyRegistryAccess(HKEY_CURRENT_USER, "W", RegistryDenial::Write);
  winsim::DenyRegistryAccess(HKEY_CURRENT_USER, "A", RegistryDenial::All);

  EXPECT_EQ(OpenWith("W", KEY_READ), ERROR_SUCCESS);
  EXPECT_EQ(OpenWith("W", KEY_READ | KEY_WRITE), ERROR_ACCESS_DENIED);
  EXPECT_EQ(CreateBelow("W"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(CreateBelow("W\\New"), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(winsim::RegistryKeyExists(HKEY_CURRENT_USER, "W\\New"));
  EXPECT_EQ(CreateBelow("W\\Child"), ERROR_SUCCESS) << "the denial is the key's own, not its subtree's";

  EXPECT_EQ(OpenWith("A", KEY_READ), ERROR_ACCESS_DENIED);
  EXPECT_EQ(CreateBelow("A\\New"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(OpenWith("A\\Child", KEY_READ), ERROR_SUCCESS);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0);
}

TEST_F(RegistrySimTest, KeysGoNoDeeperThan512Levels) {
  HKEY current = HKEY_CURRENT_USER;
  for (int level = 1; level <= winsim::kMaxRegistryDepth; ++level) {
    HKEY next = nullptr;
    ASSERT_EQ(RegCreateKeyExA(current, "d", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &next, nullptr), ERROR_SUCCESS)
        << "level " << level;
    if (current != HKEY_CURRENT_USER) RegCloseKey(current);
    current = next;
  }
  HKEY tooDeep = reinterpret_cast<HKEY>(0x1234);
  EXPECT_EQ(RegCreateKeyExA(current, "d", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &tooDeep, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(tooDeep, nullptr);
  RegCloseKey(current);

  // A path that would cross the limit creates none of its keys.
  std::string chain;
  for (int level = 0; level < 500; ++level) chain += level ? "\\e" : "e";
  winsim::CreateRegistryKey(HKEY_CURRENT_USER, chain);  // set up without limits
  HKEY deep = HKEY_CURRENT_USER;
  for (int level = 1; level <= 500; ++level) {
    HKEY next = nullptr;
    ASSERT_EQ(RegOpenKeyExA(deep, "e", 0, KEY_ALL_ACCESS, &next), ERROR_SUCCESS);
    if (deep != HKEY_CURRENT_USER) RegCloseKey(deep);
    deep = next;
  }
  HKEY created = nullptr;
  EXPECT_EQ(RegCreateKeyExA(deep, "f\\f\\f\\f\\f\\f\\f\\f\\f\\f\\f\\f\\f", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &created, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegOpenKeyExA(deep, "f", 0, KEY_READ, &created), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCreateKeyExA(deep, "f\\f\\f\\f\\f\\f\\f\\f\\f\\f\\f\\f", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &created, nullptr),
            ERROR_SUCCESS);  // twelve more reach level 512 exactly
  RegCloseKey(created);
  RegCloseKey(deep);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0);
}

TEST_F(RegistrySimTest, QueryInfoNeedsTheRightToQueryValues) {
  winsim::CreateRegistryKey(HKEY_CURRENT_USER, "K");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_ENUMERATE_SUB_KEYS, &key), ERROR_SUCCESS);
  DWORD subkeys = 0xdeadbeef;
  EXPECT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(subkeys, 0xdeadbeef);
  RegCloseKey(key);
}

TEST_F(RegistrySimTest, InjectedFailuresGiveTheirCodeOrATypicalOne) {
  winsim::CreateRegistryKey(HKEY_CURRENT_USER, "K");
  HKEY key = reinterpret_cast<HKEY>(0x1234);
  winsim::InjectFailure("RegOpenKeyExA");
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_READ, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(key, nullptr);
  winsim::InjectFailure("RegOpenKeyExA", 0, 1, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0);

  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  const BYTE data[] = {'x', 0};
  winsim::InjectFailure("RegSetValueExA", 0, 1, ERROR_MORE_DATA);
  EXPECT_EQ(RegSetValueExA(key, "v", 0, REG_SZ, data, 2), ERROR_MORE_DATA);
  EXPECT_TRUE(winsim::RegistryValues(HKEY_CURRENT_USER, "K").empty());
  winsim::InjectFailure("RegCloseKey");
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 1);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0);
}

TEST_F(RegistrySimTest, OnlyRealHandlesCountAndResetEmptiesEverything) {
  HKEY root = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, nullptr, 0, KEY_READ, &root), ERROR_SUCCESS);
  EXPECT_EQ(root, HKEY_CURRENT_USER);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0);

  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\K", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 1);
  winsim::Reset();
  EXPECT_FALSE(winsim::RegistryKeyExists(HKEY_LOCAL_MACHINE, "Software"));
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

}  // namespace
