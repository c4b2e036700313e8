// The interface language setting of the current user: value
// "InterfaceLanguage" of the key the product names for the current mode.
#include "core/bounded_text.h"
#include "core/logo_startup.h"
#include "language/language_number.h"
#include "settings/reg_key.h"

namespace {

constexpr char kLanguageValueName[] = "InterfaceLanguage";

// A class without a settings key for this mode answers null (or nothing);
// the root of the user's hive must never stand in for it.
bool HasSettingsKey(const char* keyPath) { return keyPath != nullptr && keyPath[0] != '\0'; }

}  // namespace

int LogoStartup::ReadLanguageSetting(int* stored) {
  if (stored != nullptr) *stored = 0;
  const char* keyPath = UserSettingsKeyPath();
  if (!HasSettingsKey(keyPath)) return 0;
  char text[kTextSize];
  CopyBoundedText(text, "0", sizeof text);
  int defaultUsed = 1;
  {
    RegKey key = RegKey::OpenForReading(HKEY_CURRENT_USER, keyPath);
    if (!key.IsOpen()) return 0;
    key.ReadString(kLanguageValueName, "0", text, &defaultUsed);
  }
  if (stored != nullptr) *stored = defaultUsed ? 0 : 1;
  return ParseLanguageNumber(text);
}

void LogoStartup::WriteLanguageSetting(int newLanguage) {
  // The choice holds for this run even when it cannot be stored.
  language = newLanguage;
  const char* keyPath = UserSettingsKeyPath();
  if (!HasSettingsKey(keyPath)) return;
  RegKey key = RegKey::Create(HKEY_CURRENT_USER, keyPath);
  if (!key.IsOpen()) return;
  char text[16];
  FormatLanguageNumber(newLanguage, text, sizeof text);
  key.WriteString(kLanguageValueName, text);
}
