// Each conformance test works under a scratch key of its own,
// HKEY_CURRENT_USER\Software\TarvexConformance\<test name>, made fresh before
// the test and removed after it. The same source runs against winsim and
// against Wine's registry.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "unique_reg_key.h"

#ifndef _WIN32
#include <winsim/control.h>
#endif

using Bytes = std::vector<BYTE>;

inline Bytes TextBytes(const std::string& text, bool terminated = true) {
  Bytes bytes(text.begin(), text.end());
  if (terminated) bytes.push_back(0);
  return bytes;
}

inline std::string HexOf(const BYTE* data, size_t size) {
  std::string out;
  char hex[4];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(hex, sizeof hex, "%02x ", data[i]);
    out += hex;
  }
  return out;
}

struct StoredValue {
  LONG status;
  DWORD type;
  Bytes data;
};

class ScratchKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    winsim::Reset();
#endif
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    scratchPath = std::string("Software\\TarvexConformance\\") + info->test_suite_name() + "." + info->name();
    for (char& ch : scratchPath) {
      if (ch == '/') ch = '.';
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, scratchPath.c_str());
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, scratchPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              scratch.put(), nullptr),
              ERROR_SUCCESS);
  }

  void TearDown() override {
    opened.clear();
    scratch.reset();
    EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, scratchPath.c_str()), ERROR_SUCCESS);
#ifndef _WIN32
    EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::RegistryKey), 0) << "a registry key was left open";
    winsim::Reset();
#endif
  }

  // Creates `path` below the scratch key (or opens it) with full access; the
  // handle is closed after the test.
  HKEY Key(const std::string& path) {
    UniqueRegKey key;
    EXPECT_EQ(RegCreateKeyExA(scratch.get(), path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
              ERROR_SUCCESS)
        << path;
    opened.push_back(std::move(key));
    return opened.back().get();
  }

  // Creates `path` below the scratch key and closes it again.
  void Make(const std::string& path) {
    UniqueRegKey key;
    ASSERT_EQ(RegCreateKeyExA(scratch.get(), path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
              ERROR_SUCCESS)
        << path;
  }

  bool Exists(const std::string& path) {
    UniqueRegKey key;
    return RegOpenKeyExA(scratch.get(), path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
  }

  // Stores exactly `data`: the byte after it is made non-zero, so the system
  // does not count a terminator the data lack.
  static void Set(HKEY key, const std::string& name, DWORD type, const Bytes& data) {
    Bytes padded = data;
    padded.push_back(0xFF);
    ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, type, padded.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS)
        << name;
  }

  static StoredValue Get(HKEY key, const std::string& name) {
    StoredValue value{0, 0xdeadbeef, Bytes(70000)};
    DWORD size = static_cast<DWORD>(value.data.size());
    value.status = RegQueryValueExA(key, name.c_str(), nullptr, &value.type, value.data.data(), &size);
    value.data.resize(value.status == ERROR_SUCCESS ? size : 0);
    return value;
  }

  // Subkey names in enumeration order.
  static std::vector<std::string> SubkeyNames(HKEY key) {
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
      char name[300];
      DWORD size = sizeof name;
      if (RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      names.push_back(name);
    }
    return names;
  }

  static std::vector<std::string> ValueNames(HKEY key) {
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
      char name[17000];
      DWORD size = sizeof name;
      if (RegEnumValueA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      names.push_back(name);
    }
    return names;
  }

  UniqueRegKey scratch;
  std::string scratchPath;
  std::vector<UniqueRegKey> opened;
};
