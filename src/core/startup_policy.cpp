#include "core/startup_policy.h"

#include "text/bounded_text.h"

int EditionNumber(Edition edition) { return edition == Edition::NotSettled ? 16 : static_cast<int>(edition); }

int ModeNumber(Mode mode) { return static_cast<int>(mode); }

const char* EditionName(Edition edition) {
  switch (EditionNumber(edition)) {
    case 13:
      return "TAMIR";
    case 15:
      return "ZOLT";
    case 16:
      return "KIRVANE";
    case 17:
      return "DRUVA";
    default:
      return "MEREL";
  }
}

void StartupPolicy::LogoBitmapName(bool svga, char* name) const {
  CopyBoundedText(name, svga ? "SVGA_LOGO_" : "VGA_LOGO_", kTextSize);
  switch (mode_) {
    case Mode::Main:
      AppendBoundedText(name, EditionName(edition_), kTextSize);
      break;
    case Mode::Forms:
      AppendBoundedText(name, "PELTRA", kTextSize);
      break;
    case Mode::Third:
      AppendBoundedText(name, "DRUVA", kTextSize);
      break;
    default:  // the bare prefix
      break;
  }
}
