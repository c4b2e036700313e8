// RegKey and the tree copy on the platform's registry: string reads, opens,
// listings, and the copy's presence rules, boundaries and depth.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#endif

#include "guarded_buffer.h"
#include "scratch_key.h"
#include "settings/reg_key.h"
#include "settings/subkey_list.h"

namespace {

// ---- ReadString

struct ReadCase {
  const char* label;
  bool present;
  DWORD type;
  Bytes data;
  std::string defaultText;
  DWORD bufferSize;
  int result;
  std::string text;
  int defaultUsed;
};

std::vector<ReadCase> ReadCases() {
  const std::string long600(600, 'd');
  return {
      {"three characters", true, REG_SZ, TextBytes("abc"), "dflt", 512, 3, "abc", 0},
      {"empty string", true, REG_SZ, TextBytes(""), "dflt", 512, 0, "", 0},
      {"zero bytes of REG_SZ", true, REG_SZ, {}, "dflt", 512, 0, "", 0},
      {"missing", false, 0, {}, "0", 512, 1, "0", 1},
      {"REG_DWORD", true, REG_DWORD, {1, 0, 0, 0}, "dflt", 512, 4, "dflt", 1},
      {"REG_MULTI_SZ", true, REG_MULTI_SZ, Bytes{'a', 0, 'b', 0, 0}, "dflt", 512, 4, "dflt", 1},
      {"REG_NONE", true, REG_NONE, {}, "dflt", 512, 4, "dflt", 1},
      {"REG_EXPAND_SZ unexpanded", true, REG_EXPAND_SZ, TextBytes("%SystemRoot%\\x"), "dflt", 512, 14,
       "%SystemRoot%\\x", 0},
      {"511 characters", true, REG_SZ, TextBytes(std::string(511, 's')), "dflt", 512, 511, std::string(511, 's'), 0},
      {"513 bytes of REG_SZ", true, REG_SZ, TextBytes(std::string(512, 's')), "dflt", 512, 511, "", 0},
      {"513 bytes of REG_BINARY", true, REG_BINARY, Bytes(513, 'b'), "dflt", 512, 511, "", 0},
      {"513 bytes of REG_DWORD", true, REG_DWORD, Bytes(513, 'w'), "dflt", 512, 511, "", 0},
      {"512 bytes without terminator", true, REG_SZ, TextBytes(std::string(512, 'y'), false), "dflt", 512, 511,
       std::string(511, 'y'), 0},
      {"3 bytes without terminator", true, REG_SZ, TextBytes("abc", false), "dflt", 512, 3, "abc", 0},
      {"embedded zero", true, REG_SZ, Bytes{'a', 'b', 0, 'c', 0}, "dflt", 512, 2, "ab", 0},
      {"600-character default", false, 0, {}, long600, 512, 511, long600.substr(0, 511), 1},
      {"too long for a 4-byte buffer", true, REG_SZ, TextBytes("hello"), "dflt", 4, 3, "", 0},
      {"default cut to a 4-byte buffer", false, 0, {}, "hello", 4, 3, "hel", 1},
      {"exactly fills a 4-byte buffer", true, REG_SZ, TextBytes("abc"), "dflt", 4, 3, "abc", 0},
  };
}

using ReadStringTest = ScratchKeyTest;

TEST_F(ReadStringTest, Outcomes) {
  for (const ReadCase& c : ReadCases()) {
    HKEY writable = Key("Read");
    if (c.present) Set(writable, "v", c.type, c.data);
    RegKey key = RegKey::OpenForReading(scratch.get(), "Read");
    ASSERT_TRUE(key.IsOpen());
    GuardedVector<char> buffer(c.bufferSize);
    int defaultUsed = 0x0dead;
    int result = key.ReadString("v", c.defaultText.c_str(), buffer.data(), c.bufferSize, &defaultUsed);
    EXPECT_EQ(result, c.result) << c.label;
    ASSERT_NE(std::memchr(buffer.data(), 0, c.bufferSize), nullptr) << c.label << ": text not terminated";
    EXPECT_EQ(std::string(buffer.data()), c.text) << c.label;
    EXPECT_EQ(defaultUsed, c.defaultUsed) << c.label;
    EXPECT_TRUE(buffer.GuardsUntouched()) << c.label;
    if (c.defaultUsed) {
      // The default leaves the rest of the buffer zeroed.
      for (size_t i = c.text.size(); i < c.bufferSize; ++i) ASSERT_EQ(buffer.data()[i], 0) << c.label << " at " << i;
    }
    key.Close();
    RegDeleteValueA(writable, "v");
  }
}

TEST_F(ReadStringTest, ZeroBufferSizeAndClosedKey) {
  Set(Key("Read"), "v", REG_SZ, TextBytes("abc"));
  RegKey key = RegKey::OpenForReading(scratch.get(), "Read");
  char buffer[8] = "#######";
  int defaultUsed = 0x0dead;
  EXPECT_EQ(key.ReadString("v", "dflt", buffer, 0, &defaultUsed), 0);
  EXPECT_STREQ(buffer, "#######");
  EXPECT_EQ(defaultUsed, 0);

  RegKey closed;
  char text[512];
  EXPECT_EQ(closed.ReadString("v", "dflt", text, &defaultUsed), 4);
  EXPECT_STREQ(text, "dflt");
  EXPECT_EQ(defaultUsed, 1);
  key.Close();
  EXPECT_EQ(key.ReadString("v", "other", text, nullptr), 5);
  EXPECT_STREQ(text, "other");
}

// ---- Open, Close, WriteString

using RegKeyOpenTest = ScratchKeyTest;

TEST_F(RegKeyOpenTest, WritableOpenCreatesTheWholePath) {
  Make("Level1");
  RegKey key = RegKey::Create(scratch.get(), "Level1\\Level2\\Level3");
  ASSERT_TRUE(key.IsOpen());
  EXPECT_EQ(key.WriteString("Where", "three"), 1);
  key.Close();
  EXPECT_FALSE(key.IsOpen());
  StoredValue value = Get(Key("Level1\\Level2\\Level3"), "Where");
  EXPECT_EQ(value.type, DWORD(REG_SZ));
  EXPECT_EQ(value.data, TextBytes("three"));
}

TEST_F(RegKeyOpenTest, ReadOnlyOpenOfAMissingKeyCreatesNothing) {
  RegKey key = RegKey::OpenForReading(scratch.get(), "Missing\\Deeper");
  EXPECT_FALSE(key.IsOpen());
  EXPECT_FALSE(Exists("Missing"));
}

TEST_F(RegKeyOpenTest, WriteStringNeedsAWritableKey) {
  Make("Write");
  RegKey readOnly = RegKey::OpenForReading(scratch.get(), "Write");
  ASSERT_TRUE(readOnly.IsOpen());
  EXPECT_EQ(readOnly.WriteString("v", "text"), 0);
  EXPECT_EQ(Get(Key("Write"), "v").status, ERROR_FILE_NOT_FOUND);

  RegKey closed;
  EXPECT_EQ(closed.WriteString("v", "text"), 0);
}

TEST_F(RegKeyOpenTest, AnotherKeyTakesThePlaceOfTheHeldOneAndCloseTwiceIsHarmless) {
  Set(Key("A"), "v", REG_SZ, TextBytes("a"));
  Set(Key("B"), "v", REG_SZ, TextBytes("b"));
  RegKey key = RegKey::OpenForReading(scratch.get(), "A");
  ASSERT_TRUE(key.IsOpen());
  key = RegKey::OpenForReading(scratch.get(), "B");
  ASSERT_TRUE(key.IsOpen());
  char text[512];
  EXPECT_EQ(key.ReadString("v", "", text, nullptr), 1);
  EXPECT_STREQ(text, "b");
#ifndef _WIN32
  // The scratch key, the two the fixture made, and B: A's second handle is closed.
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 4);
#endif
  key.Close();
  key.Close();
  EXPECT_FALSE(key.IsOpen());
}

