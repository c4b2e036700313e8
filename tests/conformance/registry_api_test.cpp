// The registry behaviours the library and its unit tests rely on, as the
// platform shows them: names, order, paths, limits, size rules, access.
#include <cstring>
#include <string>
#include <vector>

#include "scratch_key.h"

namespace {

using RegistryApi = ScratchKeyTest;

TEST_F(RegistryApi, EnumeratesSubkeysAndValuesByLowerCaseNameShortestFirst) {
  HKEY parent = Key("Order");
  for (const char* name : {"b", "A_B", "Ab", "a", "a b", "B1", "_x", "[", "Z", "~", "0"}) {
    HKEY child = nullptr;
    ASSERT_EQ(RegCreateKeyExA(parent, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr), ERROR_SUCCESS);
    RegCloseKey(child);
    Set(parent, name, REG_SZ, TextBytes("x"));
  }
  Set(parent, "", REG_SZ, TextBytes("default"));
  const std::vector<std::string> order = {"0", "[", "_x", "a", "a b", "A_B", "Ab", "b", "B1", "Z", "~"};
  EXPECT_EQ(SubkeyNames(parent), order);
  std::vector<std::string> values = {""};
  values.insert(values.end(), order.begin(), order.end());
  EXPECT_EQ(ValueNames(parent), values);
}

TEST_F(RegistryApi, NamesIgnoreLetterCaseAndKeepTheirFirstSpelling) {
  HKEY parent = Key("Case");
  HKEY child = nullptr;
  DWORD disposition = 0xdeadbeef;
  ASSERT_EQ(RegCreateKeyExA(parent, "kCase", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
  RegCloseKey(child);
  ASSERT_EQ(RegCreateKeyExA(parent, "KCASE", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  RegCloseKey(child);
  EXPECT_EQ(SubkeyNames(parent), std::vector<std::string>{"kCase"});

  Set(parent, "vCase", REG_SZ, TextBytes("1"));
  Set(parent, "VCASE", REG_DWORD, {2, 0, 0, 0});
  EXPECT_EQ(ValueNames(parent), std::vector<std::string>{"vCase"});
  StoredValue value = Get(parent, "vcase");
  EXPECT_EQ(value.type, DWORD(REG_DWORD));
  EXPECT_EQ(value.data, (Bytes{2, 0, 0, 0}));
}

TEST_F(RegistryApi, CreateMakesEveryMissingKeyOnThePath) {
  HKEY key = nullptr;
  DWORD disposition = 0xdeadbeef;
  ASSERT_EQ(
      RegCreateKeyExA(scratch.get(), "One\\Two\\Three", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
      ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
  Set(key, "Here", REG_SZ, TextBytes("3"));
  RegCloseKey(key);
  EXPECT_EQ(Get(Key("One\\Two\\Three"), "Here").data, TextBytes("3"));

  ASSERT_EQ(
      RegCreateKeyExA(scratch.get(), "one\\TWO\\three", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
      ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  RegCloseKey(key);

  // Doubled and trailing backslashes are skipped; a leading one is refused.
  ASSERT_EQ(RegCreateKeyExA(scratch.get(), "Four\\\\Five\\", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_TRUE(Exists("Four\\Five"));
  key = reinterpret_cast<HKEY>(0x1234);
  EXPECT_EQ(RegCreateKeyExA(scratch.get(), "\\Six", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_BAD_PATHNAME);
  EXPECT_EQ(key, nullptr);
  EXPECT_FALSE(Exists("Six"));
}

TEST_F(RegistryApi, OpeningAMissingKeyFailsAndCreatesNothing) {
  HKEY key = reinterpret_cast<HKEY>(0x1234);
  EXPECT_EQ(RegOpenKeyExA(scratch.get(), "Missing\\Deeper", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(SubkeyNames(scratch.get()), std::vector<std::string>{});
  key = reinterpret_cast<HKEY>(0x1234);
  EXPECT_EQ(RegOpenKeyExA(scratch.get(), "\\Missing", 0, KEY_READ, &key), ERROR_BAD_PATHNAME);
  EXPECT_EQ(key, nullptr);
}

TEST_F(RegistryApi, KeyNamesUpTo256CharactersAndPathsUpTo260) {
  const std::string name256(256, 'k');
  const std::string name257(257, 'k');
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(scratch.get(), name256.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  ASSERT_EQ(RegOpenKeyExA(scratch.get(), name256.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(RegCreateKeyExA(scratch.get(), name257.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegOpenKeyExA(scratch.get(), name257.c_str(), 0, KEY_READ, &key), ERROR_INVALID_PARAMETER);

  // Paths are counted whole by the ANSI functions: 260 characters pass, 261 do not.
  std::string path260 = std::string(200, 'p') + "\\" + std::string(59, 'q');
  std::string path261 = std::string(200, 'r') + "\\" + std::string(60, 'q');
  ASSERT_EQ(RegCreateKeyExA(scratch.get(), path260.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(RegCreateKeyExA(scratch.get(), path261.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_MORE_DATA);
  EXPECT_EQ(RegOpenKeyExA(scratch.get(), path260.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_FALSE(Exists(std::string(200, 'r')));
}

TEST_F(RegistryApi, ValueNamesUpTo16383Characters) {
  HKEY key = Key("Names");
  const Bytes data = TextBytes("a");
  EXPECT_EQ(RegSetValueExA(key, std::string(16383, 'v').c_str(), 0, REG_SZ, data.data(), 2), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, std::string(16384, 'w').c_str(), 0, REG_SZ, data.data(), 2),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(ValueNames(key).size(), 1u);
}

struct QueryCase {
  const char* value;
  DWORD capacity;
  LONG status;
  DWORD size;
  const char* bytes;  // buffer start afterwards, as hex; '#' (23) is the preset
};

TEST_F(RegistryApi, QueryValueSizeRules) {
  HKEY key = Key("Query");
  Set(key, "text", REG_SZ, TextBytes("hello"));
  Set(key, "unterminated", REG_SZ, TextBytes("abc", false));
  Set(key, "binary", REG_BINARY, {1, 2, 3, 4, 5});
  Set(key, "zero", REG_SZ, {});
  const QueryCase cases[] = {
      {"text", 0, ERROR_MORE_DATA, 6, "23 23 23 23 23 23 23 "},
      {"text", 5, ERROR_MORE_DATA, 6, "23 23 23 23 23 23 23 "},
      {"text", 6, ERROR_SUCCESS, 6, "68 65 6c 6c 6f 00 23 "},
      {"text", 16, ERROR_SUCCESS, 6, "68 65 6c 6c 6f 00 23 "},
      // A string stored without its terminator: one is added only when there is room.
      {"unterminated", 2, ERROR_MORE_DATA, 3, "23 23 23 23 23 23 23 "},
      {"unterminated", 3, ERROR_SUCCESS, 3, "61 62 63 23 23 23 23 "},
      {"unterminated", 4, ERROR_SUCCESS, 3, "61 62 63 00 23 23 23 "},
      {"binary", 4, ERROR_MORE_DATA, 5, "23 23 23 23 23 23 23 "},
      {"binary", 16, ERROR_SUCCESS, 5, "01 02 03 04 05 23 23 "},
      {"zero", 16, ERROR_SUCCESS, 0, "23 23 23 23 23 23 23 "},
  };
  for (const QueryCase& c : cases) {
    BYTE buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    DWORD size = c.capacity;
    DWORD type = 0xdeadbeef;
    EXPECT_EQ(RegQueryValueExA(key, c.value, nullptr, &type, buffer, &size), c.status)
        << c.value << " capacity " << c.capacity;
    EXPECT_EQ(size, c.size) << c.value << " capacity " << c.capacity;
    EXPECT_EQ(HexOf(buffer, 7), c.bytes) << c.value << " capacity " << c.capacity;
    EXPECT_NE(type, 0xdeadbeef);
  }

  // Without a buffer only the size is given.
  DWORD size = 0xdeadbeef;
  DWORD type = 0xdeadbeef;
  EXPECT_EQ(RegQueryValueExA(key, "text", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(type, DWORD(REG_SZ));

  // A missing value: type REG_NONE; the size is left alone when a buffer is given.
  BYTE buffer[8] = {};
  size = 8;
  type = 0xdeadbeef;
  EXPECT_EQ(RegQueryValueExA(key, "missing", nullptr, &type, buffer, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(type, DWORD(REG_NONE));
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(RegQueryValueExA(key, "text", nullptr, &type, buffer, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryApi, AStringWrittenWithoutItsTerminatorGetsItWhenTheNextByteIsZero) {
  HKEY key = Key("Forgotten");
  const BYTE data[] = {'a', 'b', 'c', 0, 0};
  for (DWORD type : {DWORD(REG_SZ), DWORD(REG_EXPAND_SZ), DWORD(REG_MULTI_SZ), DWORD(REG_BINARY), DWORD(REG_DWORD)}) {
    ASSERT_EQ(RegSetValueExA(key, "v", 0, type, data, 3), ERROR_SUCCESS);
    StoredValue value = Get(key, "v");
    bool isString = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
    EXPECT_EQ(value.data.size(), isString ? 4u : 3u) << "type " << type;
  }
}

TEST_F(RegistryApi, EnumKeyNameLengthCountsTheTerminatorOnTheWayIn) {
  HKEY parent = Key("EnumKey");
  Make("EnumKey\\abcde");
  struct Case {
    DWORD capacity;
    LONG status;
    DWORD length;
    const char* name;
  };
  const Case cases[] = {
      {0, ERROR_MORE_DATA, 0, "########"},
      {5, ERROR_MORE_DATA, 5, "########"},
      {6, ERROR_SUCCESS, 5, "abcde"},
      {7, ERROR_SUCCESS, 5, "abcde"},
  };
  for (const Case& c : cases) {
    char name[16];
    std::memset(name, '#', sizeof name);
    name[8] = 0;
    DWORD length = c.capacity;
    EXPECT_EQ(RegEnumKeyExA(parent, 0, name, &length, nullptr, nullptr, nullptr, nullptr), c.status)
        << "capacity " << c.capacity;
    EXPECT_EQ(length, c.length) << "capacity " << c.capacity;
    EXPECT_STREQ(name, c.name) << "capacity " << c.capacity;
  }
  char name[16];
  DWORD length = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(parent, 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(length, DWORD(sizeof name));
}

TEST_F(RegistryApi, EnumValueReportsDataFirstThenCutsTheName) {
  HKEY key = Key("EnumValue");
  Set(key, "vname", REG_SZ, TextBytes("hello"));
  struct Case {
    DWORD nameCapacity, dataCapacity;
    LONG status;
    DWORD nameLength, dataSize;
    const char* name;
    const char* data;
  };
  const Case cases[] = {
      // Data too large: only type and size come back.
      {16, 5, ERROR_MORE_DATA, 16, 6, "########", "########"},
      {4, 0, ERROR_MORE_DATA, 4, 6, "########", "########"},
      // Data fit but the name does not: the name arrives cut, its length unchanged.
      {0, 6, ERROR_MORE_DATA, 0, 6, "########", "hello"},
      {4, 6, ERROR_MORE_DATA, 4, 6, "vna", "hello"},
      {5, 16, ERROR_MORE_DATA, 5, 6, "vnam", "hello"},
      {6, 6, ERROR_SUCCESS, 5, 6, "vname", "hello"},
  };
  for (const Case& c : cases) {
    char name[16];
    BYTE data[16];
    std::memset(name, '#', sizeof name);
    std::memset(data, '#', sizeof data);
    name[8] = 0;
    data[8] = 0;
    DWORD nameLength = c.nameCapacity;
    DWORD dataSize = c.dataCapacity;
    DWORD type = 0xdeadbeef;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &nameLength, nullptr, &type, data, &dataSize), c.status)
        << c.nameCapacity << "/" << c.dataCapacity;
    EXPECT_EQ(nameLength, c.nameLength) << c.nameCapacity << "/" << c.dataCapacity;
    EXPECT_EQ(dataSize, c.dataSize) << c.nameCapacity << "/" << c.dataCapacity;
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_STREQ(name, c.name) << c.nameCapacity << "/" << c.dataCapacity;
    EXPECT_STREQ(reinterpret_cast<char*>(data), c.data) << c.nameCapacity << "/" << c.dataCapacity;
  }

  // A binary value too large for the buffer: nothing is copied.
  Set(key, "vname", REG_BINARY, Bytes(10, 7));
  BYTE data[8];
  std::memset(data, 0xee, sizeof data);
  char name[16] = "########";
  DWORD nameLength = sizeof name;
  DWORD dataSize = 4;
  EXPECT_EQ(RegEnumValueA(key, 0, name, &nameLength, nullptr, nullptr, data, &dataSize), ERROR_MORE_DATA);
  EXPECT_EQ(dataSize, 10u);
  EXPECT_EQ(data[0], 0xee);
  EXPECT_STREQ(name, "########");

  // The unnamed value is enumerated under the empty name.
  Set(key, "", REG_SZ, TextBytes("d"));
  nameLength = 1;
  dataSize = sizeof data;
  EXPECT_EQ(RegEnumValueA(key, 0, name, &nameLength, nullptr, nullptr, data, &dataSize), ERROR_SUCCESS);
  EXPECT_EQ(nameLength, 0u);
  EXPECT_STREQ(name, "");
  nameLength = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 2, name, &nameLength, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryApi, QueryInfoCountsCharactersAndHeldSizes) {
  HKEY key = Key("Info");
  Make("Info\\abcdef");
  Make("Info\\x");
  Set(key, "", REG_SZ, TextBytes("d"));
  Set(key, "longername", REG_BINARY, Bytes(700, 1));
  Set(key, "text", REG_SZ, Bytes(400, 'a'));
  DWORD counts[6];
  for (DWORD& count : counts) count = 0xdeadbeef;
  char keyClass[8] = "#######";
  DWORD classLength = sizeof keyClass;
  ASSERT_EQ(RegQueryInfoKeyA(key, keyClass, &classLength, nullptr, &counts[0], &counts[1], &counts[2], &counts[3],
                             &counts[4], &counts[5], nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(counts[0], 2u);    // subkeys
  EXPECT_EQ(counts[1], 6u);    // longest subkey name, in characters
  EXPECT_EQ(counts[2], 0u);    // longest class
  EXPECT_EQ(counts[3], 3u);    // values
  EXPECT_EQ(counts[4], 10u);   // longest value name, in characters
  EXPECT_EQ(counts[5], 800u);  // the 400-byte string, held as UTF-16
  EXPECT_EQ(classLength, 0u);
  EXPECT_EQ(keyClass[0], '\0');
}

TEST_F(RegistryApi, AccessIsCheckedPerHandleButNotOnTheParentOfANewKey) {
  HKEY full = Key("Access");
  Set(full, "v", REG_SZ, TextBytes("1"));
  HKEY readOnly = nullptr;
  ASSERT_EQ(RegOpenKeyExA(full, "", 0, KEY_READ, &readOnly), ERROR_SUCCESS);
  opened.emplace_back(readOnly);
  const Bytes data = TextBytes("2");
  EXPECT_EQ(RegSetValueExA(readOnly, "v", 0, REG_SZ, data.data(), 2), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueA(readOnly, "v"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Get(full, "v").data, TextBytes("1"));
  // All Windows versions create a subkey below a handle without that right.
  HKEY child = nullptr;
  EXPECT_EQ(RegCreateKeyExA(readOnly, "Child", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &child, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(child);
  EXPECT_TRUE(Exists("Access\\Child"));

  HKEY setOnly = nullptr;
  ASSERT_EQ(RegOpenKeyExA(full, "", 0, KEY_SET_VALUE, &setOnly), ERROR_SUCCESS);
  opened.emplace_back(setOnly);
  BYTE buffer[8];
  DWORD size = sizeof buffer;
  EXPECT_EQ(RegQueryValueExA(setOnly, "v", nullptr, nullptr, buffer, &size), ERROR_ACCESS_DENIED);
  char name[16];
  DWORD length = sizeof name;
  EXPECT_EQ(RegEnumValueA(setOnly, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
  length = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(setOnly, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegSetValueExA(setOnly, "v", 0, REG_SZ, data.data(), 2), ERROR_SUCCESS);
}

TEST_F(RegistryApi, ClosedAndNullHandlesAreRejected) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(scratch.get(), "", 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_NE(key, scratch.get());
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  BYTE buffer[8];
  DWORD size = sizeof buffer;
  EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, buffer, &size), ERROR_INVALID_HANDLE);
  const Bytes data = TextBytes("x");
  EXPECT_EQ(RegSetValueExA(key, "v", 0, REG_SZ, data.data(), 2), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);

  HKEY untouched = reinterpret_cast<HKEY>(0x1234);
  EXPECT_EQ(RegOpenKeyExA(nullptr, "Software", 0, KEY_READ, &untouched), ERROR_INVALID_HANDLE);
  EXPECT_EQ(untouched, reinterpret_cast<HKEY>(0x1234));
  // An empty path on a predefined root gives the root itself.
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, KEY_READ, &untouched), ERROR_SUCCESS);
  EXPECT_EQ(untouched, HKEY_CURRENT_USER);
}

TEST_F(RegistryApi, HandlesToADeletedKeyReportIt) {
  HKEY gone = Key("Gone");
  EXPECT_EQ(RegDeleteTreeA(scratch.get(), "Gone"), ERROR_SUCCESS);
  const Bytes data = TextBytes("x");
  EXPECT_EQ(RegSetValueExA(gone, "v", 0, REG_SZ, data.data(), 2), ERROR_KEY_DELETED);
  BYTE buffer[8];
  DWORD size = sizeof buffer;
  EXPECT_EQ(RegQueryValueExA(gone, "v", nullptr, nullptr, buffer, &size), ERROR_KEY_DELETED);
  char name[16];
  DWORD length = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(gone, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
  HKEY child = nullptr;
  EXPECT_EQ(RegCreateKeyExA(gone, "Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
            ERROR_KEY_DELETED);
  EXPECT_FALSE(Exists("Gone"));
}

TEST_F(RegistryApi, DeleteTreeRemovesASubtreeOrEmptiesAKey) {
  HKEY key = Key("Tree\\Sub\\Leaf");
  Set(key, "v", REG_SZ, TextBytes("1"));
  Set(Key("Tree"), "w", REG_SZ, TextBytes("2"));
  EXPECT_EQ(RegDeleteTreeA(scratch.get(), "Tree\\Sub"), ERROR_SUCCESS);
  EXPECT_FALSE(Exists("Tree\\Sub"));
  EXPECT_TRUE(Exists("Tree"));
  EXPECT_EQ(RegDeleteTreeA(Key("Tree"), nullptr), ERROR_SUCCESS);
  EXPECT_TRUE(Exists("Tree"));
  EXPECT_EQ(ValueNames(Key("Tree")), std::vector<std::string>{});
  EXPECT_EQ(RegDeleteTreeA(scratch.get(), "Missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(scratch.get(), "missing"), ERROR_FILE_NOT_FOUND);
}

}  // namespace
