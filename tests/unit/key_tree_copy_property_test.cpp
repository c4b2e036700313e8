// Random defaults and user trees, fixed seeds: the copy of new-user defaults
// against a model of its presence rules, and the promises it keeps to users.
#include <winsim/control.h>

#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "settings/new_user_defaults.h"
#include "startup_fixture.h"

namespace {

using Bytes = std::vector<BYTE>;

const char kDefaults[] = "Software\\Pellix\\Tarvex\\4.0\\New User Defaults";
const char kUser[] = "Software\\Vornek";
constexpr int kDefaultsDepth = 5;  // levels of kDefaults below its root

std::string Lower(std::string text) {
  for (char& ch : text) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return text;
}

bool IsString(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// A tree as the registry holds it, keyed by lower-case path and name.
struct KeyState {
  std::string path;  // as spelled, relative to the tree's top
  std::map<std::string, winsim::RegistryValue> values;
};
using TreeState = std::map<std::string, KeyState>;

bool operator==(const KeyState& a, const KeyState& b) { return a.path == b.path && a.values == b.values; }

void ReadTree(HKEY root, const std::string& top, const std::string& path, TreeState* tree) {
  KeyState& key = (*tree)[Lower(path)];
  key.path = path;
  const std::string full = path.empty() ? top : top + "\\" + path;
  for (const winsim::RegistryValue& value : winsim::RegistryValues(root, full)) key.values[Lower(value.name)] = value;
  for (const std::string& name : winsim::RegistrySubkeyNames(root, full)) {
    ReadTree(root, top, path.empty() ? name : path + "\\" + name, tree);
  }
}

TreeState Read(HKEY root, const std::string& top) {
  TreeState tree;
  if (winsim::RegistryKeyExists(root, top)) ReadTree(root, top, "", &tree);
  return tree;
}

// A user value the 512-byte string read counts as present.
bool CountsPresent(const winsim::RegistryValue& value) {
  return value.data.size() > 512 || (IsString(value.type) && value.data.size() <= 512);
}

// The copy as the presence rules describe it; returns the number of writes.
int ModelCopy(HKEY root, const std::string& path, TreeState* user) {
  const std::string full = path.empty() ? kDefaults : std::string(kDefaults) + "\\" + path;
  const std::string userPath = Lower(path);
  int writes = 0;
  for (const winsim::RegistryValue& value : winsim::RegistryValues(root, full)) {
    if (value.name.size() >= 512 || value.data.size() > 512) break;
    auto& values = (*user)[userPath].values;
    auto found = values.find(Lower(value.name));
    if (found == values.end()) {
      values[Lower(value.name)] = value;
      ++writes;
    } else if (!CountsPresent(found->second)) {
      found->second.type = value.type;
      found->second.data = value.data;
      ++writes;
    }
  }
  for (const std::string& name : winsim::RegistrySubkeyNames(root, full)) {
    std::string below = path.empty() ? name : path + "\\" + name;
    KeyState& key = (*user)[Lower(below)];
    if (key.path.empty()) key.path = (*user)[userPath].path.empty() ? name : (*user)[userPath].path + "\\" + name;
    writes += ModelCopy(root, below, user);
  }
  return writes;
}

std::string Describe(const TreeState& tree) {
  std::ostringstream out;
  for (const auto& key : tree) {
    out << "[" << key.second.path << "]\n";
    for (const auto& value : key.second.values) {
      out << "  \"" << value.second.name.substr(0, 40) << "\" type " << value.second.type << " size "
          << value.second.data.size() << "\n";
    }
  }
  return out.str();
}

class TreeGenerator {
 public:
  explicit TreeGenerator(unsigned seed) : random_(seed) {}

  int Below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random_); }
  bool Chance(int percent) { return Below(100) < percent; }

  std::string Name(bool forKey) {
    static const char kLetters[] = "abcdefgXYZ019_ .-~";
    int length = Chance(10) ? 200 + Below(56) : 1 + Below(12);
    if (!forKey && Chance(4)) length = 510 + Below(4);  // around the 512-character name limit
    std::string name;
    for (int i = 0; i < length; ++i) name += kLetters[Below(sizeof kLetters - 1)];
    if (!forKey && Chance(10)) name += "\\x";  // value names may hold backslashes
    return name;
  }