// ---- EnumSubkeyNames and QueryInfo

using RegKeyListTest = ScratchKeyTest;

TEST_F(RegKeyListTest, ListsNamesInOrderWithinTheRoomGiven) {
  for (const char* name : {"b", "A", "c"}) Make(std::string("List\\") + name);
  RegKey key = RegKey::OpenForReading(scratch.get(), "List");
  std::vector<char> list(5 * kSubkeyNameSlotSize, '#');
  key.EnumSubkeyNames(list.data(), 4);
  EXPECT_STREQ(&list[0], "A");
  EXPECT_STREQ(&list[kSubkeyNameSlotSize], "b");
  EXPECT_STREQ(&list[2 * kSubkeyNameSlotSize], "c");
  EXPECT_EQ(list[3 * kSubkeyNameSlotSize], '\0');
  EXPECT_EQ(list[4 * kSubkeyNameSlotSize], '#');

  // Room for two slots: one name, then the end of the list, nothing beyond.
  std::fill(list.begin(), list.end(), '#');
  key.EnumSubkeyNames(list.data(), 2);
  EXPECT_STREQ(&list[0], "A");
  EXPECT_EQ(list[kSubkeyNameSlotSize], '\0');
  EXPECT_TRUE(std::all_of(list.begin() + 2 * kSubkeyNameSlotSize, list.end(), [](char ch) { return ch == '#'; }));

  std::fill(list.begin(), list.end(), '#');
  key.EnumSubkeyNames(list.data(), 1);
  EXPECT_EQ(list[0], '\0');
  EXPECT_EQ(list[1], '#');
  key.EnumSubkeyNames(list.data(), 0);
  EXPECT_EQ(list[0], '\0');
  EXPECT_EQ(list[1], '#');
}

