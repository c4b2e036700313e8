// Message boxes: no owner window, captioned with the product title.
#include "core/logo_startup.h"

int LogoStartup::ShowMessage(const char* text, UINT style) { return MessageBoxA(nullptr, text, title, style); }

int LogoStartup::ShowMessageByKey(const char* key, UINT style) {
  char text[kTextSize];
  LookUpString(text, key);
  return ShowMessage(text, style);
}
