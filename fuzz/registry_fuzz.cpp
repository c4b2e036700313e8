// Fuzzes the registry reads and the copy of new-user defaults on arbitrary
// defaults and user trees, checked against a plain model of the string read
// and of the presence rules, and against the promises the copy keeps to users:
// nothing deleted, no user text replaced, nothing written outside the user's
// tree, every default key arriving, no key left open.
//
// Input: byte 0 picks how the copy runs and which call (if any) fails, byte 1
// when it fails; the rest is a list of commands that build the two trees
// (keys, values, deep chains, access denials) and probe string reads.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <winsim/control.h>

#include "settings/new_user_defaults.h"
#include "settings/reg_key.h"
#include "settings/subkey_list.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/asan_interface.h>
#endif
#endif
#ifndef ASAN_POISON_MEMORY_REGION
#define ASAN_POISON_MEMORY_REGION(address, size) ((void)(address), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(address, size) ((void)(address), (void)(size))
#endif

namespace {

using winsim::RegistryDenial;
using winsim::RegistryValue;
using Bytes = std::vector<BYTE>;

const char kDefaultsPath[] = "Software\\Pellix\\Tarvex\\4.0\\New User Defaults";
const char kUserPath[] = "Software\\Vornek";
constexpr int kDefaultsDepth = 5;
constexpr int kUserDepth = 2;
constexpr size_t kCopyBuffer = 512;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "registry_fuzz: %s\n", what.c_str());
  std::abort();
}

void FailEqual(long long actual, long long expected, const std::string& what) {
  Fail(what + ": actual " + std::to_string(actual) + ", expected " + std::to_string(expected));
}

// The messages are built only when a check fails: the paths of deep trees are long.
#define EXPECT(ok, what) \
  do {                   \
    if (!(ok)) Fail(what); \
  } while (0)
#define EXPECT_EQUAL(actual, expected, what)                                      \
  do {                                                                          \
    const long long actualValue = (actual), expectedValue = (expected);         \
    if (actualValue != expectedValue) FailEqual(actualValue, expectedValue, what); \
  } while (0)

// ---- reading the input

class Input {
 public:
  Input(const std::uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return at_ >= size_; }
  BYTE Byte() { return at_ < size_ ? data_[at_++] : 0; }
  // Up to `count` bytes; fewer when the input runs out.
  Bytes Take(size_t count) {
    size_t n = count < size_ - at_ ? count : size_ - at_;
    Bytes taken(data_ + at_, data_ + at_ + n);
    at_ += n;
    return taken;
  }