TEST_F(RegKeyListTest, EmptyListForAKeyWithoutSubkeysOrAClosedKey) {
  Make("Leaf");
  RegKey leaf = RegKey::OpenForReading(scratch.get(), "Leaf");
  char list[2 * 512];
  std::memset(list, '#', sizeof list);
  leaf.EnumSubkeyNames(list, 2);
  EXPECT_EQ(list[0], '\0');
  RegKey closed;
  std::memset(list, '#', sizeof list);
  closed.EnumSubkeyNames(list, 2);
  EXPECT_EQ(list[0], '\0');
  EXPECT_EQ(list[512], '#');
}

TEST_F(RegKeyListTest, QueryInfoGivesTheSixCountsOrZeros) {
  HKEY writable = Key("Info");
  Make("Info\\abcdef");
  Set(writable, "name5", REG_BINARY, Bytes(70, 1));
  RegKey key = RegKey::OpenForReading(scratch.get(), "Info");
  RegKeyInfo info;
  std::memset(&info, 0xbe, sizeof info);
  key.QueryInfo(&info);
  EXPECT_EQ(info.subKeyCount, 1u);
  EXPECT_EQ(info.maxSubKeyNameLength, 6u);
  EXPECT_EQ(info.maxClassLength, 0u);
  EXPECT_EQ(info.valueCount, 1u);
  EXPECT_EQ(info.maxValueNameLength, 5u);
  EXPECT_EQ(info.maxValueDataSize, 70u);

  RegKey closed;
  std::memset(&info, 0xbe, sizeof info);
  closed.QueryInfo(&info);
  EXPECT_EQ(info.subKeyCount + info.maxSubKeyNameLength + info.maxClassLength + info.valueCount +
                info.maxValueNameLength + info.maxValueDataSize,
            0u);
}

// ---- CopyKeyTree

class CopyKeyTreeTest : public ScratchKeyTest {
 protected:
  // Copies scratch\Defaults into scratch\User.
  void Copy(int onlyMissing) {
    RegKey source = RegKey::OpenForReading(scratch.get(), "Defaults");
    RegKey destination = RegKey::Create(scratch.get(), "User");
    ASSERT_TRUE(source.IsOpen());
    ASSERT_TRUE(destination.IsOpen());
    source.CopyKeyTree(destination, onlyMissing);
  }
};

struct PresenceRow {
  const char* name;
  bool userHasIt;
  DWORD userType;
  Bytes userData;
  bool replaced;
};

TEST_F(CopyKeyTreeTest, PresenceTable) {
  const PresenceRow rows[] = {
      {"None", false, 0, {}, true},
      {"UserSz", true, REG_SZ, TextBytes("mine"), false},
      {"UserExpandSz", true, REG_EXPAND_SZ, TextBytes("%mine%"), false},
      {"UserEmptySz", true, REG_SZ, TextBytes(""), false},
      {"UserSz512Bytes", true, REG_SZ, TextBytes(std::string(511, 'm')), false},
      {"UserSz600Bytes", true, REG_SZ, Bytes(600, 'm'), false},
      {"UserBinary513Bytes", true, REG_BINARY, Bytes(513, 'm'), false},
      {"UserDword600Bytes", true, REG_DWORD, Bytes(600, 'm'), false},
      {"UserBinary512Bytes", true, REG_BINARY, Bytes(512, 'm'), true},
      {"UserDword", true, REG_DWORD, {7, 0, 0, 0}, true},
      {"UserMultiSz", true, REG_MULTI_SZ, Bytes{'m', 0, 0}, true},
      {"UserNone", true, REG_NONE, {}, true},
  };
  HKEY defaults = Key("Defaults");
  HKEY user = Key("User");
  for (const PresenceRow& row : rows) {
    Set(defaults, row.name, REG_SZ, TextBytes("default"));
    if (row.userHasIt) Set(user, row.name, row.userType, row.userData);
  }
  Copy(1);
  for (const PresenceRow& row : rows) {
    StoredValue value = Get(user, row.name);
    ASSERT_EQ(value.status, ERROR_SUCCESS) << row.name;
    if (row.replaced) {
      EXPECT_EQ(value.type, DWORD(REG_SZ)) << row.name;
      EXPECT_EQ(value.data, TextBytes("default")) << row.name;
    } else {
      EXPECT_EQ(value.type, row.userType) << row.name;
      EXPECT_EQ(value.data, row.userData) << row.name;
    }
  }
}

