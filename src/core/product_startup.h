// The product's start-up policy: which edition, which mode, which resource
// library and which per-user settings key.
#pragma once

#include "core/logo_startup.h"

class ProductStartup : public LogoStartup {
 public:
  ~ProductStartup() override;

  // MEREL (14) when the installation disables the forms mode, else ZOLT (15).
  Edition QueryEdition() override;
  Mode QueryMode() override;
  // "OxaRes" in every edition and mode.
  const char* ResourceBaseName() override;
  // The "Helmex" key of the mode's product, or null for a mode without one.
  const char* UserSettingsKeyPath() override;
  // The host's status line, in the status band, when there is one.
  void PaintExtras(HWND window, HDC dc) override;
};
