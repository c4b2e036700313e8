// The interface language setting of the current user: value
// "InterfaceLanguage" of the key the product names for the mode.
#pragma once

class LanguageSetting {
 public:
  // `keyPath` under HKEY_CURRENT_USER, or null (or empty) for a mode without
  // a settings key: then nothing is read or written.
  explicit LanguageSetting(const char* keyPath) : keyPath_(keyPath) {}

  // The stored number, 0 without one; *stored (when given) is 1 when it came
  // from a stored value, 0 when it is that default.
  int Read(int* stored = nullptr) const;
  // Stores `language` as decimal text, creating the key; silent on failure.
  void Write(int language) const;

 private:
  const char* keyPath_;
};
