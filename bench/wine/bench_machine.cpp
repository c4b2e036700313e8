#include "wine/bench_machine.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "bench_tree.h"
#include "unique_reg_key.h"

namespace {

const char kMachineRoot[] = "SOFTWARE\\Pellix";
const char kMachineKey[] = "SOFTWARE\\Pellix\\Tarvex\\4.0";
const char kDefaultsKey[] = "SOFTWARE\\Pellix\\Tarvex\\4.0\\New User Defaults";
const char kUserKey[] = "Software\\Vornek";

bool KeyExists(HKEY root, const char* path) {
  UniqueRegKey key;
  return RegOpenKeyExA(root, path, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

bool SetMachineString(const char* name, const char* text) {
  UniqueRegKey key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kMachineKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      key.put(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  return RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(std::strlen(text) + 1)) == ERROR_SUCCESS;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

TypicalMachine::TypicalMachine()
    : machineExisted_(KeyExists(HKEY_LOCAL_MACHINE, kMachineRoot)), userExisted_(KeyExists(HKEY_CURRENT_USER, kUserKey)) {}

bool TypicalMachine::Prepare() {
  return BuildTypicalDefaults(HKEY_LOCAL_MACHINE, kDefaultsKey) && SetMachineString("DisableForms", "0");
}

bool TypicalMachine::Restore() {
  bool ok = true;
  if (!machineExisted_ && !RemoveTree(HKEY_LOCAL_MACHINE, kMachineRoot)) ok = false;
  if (!userExisted_ && !RemoveTree(HKEY_CURRENT_USER, kUserKey)) ok = false;
  return ok;
}

std::string ExecutableDirectory() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  std::string directory(path, length);
  size_t slash = directory.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : directory.substr(0, slash + 1);
}

bool CommandLineHasSwitch(const char* name) {
  const char* line = GetCommandLineA();
  const size_t length = std::strlen(name);
  for (const char* at = line != nullptr ? std::strchr(line, ' ') : nullptr; at != nullptr;
       at = std::strchr(at + 1, ' ')) {
    if (at[1] != '/') continue;
    size_t i = 0;
    while (i < length && at[2 + i] != '\0' && LowerAscii(at[2 + i]) == LowerAscii(name[i])) ++i;
    if (i == length && (at[2 + i] == ' ' || at[2 + i] == '\0')) return true;
  }
  return false;
}

bool FilesBesideProgram(const std::string& directory, const char* const* files, int count, const char* program) {
  for (int i = 0; i < count; ++i) {
    if (GetFileAttributesA((directory + files[i]).c_str()) == INVALID_FILE_ATTRIBUTES) {
      std::fprintf(stderr, "%s: %s is not beside the executable\n", program, files[i]);
      return false;
    }
  }
  return true;
}