TEST_F(CopyKeyTreeTest, ValuePhaseEndsAtTheFirstValueOver512Bytes) {
  HKEY defaults = Key("Defaults");
  Set(defaults, "a512", REG_BINARY, Bytes(512, 'a'));
  Set(defaults, "b", REG_SZ, TextBytes("b"));
  Set(defaults, "c513", REG_BINARY, Bytes(513, 'c'));
  Set(defaults, "d", REG_SZ, TextBytes("after"));
  Set(Key("Defaults\\Sub"), "s", REG_SZ, TextBytes("sub"));
  Copy(1);
  HKEY user = Key("User");
  EXPECT_EQ(Get(user, "a512").data, Bytes(512, 'a'));
  EXPECT_EQ(Get(user, "b").data, TextBytes("b"));
  EXPECT_EQ(Get(user, "c513").status, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Get(user, "d").status, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Get(Key("User\\Sub"), "s").data, TextBytes("sub"));
}

TEST_F(CopyKeyTreeTest, ValuePhaseEndsAtTheFirstNameOf512Characters) {
  const std::string name511 = "a" + std::string(510, 'n');
  const std::string name512 = "a" + std::string(511, 'n');
  Set(Key("Defaults\\Fits"), name511, REG_SZ, TextBytes("1"));
  Set(Key("Defaults\\Fits"), "z", REG_SZ, TextBytes("2"));
  Set(Key("Defaults\\TooLong"), name512, REG_SZ, TextBytes("3"));
  Set(Key("Defaults\\TooLong"), "z", REG_SZ, TextBytes("4"));
  Copy(1);
  EXPECT_EQ(ValueNames(Key("User\\Fits")), (std::vector<std::string>{name511, "z"}));
  EXPECT_EQ(ValueNames(Key("User\\TooLong")), std::vector<std::string>{});
}

TEST_F(CopyKeyTreeTest, UnnamedValuesEmptyKeysAndExactBytes) {
  HKEY defaults = Key("Defaults");
  Set(defaults, "", REG_SZ, TextBytes("top"));
  Set(Key("Defaults\\Kept"), "", REG_SZ, TextBytes("default"));
  Set(Key("User\\Kept"), "", REG_SZ, TextBytes("mine"));
  Set(Key("Defaults\\Replaced"), "", REG_SZ, TextBytes("default"));
  Set(Key("User\\Replaced"), "", REG_DWORD, {1, 0, 0, 0});
  Make("Defaults\\Empty\\EmptyToo");
  Set(defaults, "unterminated3", REG_SZ, TextBytes("abc", false));
  Set(defaults, "unterminated512", REG_SZ, Bytes(512, 'u'));
  Copy(1);
  HKEY user = Key("User");
  EXPECT_EQ(Get(user, "").data, TextBytes("top"));
  EXPECT_EQ(Get(Key("User\\Kept"), "").data, TextBytes("mine"));
  EXPECT_EQ(Get(Key("User\\Replaced"), "").data, TextBytes("default"));
  EXPECT_TRUE(Exists("User\\Empty\\EmptyToo"));
  EXPECT_EQ(ValueNames(Key("User\\Empty")), std::vector<std::string>{});
  // A value keeps its bytes: no terminator is added to a string that had none.
  EXPECT_EQ(Get(user, "unterminated3").data, TextBytes("abc", false));
  EXPECT_EQ(Get(user, "unterminated512").data, Bytes(512, 'u'));
}

TEST_F(CopyKeyTreeTest, OverwritingCopyWritesEveryValue) {
  HKEY defaults = Key("Defaults");
  HKEY user = Key("User");
  Set(defaults, "sz", REG_SZ, TextBytes("default"));
  Set(user, "sz", REG_SZ, TextBytes("mine"));
  Set(user, "own", REG_SZ, TextBytes("kept"));
  Copy(0);
  EXPECT_EQ(Get(user, "sz").data, TextBytes("default"));
  EXPECT_EQ(Get(user, "own").data, TextBytes("kept"));
}

