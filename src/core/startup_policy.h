// What a start settles: the edition and the working mode. Both are enums
// inside the library and numbers only where another program reads them (the
// exports and the diagnostics lines).
#pragma once

// The product's editions by their codes (any 32-bit code may be settled);
// NotSettled until the start settles one, outside every code. Its number is
// 16, as KIRVANE's: the exports cannot tell them apart.
enum class Edition : long long { Tamir = 13, Merel = 14, Zolt = 15, Kirvane = 16, Druva = 17, NotSettled = 1LL << 32 };

// The working modes by their codes; the main mode until the start settles one.
enum class Mode : int { Main = 0, Forms = 1, Third = 2 };

// The code the exports and the diagnostics give: 16 for NotSettled.
int EditionNumber(Edition edition);
int ModeNumber(Mode mode);

// "TAMIR" (13), "ZOLT" (15), "KIRVANE" (16 and NotSettled), "DRUVA" (17), and
// "MEREL" for every other code; static text, never null.
const char* EditionName(Edition edition);

class StartupPolicy {
 public:
  Edition GetEdition() const { return edition_; }
  Mode GetMode() const { return mode_; }
  void SettleEdition(Edition edition) { edition_ = edition; }
  void SettleMode(Mode mode) { mode_ = mode; }

  // The logo's bitmap resource name for the display class, into `name`
  // (kTextSize bytes): "SVGA_LOGO_" or "VGA_LOGO_", then the edition's name in
  // the main mode, "PELTRA" in the forms mode, "DRUVA" in the third, nothing
  // in any other.
  void LogoBitmapName(bool svga, char* name) const;

 private:
  Edition edition_ = Edition::NotSettled;
  Mode mode_ = Mode::Main;
};
