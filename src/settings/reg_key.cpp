// Registry key access. (Filled in with the settings store.)
#include "settings/reg_key.h"

RegKey::RegKey(int readOnlyKey) : handle(nullptr), readOnly(readOnlyKey) {}

RegKey::~RegKey() { Close(); }

void RegKey::Open(HKEY, const char*) {}

void RegKey::Close() { handle = nullptr; }

int RegKey::ReadString(const char*, const char* defaultText, char* buffer, DWORD bufferSize, int* defaultUsed) {
  (void)defaultText;
  (void)buffer;
  (void)bufferSize;
  if (defaultUsed) *defaultUsed = 1;
  return 0;
}

int RegKey::ReadString(const char* valueName, const char* defaultText, char* buffer, int* defaultUsed) {
  return ReadString(valueName, defaultText, buffer, 512, defaultUsed);
}

int RegKey::WriteString(const char*, const char*) { return 0; }

void RegKey::EnumSubkeyNames(char* list, DWORD) { list[0] = '\0'; }

void RegKey::QueryInfo(RegKeyInfo* info) { *info = RegKeyInfo{}; }

void RegKey::CopyKeyTree(RegKey&, int) {}

void ReadMachineSetting(char* buffer, const char*) { buffer[0] = '\0'; }