TEST_F(CopyKeyTreeTest, IntoItselfDoesNothing) {
  HKEY both = Key("Both");
  Set(both, "v", REG_DWORD, {1, 0, 0, 0});
  RegKey key = RegKey::Create(scratch.get(), "Both");
  key.CopyKeyTree(key, 0);
  key.Close();
  EXPECT_EQ(ValueNames(both), std::vector<std::string>{"v"});
  EXPECT_EQ(SubkeyNames(both), std::vector<std::string>{});
}

// ---- depth

struct ThreadCall {
  void (*body)(void*);
  void* context;
};

#ifdef _WIN32
DWORD WINAPI ThreadMain(LPVOID parameter) {
  ThreadCall* call = static_cast<ThreadCall*>(parameter);
  call->body(call->context);
  return 0;
}
#else
void* ThreadMain(void* parameter) {
  ThreadCall* call = static_cast<ThreadCall*>(parameter);
  call->body(call->context);
  return nullptr;
}
#endif

// Runs `body(context)` on a thread with a 1 MiB stack; false when none starts.
bool RunOnOneMebibyteStack(void (*body)(void*), void* context) {
  ThreadCall call{body, context};
#ifdef _WIN32
  HANDLE thread = CreateThread(nullptr, 1 << 20, ThreadMain, &call, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == nullptr) return false;
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  return true;
#else
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 1 << 20);
  pthread_t thread;
  int started = pthread_create(&thread, &attributes, ThreadMain, &call);
  pthread_attr_destroy(&attributes);
  if (started != 0) return false;
  pthread_join(thread, nullptr);
  return true;
#endif
}

// Stack addresses at each level's subkey-list allocation.
std::vector<std::uintptr_t>* stackMarks = nullptr;

void* RecordingAllocator(size_t bytes) {
  stackMarks->push_back(reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)));
  return std::malloc(bytes);
}

struct DeepCopy {
  HKEY parent;
};

void CopySourceToDestination(void* context) {
  HKEY parent = static_cast<DeepCopy*>(context)->parent;
  RegKey source = RegKey::OpenForReading(parent, "Defaults");
  RegKey destination = RegKey::Create(parent, "User");
  source.CopyKeyTree(destination, 1);
}

// Opens `levels` nested keys "d" below `key`, one level per call as the
// ANSI functions take at most 260 characters of path.
HKEY OpenChain(HKEY key, int levels, bool create) {
  HKEY current = key;
  for (int level = 0; level < levels && current; ++level) {
    HKEY next = nullptr;
    LONG status = create ? RegCreateKeyExA(current, "d", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &next, nullptr)
                         : RegOpenKeyExA(current, "d", 0, KEY_READ, &next);
    if (current != key) RegCloseKey(current);
    current = status == ERROR_SUCCESS ? next : nullptr;
  }
  return current;
}

TEST_F(CopyKeyTreeTest, DeepestTreeOnAOneMebibyteStack) {
  // The scratch key lies 3 levels below the root and its "Defaults" 4: a chain
  // of 508 below that reaches the registry's 512 levels, 509 levels of copy.
  constexpr int kChain = 508;
  HKEY leaf = OpenChain(Key("Defaults"), kChain, true);
  ASSERT_NE(leaf, nullptr);
  Set(leaf, "leaf", REG_SZ, TextBytes("bottom"));
  RegCloseKey(leaf);

  std::vector<std::uintptr_t> marks;
  stackMarks = &marks;
  SubkeyListAllocator previous = SetSubkeyListAllocator(RecordingAllocator);
  DeepCopy copy{scratch.get()};
  bool ran = RunOnOneMebibyteStack(CopySourceToDestination, &copy);
  SetSubkeyListAllocator(previous);
  ASSERT_TRUE(ran);

  HKEY copied = OpenChain(Key("User"), kChain, false);
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(Get(copied, "leaf").data, TextBytes("bottom"));
  RegCloseKey(copied);

  // One subkey list per level but the leaf's, which has no subkeys to list.
  ASSERT_EQ(marks.size(), size_t(kChain));
  std::intptr_t perLevel = static_cast<std::intptr_t>(marks[0] - marks[1]);
  for (size_t i = 1; i + 1 < marks.size(); ++i) {
    ASSERT_EQ(static_cast<std::intptr_t>(marks[i] - marks[i + 1]), perLevel) << "level " << i;
  }
  std::printf("[ stack    ] the tree copy takes %ld bytes of stack per level\n", static_cast<long>(perLevel));
  RecordProperty("StackBytesPerLevel", static_cast<int>(perLevel));
  // Far below the three 512-byte buffers of the value phase.
  EXPECT_GT(perLevel, 0);
  EXPECT_LT(perLevel, 1024);
}

}  // namespace