 private:
  const std::uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// Names mostly from a few letters in both cases, so that names meet each
// other ignoring case; sometimes any bytes, sometimes the lengths at the limits.
std::string Name(Input& in, bool forKey) {
  static const char kLetters[] = "aAbB";
  BYTE pick = in.Byte();
  std::string name;
  switch (pick & 7) {
    case 0:
      if (!forKey) return name;  // the default value
      name = "a";
      break;
    case 5: {
      size_t length = 1 + in.Byte() % 32;
      for (BYTE ch : in.Take(length)) {
        if (ch == 0 || (forKey && ch == '\\')) ch = 'z';
        name += static_cast<char>(ch);
      }
      if (name.empty()) name = "z";
      break;
    }
    case 6: {
      static const size_t kKeyLengths[] = {255, 254, 128};
      static const size_t kValueLengths[] = {255, 510, 511, 512, 513, 600};
      size_t length = forKey ? kKeyLengths[(pick >> 3) % 3] : kValueLengths[(pick >> 3) % 6];
      name.assign(length, kLetters[(pick >> 5) & 3]);
      break;
    }
    default:
      for (int i = 0; i < (pick & 7); ++i) name += kLetters[(in.Byte() >> 1) & 3];
      break;
  }
  return name;
}

DWORD Type(Input& in) {
  static const DWORD kTypes[] = {REG_NONE, REG_SZ,    REG_EXPAND_SZ, REG_BINARY, REG_DWORD,  REG_MULTI_SZ,
                                 REG_SZ,   REG_SZ,    REG_EXPAND_SZ, 5,          6,          11,
                                 12,       0xFFFFFFFF, 0x80000001,   REG_DWORD};
  return kTypes[in.Byte() % 16];
}

Bytes Data(Input& in) {
  static const size_t kSizes[] = {0, 1, 2, 3, 4, 8, 16, 255, 510, 511, 512, 513, 600, 1024, 4096, 70000};
  BYTE pick = in.Byte();
  size_t size = (pick & 0x10) ? kSizes[pick & 15] : (pick & 15) * 3;
  Bytes data;
  switch (pick >> 5) {
    case 0:  // bytes from the input, then a pattern
      data = in.Take(size);
      while (data.size() < size) data.push_back(static_cast<BYTE>('a' + data.size() % 26));
      break;
    case 1:  // text without its terminator
    case 2:
      for (size_t i = 0; i < size; ++i) data.push_back(static_cast<BYTE>('A' + i % 26));
      break;
    case 3:  // zeros
      data.assign(size, 0);
      break;
    default:  // terminated text
      for (size_t i = 0; i < size; ++i) data.push_back(static_cast<BYTE>('a' + i % 26));
      if (size > 0) data.back() = 0;
      break;
  }
  return data;
}

std::string Fold(const std::string& text) {
  std::string folded = text;
  for (char& ch : folded) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return folded;
}

bool SameName(const std::string& a, const std::string& b) { return a.size() == b.size() && Fold(a) == Fold(b); }

// ---- the two trees and what the input did to them

struct Tree {
  HKEY root;
  std::string top;
  int topDepth;
  std::vector<std::string> cursor;         // path of the current key below top
  std::map<std::string, RegistryDenial> denials;  // by folded path below top
};

std::string Join(const std::string& top, const std::vector<std::string>& path) {
  std::string joined = top;
  for (const std::string& name : path) joined += "\\" + name;
  return joined;
}

std::string FoldedPath(const std::vector<std::string>& path) {
  std::string joined;
  for (const std::string& name : path) joined += "\\" + Fold(name);
  return joined;
}

RegistryDenial DenialOf(const Tree& tree, const std::string& foldedPath) {
  auto found = tree.denials.find(foldedPath);
  return found == tree.denials.end() ? RegistryDenial::None : found->second;
}

// ---- the string read, against its rules

struct ReadProbe {
  bool neverOpened;
  bool form512;
  bool wantReport;
  DWORD bufferSize;
  std::string valueName;
  std::string defaultText;
};

void CheckReadString(const Tree& tree, const ReadProbe& probe) {
  const std::string path = Join(tree.top, tree.cursor);
  const RegKey key = probe.neverOpened ? RegKey() : RegKey::OpenForReading(tree.root, path.c_str());
  const bool openable = !probe.neverOpened && winsim::RegistryKeyExists(tree.root, path) &&
                        DenialOf(tree, FoldedPath(tree.cursor)) != RegistryDenial::All && path.size() <= MAX_PATH;
  EXPECT_EQUAL(key.IsOpen(), openable, "read-only Open of " + path);

  // The buffer ends on an 8-byte boundary so that the guard behind it is
  // poisoned from its first byte: a read or a write past the buffer is a report.
  const DWORD size = probe.form512 ? 512 : probe.bufferSize;
  constexpr size_t kGuard = 32;
  const size_t lead = (8 - size % 8) % 8;
  std::unique_ptr<char[]> storage(new char[lead + size + kGuard]);
  std::memset(storage.get(), 0xA5, lead + size + kGuard);
  char* buffer = storage.get() + lead;
  ASAN_POISON_MEMORY_REGION(buffer + size, kGuard);
  int defaultUsed = 0x5EED;
  int* report = probe.wantReport ? &defaultUsed : nullptr;
  const int result = probe.form512 ? key.ReadString(probe.valueName.c_str(), probe.defaultText.c_str(), buffer, report)
                                   : key.ReadString(probe.valueName.c_str(), probe.defaultText.c_str(), buffer,
                                                    size, report);
  ASAN_UNPOISON_MEMORY_REGION(buffer + size, kGuard);
  for (size_t i = 0; i < lead + size + kGuard; ++i) {
    if (i >= lead && i < lead + size) continue;
    if (static_cast<BYTE>(storage[i]) != 0xA5) Fail("ReadString wrote outside its buffer of " + std::to_string(size));
  }
  const std::string what = "ReadString(\"" + probe.valueName.substr(0, 40) + "\", size " + std::to_string(size) + ")";

  if (size == 0) {
    EXPECT_EQUAL(result, 0, what + " result");
    if (probe.wantReport) EXPECT_EQUAL(defaultUsed, 0, what + " defaultUsed");
    return;
  }
  // Whatever happened, the buffer holds a text that ends inside it.
  const void* end = std::memchr(buffer, '\0', size);
  EXPECT(end != nullptr, what + " left no terminator in the buffer");
  const size_t textLength = static_cast<size_t>(static_cast<const char*>(end) - buffer);
  EXPECT(result >= 0 && static_cast<DWORD>(result) <= size - 1, what + " result past the buffer");

  RegistryValue value;
  const bool exists = key.IsOpen() && winsim::GetRegistryValue(tree.root, path, probe.valueName, &value);
  if (exists && value.data.size() > size) {
    // Too long for the buffer: counts as read, whatever its type.
    EXPECT_EQUAL(result, size - 1, what + " result for a value too long");
    if (probe.wantReport) EXPECT_EQUAL(defaultUsed, 0, what + " defaultUsed for a value too long");
    return;
  }
  EXPECT_EQUAL(result, static_cast<long long>(textLength), what + " result against the text in the buffer");
  if (exists && (value.type == REG_SZ || value.type == REG_EXPAND_SZ)) {
    size_t length = 0;
    while (length < value.data.size() && value.data[length] != 0) ++length;
    if (length > size - 1) length = size - 1;
    EXPECT_EQUAL(result, static_cast<long long>(length), what + " length of the stored text");
    EXPECT(length == 0 || std::memcmp(buffer, value.data.data(), length) == 0, what + " text differs from the stored one");
    if (probe.wantReport) EXPECT_EQUAL(defaultUsed, 0, what + " defaultUsed for a text");
    return;
  }
  // The default, cut to the buffer, and zeros behind it.
  const size_t length = probe.defaultText.size() < size - 1 ? probe.defaultText.size() : size - 1;
  EXPECT_EQUAL(result, static_cast<long long>(length), what + " length of the default");
  EXPECT(length == 0 || std::memcmp(buffer, probe.defaultText.data(), length) == 0, what + " default differs");
  for (size_t i = length; i < size; ++i) EXPECT(buffer[i] == 0, what + " left no zeros behind the default");
  if (probe.wantReport) EXPECT_EQUAL(defaultUsed, 1, what + " defaultUsed for the default");
}

// ---- trees as the registry enumerates them

struct Node {
  std::string name;
  std::vector<RegistryValue> values;  // in enumeration order
  std::vector<Node> children;         // in enumeration order
};

// Reads a tree one level at a time through the registry functions: walking
// each key's path from the root would cost the square of the tree's depth.
Node ReadOpenKey(HKEY key, const std::string& name) {
  Node node;
  node.name = name;
  static std::vector<char> valueName(16384 + 1);
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = static_cast<DWORD>(valueName.size());
    DWORD type = 0;
    DWORD size = 0;
    if (RegEnumValueA(key, index, valueName.data(), &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    Bytes data(size + 1);
    nameLength = static_cast<DWORD>(valueName.size());
    EXPECT(RegEnumValueA(key, index, valueName.data(), &nameLength, nullptr, &type, data.data(), &size) ==
               ERROR_SUCCESS,
           "reading back a value");
    data.resize(size);
    node.values.push_back(RegistryValue{std::string(valueName.data(), nameLength), type, data});
  }
  std::vector<std::string> subkeys;
  char subkey[kSubkeyNameSlotSize];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof subkey;
    if (RegEnumKeyExA(key, index, subkey, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    subkeys.emplace_back(subkey, length);
  }
  for (const std::string& child : subkeys) {
    HKEY opened = nullptr;
    EXPECT(RegOpenKeyExA(key, child.c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS, "reading back a subkey");
    node.children.push_back(ReadOpenKey(opened, child));
    RegCloseKey(opened);
  }
  return node;
}

void ApplyDenials(const Tree* trees, bool lift) {
  for (int i = 0; i < 2; ++i) {
    for (const auto& denial : trees[i].denials) {
      winsim::DenyRegistryAccess(trees[i].root, trees[i].top + denial.first, lift ? RegistryDenial::None : denial.second);
    }
  }
}

// The whole tree at root\path, denied keys included; an empty node when it is missing.
Node Snapshot(HKEY root, const std::string& path, const Tree* trees) {
  if (!winsim::RegistryKeyExists(root, path)) return Node{};
  ApplyDenials(trees, true);
  HKEY key = nullptr;
  EXPECT(RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS, "reading back " + path);
  Node node = ReadOpenKey(key, "");
  RegCloseKey(key);
  ApplyDenials(trees, false);
  return node;
}

RegistryValue* FindValue(Node& node, const std::string& name) {
  for (RegistryValue& value : node.values) {
    if (SameName(value.name, name)) return &value;
  }
  return nullptr;
}
const RegistryValue* FindValue(const Node* node, const std::string& name) {
  return node ? FindValue(const_cast<Node&>(*node), name) : nullptr;
}

Node* FindChild(Node& node, const std::string& name) {
  for (Node& child : node.children) {
    if (SameName(child.name, name)) return &child;
  }
  return nullptr;
}
const Node* FindChild(const Node* node, const std::string& name) {
  return node ? FindChild(const_cast<Node&>(*node), name) : nullptr;
}

bool IsString(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// What the 512-byte string read counts as a value the user has.
bool CountsPresent(const RegistryValue& value) {
  return value.data.size() > kCopyBuffer || IsString(value.type);
}

std::string Describe(const RegistryValue& value) {
  return "\"" + value.name.substr(0, 40) + "\" type " + std::to_string(value.type) + " size " +
         std::to_string(value.data.size());
}

// ---- the copy as the presence rules describe it

struct CopyModel {
  const Tree& defaults;
  const Tree& user;
  int onlyMissing;
  long writes = 0;

  void Copy(const Node& source, const std::string& folded, Node& destination, int destinationDepth) {
    for (const RegistryValue& value : source.values) {
      // A name or data too large for the 512-byte buffers ends the key's values.
      if (value.name.size() >= kCopyBuffer || value.data.size() > kCopyBuffer) break;
      RegistryValue* mine = FindValue(destination, value.name);
      if (onlyMissing && mine != nullptr && CountsPresent(*mine)) continue;
      ++writes;
      if (mine != nullptr) {
        mine->type = value.type;
        mine->data = value.data;
      } else {
        destination.values.push_back(value);
      }
    }
    for (const Node& child : source.children) {
      const std::string childFolded = folded + "\\" + Fold(child.name);
      Node* mine = FindChild(destination, child.name);
      if (mine != nullptr) {
        if (DenialOf(user, childFolded) != RegistryDenial::None) continue;  // cannot be opened for writing
      } else {
        if (destinationDepth + 1 > winsim::kMaxRegistryDepth) continue;
        destination.children.push_back(Node{child.name, {}, {}});
        mine = &destination.children.back();
      }
      if (DenialOf(defaults, childFolded) == RegistryDenial::All) continue;  // created, left empty
      Copy(child, childFolded, *mine, destinationDepth + 1);
    }
  }
};

// The tree the copy must leave, exactly, when no call fails.
void CompareExactly(const Node& expected, const Node& actual, const std::string& path) {
  EXPECT_EQUAL(static_cast<long long>(actual.values.size()), static_cast<long long>(expected.values.size()),
              "values of [" + path + "]");
  for (const RegistryValue& value : expected.values) {
    const RegistryValue* found = FindValue(&actual, value.name);
    EXPECT(found != nullptr && *found == value,
           "[" + path + "] value " + Describe(value) + (found ? " differs: " + Describe(*found) : " is missing"));
  }
  EXPECT_EQUAL(static_cast<long long>(actual.children.size()), static_cast<long long>(expected.children.size()),
              "subkeys of [" + path + "]");
  for (const Node& child : expected.children) {
    const Node* found = FindChild(&actual, child.name);
    EXPECT(found != nullptr && found->name == child.name, "[" + path + "] lacks subkey \"" + child.name + "\"");
    CompareExactly(child, *found, path + "\\" + child.name);
  }
}

// The promises that hold even when a call fails: every key and value the user
// had is still there; a value changed or added is the default of that name at
// the mirrored place; a user's text, or a value of more than 512 bytes, is
// never replaced, not even when the read that looks for it fails.
void CheckPromises(const Node& after, const Node* before, const Node* mirror, const std::string& path,
                   int onlyMissing) {
  if (before != nullptr) {
    for (const RegistryValue& value : before->values) {
      EXPECT(FindValue(&after, value.name) != nullptr, "[" + path + "] lost value " + Describe(value));
    }
    for (const Node& child : before->children) {
      EXPECT(FindChild(&after, child.name) != nullptr, "[" + path + "] lost subkey \"" + child.name + "\"");
    }
  }
  for (const RegistryValue& value : after.values) {
    const RegistryValue* old = FindValue(before, value.name);
    if (old != nullptr && *old == value) continue;
    const RegistryValue* source = FindValue(mirror, value.name);
    EXPECT(source != nullptr && source->type == value.type && source->data == value.data,
           "[" + path + "] value " + Describe(value) + " is no default of that name");
    if (old != nullptr) {
      EXPECT(old->name == value.name, "[" + path + "] value " + Describe(value) + " changed the letter case of its name");
      if (onlyMissing) EXPECT(!CountsPresent(*old), "[" + path + "] the user's " + Describe(*old) + " was replaced");
    }
  }
  for (const Node& child : after.children) {
    const Node* old = FindChild(before, child.name);
    const Node* source = FindChild(mirror, child.name);
    EXPECT(old != nullptr || source != nullptr, "[" + path + "] new subkey \"" + child.name + "\" is no default key");
    CheckPromises(child, old, source, path + "\\" + child.name, onlyMissing);
  }
}

// ---- failures the input can inject into the copy

const char kFailingList[] = "subkey list";
const char* const kInjections[] = {nullptr,           nullptr,         nullptr,         nullptr,
                                   "RegOpenKeyExA",   "RegCreateKeyExA", "RegQueryValueExA", "RegSetValueExA",
                                   "RegEnumKeyExA",   "RegEnumValueA", "RegQueryInfoKeyA", kFailingList};
constexpr size_t kInjectionCount = sizeof kInjections / sizeof kInjections[0];

int listsBeforeFailure = -1;  // subkey lists that succeed before one fails; -1: all succeed
void* FailingListAllocator(size_t bytes) {
  if (listsBeforeFailure == 0) {
    listsBeforeFailure = -1;
    return nullptr;
  }
  if (listsBeforeFailure > 0) --listsBeforeFailure;
  return std::malloc(bytes);
}

void RunCopy(bool viaStartup, int onlyMissing) {
  if (viaStartup) {
    CopyNewUserDefaults();
    return;
  }
  RegKey source = RegKey::OpenForReading(HKEY_LOCAL_MACHINE, kDefaultsPath);
  RegKey destination = RegKey::Create(HKEY_CURRENT_USER, kUserPath);
  if (source.IsOpen() && destination.IsOpen()) source.CopyKeyTree(destination, onlyMissing);
}

// ---- building the trees

void Build(Input& in, Tree* trees) {
  Tree* tree = &trees[0];
  auto touch = [&] { winsim::CreateRegistryKey(tree->root, Join(tree->top, tree->cursor)); };
  while (!in.Empty()) {
    const BYTE command = in.Byte();
    switch (command % 8) {
      case 0:
        tree = &trees[(command >> 3) & 1];
        tree->cursor.clear();
        break;
      case 1:
        if (tree->topDepth + static_cast<int>(tree->cursor.size()) < winsim::kMaxRegistryDepth) {
          tree->cursor.push_back(Name(in, true));
        }
        touch();
        break;
      case 2:
        if ((command >> 3) & 1) tree->cursor.clear();
        else if (!tree->cursor.empty()) tree->cursor.pop_back();
        break;
      case 3:
      case 7: {
        std::string name = Name(in, false);
        DWORD type = Type(in);
        Bytes data = Data(in);
        winsim::SetRegistryValue(tree->root, Join(tree->top, tree->cursor), name, type, data);
        break;
      }
      case 4: {
        // A chain of nested keys, as deep as the registry allows.
        size_t length = 1 + in.Byte() + ((command >> 3) & 1) * 256;
        const char name[2] = {static_cast<char>("cCdD"[(command >> 4) & 3]), 0};
        for (size_t i = 0; i < length; ++i) {
          if (tree->topDepth + static_cast<int>(tree->cursor.size()) >= winsim::kMaxRegistryDepth) break;
          tree->cursor.push_back(name);
        }
        touch();
        break;
      }
      case 5: {
        RegistryDenial denial = (command >> 3) % 3 == 0 ? RegistryDenial::None
                                : (command >> 3) % 3 == 1 ? RegistryDenial::Write
                                                          : RegistryDenial::All;
        winsim::DenyRegistryAccess(tree->root, Join(tree->top, tree->cursor), denial);
        tree->denials[FoldedPath(tree->cursor)] = denial;
        break;
      }
      case 6: {
        static const DWORD kBufferSizes[] = {0, 1, 2, 3, 4, 5, 8, 16, 255, 256, 511, 512, 513, 600, 1024, 7};
        ReadProbe probe;
        probe.neverOpened = (command >> 3) % 8 == 7;
        probe.form512 = (command >> 6) & 1;
        probe.wantReport = !((command >> 7) & 1);
        probe.bufferSize = kBufferSizes[in.Byte() % 16];
        const BYTE pick = in.Byte();
        std::vector<RegistryValue> values = winsim::RegistryValues(tree->root, Join(tree->top, tree->cursor));
        if ((pick & 1) && !values.empty()) {
          probe.valueName = values[(pick >> 1) % values.size()].name;
          if (pick & 0x80) {
            for (char& ch : probe.valueName) {
              if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z')) ch ^= 0x20;
            }
          }
        } else {
          probe.valueName = Name(in, false);
        }
        const Bytes text = Data(in);
        probe.defaultText.assign(text.begin(), text.end());
        probe.defaultText = probe.defaultText.substr(0, probe.defaultText.find('\0'));
        CheckReadString(*tree, probe);
        break;
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  if (size < 2) return 0;
  Input in(data, size);
  const BYTE options = in.Byte();
  const BYTE when = in.Byte();
  const bool viaStartup = (options >> 1) & 1;
  const int onlyMissing = viaStartup ? 1 : !(options & 1);
  const char* const injection = kInjections[(options >> 2) % kInjectionCount];

  // Everything the simulated machine holds goes within the run, so that the
  // fuzzer's leak check has nothing to look into.
  struct ResetAtEnd {
    ~ResetAtEnd() { winsim::Reset(); }
  } resetAtEnd;
  winsim::Reset();
  Tree trees[2] = {{HKEY_LOCAL_MACHINE, kDefaultsPath, kDefaultsDepth, {}, {}},
                   {HKEY_CURRENT_USER, kUserPath, kUserDepth, {}, {}}};
  Build(in, trees);
  const Tree& defaults = trees[0];
  const Tree& user = trees[1];
  EXPECT_EQUAL(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0, "registry keys left open by the reads");

  const Node machineBefore = Snapshot(HKEY_LOCAL_MACHINE, "", trees);
  const Node userBefore = Snapshot(HKEY_CURRENT_USER, "", trees);
  const Node* defaultsKey = &machineBefore;
  for (const char* name : {"Software", "Pellix", "Tarvex", "4.0", "New User Defaults"}) defaultsKey = FindChild(defaultsKey, name);
  const bool defaultsExist = defaultsKey != nullptr;
  const Node defaultsTree = defaultsExist ? *defaultsKey : Node{};

  if (injection == kFailingList) {
    listsBeforeFailure = when & 0x7F;
    SetSubkeyListAllocator(FailingListAllocator);
  } else if (injection != nullptr) {
    winsim::InjectFailure(injection, when & 0x7F, (when & 0x80) ? -1 : 1);
  }
  winsim::ClearCalls();
  RunCopy(viaStartup, onlyMissing);
  const int writes = winsim::CallCount("RegSetValueExA");
  winsim::ClearInjectedFailures();
  SetSubkeyListAllocator(nullptr);
  listsBeforeFailure = -1;

  EXPECT_EQUAL(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0, "registry keys left open by the copy");
  CompareExactly(machineBefore, Snapshot(HKEY_LOCAL_MACHINE, "", trees), "HKLM");
  const Node userAfter = Snapshot(HKEY_CURRENT_USER, "", trees);
  // For reading a finding: REGISTRY_FUZZ_TRACE=1 prints both trees after the copy.
  if (std::getenv("REGISTRY_FUZZ_TRACE") != nullptr) {
    std::fprintf(stderr, "only missing %d, via start-up %d, failing %s (%d)\n--- machine\n%s--- user\n%s", onlyMissing,
                 viaStartup, injection ? injection : "nothing", when,
                 winsim::DumpRegistryTree(HKEY_LOCAL_MACHINE, "").c_str(),
                 winsim::DumpRegistryTree(HKEY_CURRENT_USER, "").c_str());
  }

  // The user's tree mirrors the defaults below Software\Vornek, and nothing else.
  Node mirror;
  mirror.children.push_back(Node{"Software", {}, {defaultsTree}});
  mirror.children.back().children.back().name = "Vornek";
  CheckPromises(userAfter, &userBefore, &mirror, "HKCU", onlyMissing);
  if (injection != nullptr) return 0;

  // No call failed: the user's tree is exactly what the presence rules make of it.
  Node expected = userBefore;
  Node* software = FindChild(expected, "Software");
  if (software == nullptr) {
    expected.children.push_back(Node{"Software", {}, {}});
    software = &expected.children.back();
  }
  Node* vornek = FindChild(*software, "Vornek");
  bool destinationOpens = true;
  if (vornek == nullptr) {
    software->children.push_back(Node{"Vornek", {}, {}});
    vornek = &software->children.back();
  } else {
    destinationOpens = DenialOf(user, "") == RegistryDenial::None;
  }
  const bool sourceOpens = defaultsExist && DenialOf(defaults, "") != RegistryDenial::All;
  CopyModel model{defaults, user, onlyMissing};
  if (destinationOpens && sourceOpens) model.Copy(defaultsTree, "", *vornek, kUserDepth);
  CompareExactly(expected, userAfter, "HKCU");
  EXPECT_EQUAL(writes, model.writes, "values written by the copy");

  // A key copied into itself is left as it is.
  if (destinationOpens) {
    RegKey same = RegKey::Create(HKEY_CURRENT_USER, kUserPath);
    EXPECT(same.IsOpen(), "writable Open of the user's key");
    winsim::ClearCalls();
    same.CopyKeyTree(same, onlyMissing);
    same.Close();
    EXPECT_EQUAL(winsim::CallCount("RegSetValueExA") + winsim::CallCount("RegCreateKeyExA"), 0,
                "writes when a key is copied into itself");
  }
  EXPECT_EQUAL(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0, "registry keys left open at the end");
  return 0;
}