  std::string ChangeCase(std::string name) {
    for (char& ch : name) {
      if (Chance(50) && ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    }
    return name;
  }

  DWORD Type() {
    static const DWORD kTypes[] = {REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_NONE, REG_QWORD};
    return kTypes[Below(sizeof kTypes / sizeof kTypes[0])];
  }

  Bytes Data(DWORD type) {
    static const size_t kSizes[] = {0, 1, 4, 8, 20, 510, 511, 512, 513, 514, 600};
    size_t size = kSizes[Below(sizeof kSizes / sizeof kSizes[0])];
    Bytes data(size);
    for (BYTE& byte : data) byte = static_cast<BYTE>('a' + Below(26));
    // Strings mostly end in their terminator, some do not.
    if (IsString(type) && size > 0 && Chance(80)) data.back() = 0;
    if (!IsString(type)) {
      for (BYTE& byte : data) byte = static_cast<BYTE>(Below(256));
    }
    return data;
  }

  void Defaults(const std::string& path, int depth) {
    winsim::CreateRegistryKey(HKEY_LOCAL_MACHINE, path);
    for (int count = Below(6); count > 0; --count) {
      DWORD type = Type();
      winsim::SetRegistryValue(HKEY_LOCAL_MACHINE, path, Chance(10) ? "" : Name(false), type, Data(type));
    }
    if (depth >= 4) return;
    for (int count = Below(depth == 0 ? 5 : 4); count > 0; --count) Defaults(path + "\\" + Name(true), depth + 1);
  }

  // The user's tree: parts of the defaults tree under other spellings, with
  // other types and sizes, and keys and values of the user's own.
  void User(const std::string& defaultsPath, const std::string& userPath) {
    for (const winsim::RegistryValue& value : winsim::RegistryValues(HKEY_LOCAL_MACHINE, defaultsPath)) {
      if (!Chance(60)) continue;
      DWORD type = Chance(30) ? value.type : Type();
      winsim::SetRegistryValue(HKEY_CURRENT_USER, userPath, ChangeCase(value.name), type, Data(type));
    }
    if (Chance(20)) {
      DWORD type = Type();
      winsim::SetRegistryValue(HKEY_CURRENT_USER, userPath, Name(false), type, Data(type));
    }
    if (Chance(10)) winsim::CreateRegistryKey(HKEY_CURRENT_USER, userPath + "\\" + Name(true));
    for (const std::string& name : winsim::RegistrySubkeyNames(HKEY_LOCAL_MACHINE, defaultsPath)) {
      if (Chance(50)) User(defaultsPath + "\\" + name, userPath + "\\" + ChangeCase(name));
    }
  }

  // One chain down to the registry's depth limit at most.
  void Chain() {
    int length = Chance(30) ? winsim::kMaxRegistryDepth - kDefaultsDepth : 1 + Below(winsim::kMaxRegistryDepth - kDefaultsDepth);
    std::string below;
    for (int level = 0; level < length; ++level) below += "\\c";
    winsim::SetRegistryString(HKEY_LOCAL_MACHINE, kDefaults + below, "leaf", std::to_string(length));
    if (Chance(50)) winsim::SetRegistryValue(HKEY_CURRENT_USER, kUser + below.substr(0, 2 * Below(length)), "leaf", REG_DWORD, {1, 0, 0, 0});
  }

 private:
  std::mt19937 random_;
};

class CopyPropertyTest : public StartupTest, public ::testing::WithParamInterface<unsigned> {};

TEST_P(CopyPropertyTest, KeepsTheUsersSettingsAndFillsInTheRest) {
  TreeGenerator generate(GetParam());
  generate.Defaults(kDefaults, 0);
  if (generate.Chance(50)) generate.User(kDefaults, kUser);
  if (GetParam() % 4 == 0) generate.Chain();

  const TreeState defaults = Read(HKEY_LOCAL_MACHINE, kDefaults);
  const TreeState before = Read(HKEY_CURRENT_USER, kUser);
  TreeState expected = before;
  expected[""].path = "";
  ModelCopy(HKEY_LOCAL_MACHINE, "", &expected);

  CopyNewUserDefaults();
  const TreeState after = Read(HKEY_CURRENT_USER, kUser);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0);

  // The user's strings and long values stay byte for byte; nothing is lost.
  for (const auto& key : before) {
    auto now = after.find(key.first);
    ASSERT_NE(now, after.end()) << "key lost: " << key.second.path;
    for (const auto& value : key.second.values) {
      auto kept = now->second.values.find(value.first);
      ASSERT_NE(kept, now->second.values.end()) << "value lost: " << key.second.path << " " << value.second.name;
      if (CountsPresent(value.second)) {
        EXPECT_EQ(kept->second.type, value.second.type) << key.second.path << " " << value.second.name;
        EXPECT_EQ(kept->second.data, value.second.data) << key.second.path << " " << value.second.name;
      }
    }
  }
  // Every key of the defaults exists for the user.
  for (const auto& key : defaults) {
    EXPECT_NE(after.find(key.first), after.end()) << "key missing for the user: " << key.second.path;
  }
  // And the whole tree is what the presence rules make of it.
  EXPECT_TRUE(after == expected) << "expected:\n" << Describe(expected) << "actual:\n" << Describe(after);

  // A second start writes exactly the values that count missing, and changes nothing.
  TreeState again = after;
  int writes = ModelCopy(HKEY_LOCAL_MACHINE, "", &again);
  winsim::ClearCalls();
  CopyNewUserDefaults();
  EXPECT_EQ(winsim::CallCount("RegSetValueExA"), writes);
  EXPECT_TRUE(Read(HKEY_CURRENT_USER, kUser) == after);
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0);
}

INSTANTIATE_TEST_SUITE_P(Seeds, CopyPropertyTest, ::testing::Range(1u, 41u));

}  // namespace
