// The interface language setting of the current user.
#include "language/language_setting.h"

#include "language/language_number.h"
#include "settings/reg_key.h"
#include "text/bounded_text.h"

namespace {

constexpr char kLanguageValueName[] = "InterfaceLanguage";

// A class without a settings key for this mode answers null (or nothing);
// the root of the user's hive must never stand in for it.
bool HasSettingsKey(const char* keyPath) { return keyPath != nullptr && keyPath[0] != '\0'; }

}  // namespace

int LanguageSetting::Read(int* stored) const {
  if (stored != nullptr) *stored = 0;
  if (!HasSettingsKey(keyPath_)) return 0;
  char text[kTextSize];
  CopyBoundedText(text, "0", sizeof text);
  int defaultUsed = 1;
  {
    RegKey key = RegKey::OpenForReading(HKEY_CURRENT_USER, keyPath_);
    if (!key.IsOpen()) return 0;
    key.ReadString(kLanguageValueName, "0", text, &defaultUsed);
  }
  if (stored != nullptr) *stored = defaultUsed ? 0 : 1;
  return ParseLanguageNumber(text);
}

void LanguageSetting::Write(int language) const {
  if (!HasSettingsKey(keyPath_)) return;
  RegKey key = RegKey::Create(HKEY_CURRENT_USER, keyPath_);
  if (!key.IsOpen()) return;
  char text[16];
  FormatLanguageNumber(language, text, sizeof text);
  key.WriteString(kLanguageValueName, text);
}
