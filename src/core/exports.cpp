// The exported functions: thin forwarders to the one start-up object.
#include "core/exports.h"

#include <cstring>

#include "core/logo_startup.h"

extern "C" {

int __cdecl LogoGetMode() { return ModeNumber(TheStartup()->Policy().GetMode()); }

int __cdecl LogoGetEdition() { return EditionNumber(TheStartup()->Policy().GetEdition()); }

int __cdecl LogoClose() { return TheStartup()->CloseLogo(); }

const char* __cdecl LogoSetExitCommand(const char* command, int show) {
  return TheStartup()->SetExitCommand(command, show);
}

void __cdecl BeforeInitHelmex(char* names) {
  char* productKeyName = names;
  char* resourceBaseName = names + kHelmexFieldSize;
  const int edition = LogoGetEdition();
  if (edition == 13) {
    std::strcpy(productKeyName, "Nalvo4");
    std::strcpy(resourceBaseName, "WisRes");
    return;
  }
  std::strcpy(resourceBaseName, edition == 16 ? "TalRes" : edition == 17 ? "KorRes" : "OxaRes");
  switch (LogoGetMode()) {
    case 0:
      std::strcpy(productKeyName, "Tarvex4");
      break;
    case 1:
      std::strcpy(productKeyName, "Brindo4");
      break;
    case 2:
      std::strcpy(productKeyName, "Quessa4");
      break;
    default:  // the caller's text stays
      break;
  }
}

int __cdecl GetVersionNumber() { return TARVEX_LOGO_VERSION_NUMBER; }

int __cdecl LogoSetStatusText(const char* text) { return TheStartup()->SetStatusText(text); }

}  // extern "C"
