#include "line_reading.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

constexpr char kPrefix[] = TARVEX_DIAG_PREFIX;

// The conversion of the insert at `form` (its '%'), past any width and
// flags, and where the form goes on after it.
char Conversion(const char* form, const char** after) {
  ++form;
  while (*form >= '0' && *form <= '9') ++form;
  *after = *form != '\0' ? form + 1 : form;
  return *form;
}

// How far an insert of `conversion` other than %s reaches from `at`: digits
// for %d (a sign first) and %u, capital hexadecimal digits for %X, one byte
// for %c; `at` itself when nothing of it is there.
size_t InsertEnd(char conversion, const std::string& text, size_t at) {
  size_t end = at;
  if (conversion == 'c') return at < text.size() ? at + 1 : at;
  if (conversion == 'd' && end < text.size() && text[end] == '-') ++end;
  const size_t digits = end;
  while (end < text.size() && (std::isdigit(static_cast<unsigned char>(text[end])) ||
                               (conversion == 'X' && text[end] >= 'A' && text[end] <= 'F'))) {
    ++end;
  }
  return end > digits ? end : at;
}

// The literal text of `form` up to its next insert or its end.
std::string LiteralAt(const char* form) { return std::string(form, std::strcspn(form, "%")); }

// Whether `text` from `at` matches `form` whole, the inserts' text appended
// to `fields`. A %s takes as little as lets the rest match.
bool Matches(const char* form, const std::string& text, size_t at, std::vector<std::string>* fields) {
  while (*form != '\0' && *form != '%') {
    if (at >= text.size() || text[at] != *form) return false;
    ++form;
    ++at;
  }
  if (*form == '\0') return at == text.size();
  const char* rest = nullptr;
  const char conversion = Conversion(form, &rest);
  if (conversion != 's') {
    const size_t end = InsertEnd(conversion, text, at);
    if (end == at) return false;
    fields->push_back(text.substr(at, end - at));
    if (Matches(rest, text, end, fields)) return true;
    fields->pop_back();
    return false;
  }
  const std::string next = LiteralAt(rest);
  for (size_t end = at; end <= text.size(); ++end) {
    // A %s at the form's end takes the rest; else it ends where the next piece begins.
    if (*rest == '\0' ? end != text.size() : text.compare(end, next.size(), next) != 0) continue;
    fields->push_back(text.substr(at, end - at));
    if (Matches(rest, text, end, fields)) return true;
    fields->pop_back();
  }
  return false;
}

}  // namespace

bool ReadDiagnosticLine(const std::string& text, DiagnosticReading* reading) {
  for (const DiagnosticForm& entry : kDiagnosticForms) {
    std::vector<std::string> fields;
    if (!Matches(entry.form, text, 0, &fields)) continue;
    *reading = DiagnosticReading{entry.key, fields, text};
    return true;
  }
  return false;
}

std::vector<DiagnosticReading> ReadDiagnosticLines(const std::vector<std::string>& lines) {
  const std::string prefix = kPrefix;
  std::vector<DiagnosticReading> readings;
  for (const std::string& line : lines) {
    DiagnosticReading reading;
    if (line.compare(0, prefix.size(), prefix) == 0 && ReadDiagnosticLine(line.substr(prefix.size()), &reading)) {
      readings.push_back(reading);
    }
  }
  return readings;
}

const std::vector<DiagnosticKey> kResourceLibraryLines = {
    DiagnosticKey::ResourceLoaded, DiagnosticKey::ResourceLoadedWithoutLookup, DiagnosticKey::ResourceNotFound,
    DiagnosticKey::ResourceFailed};
const std::vector<DiagnosticKey> kDefaultsLines = {DiagnosticKey::DefaultsUserKeyFailed,
                                                   DiagnosticKey::DefaultsSourceMissing, DiagnosticKey::DefaultsCopied,
                                                   DiagnosticKey::DefaultsRefused};
const std::vector<DiagnosticKey> kDisableFormsFoundLines = {
    DiagnosticKey::EditionValueEmpty,   DiagnosticKey::EditionValueIs,      DiagnosticKey::EditionValueBegins,
    DiagnosticKey::EditionValueByte,    DiagnosticKey::EditionValueTooLong, DiagnosticKey::EditionValueNotText,
    DiagnosticKey::EditionValueUnreadable};
const std::vector<DiagnosticKey> kEditionLines = [] {
  std::vector<DiagnosticKey> keys = {DiagnosticKey::EditionWithoutKey, DiagnosticKey::EditionKeyUnopened,
                                     DiagnosticKey::EditionValueAbsent};
  keys.insert(keys.end(), kDisableFormsFoundLines.begin(), kDisableFormsFoundLines.end());
  return keys;
}();
const std::vector<DiagnosticKey> kModeDialogFailedLines = {DiagnosticKey::ModeDialogWithoutLibrary,
                                                           DiagnosticKey::ModeDialogWithoutTemplate,
                                                           DiagnosticKey::ModeDialogRefused};
const std::vector<DiagnosticKey> kModeLines = [] {
  std::vector<DiagnosticKey> keys = {DiagnosticKey::ModeFormsDisabled, DiagnosticKey::ModeFormSwitch,
                                     DiagnosticKey::ModeStandardSwitch, DiagnosticKey::ModePacFile,
                                     DiagnosticKey::ModeFrmFile,       DiagnosticKey::ModeLogoSwitches,
                                     DiagnosticKey::ModeFromDialog,    DiagnosticKey::ModeDialogCancelled};
  keys.insert(keys.end(), kModeDialogFailedLines.begin(), kModeDialogFailedLines.end());
  return keys;
}();
const std::vector<DiagnosticKey> kNoLogoLines = {
    DiagnosticKey::NoLogoSwitch,  DiagnosticKey::NoLogoWithoutLibrary, DiagnosticKey::NoLogoWithoutBitmap,
    DiagnosticKey::NoLogoTooLarge, DiagnosticKey::NoLogoUnmade,        DiagnosticKey::NoLogoRefused,
    DiagnosticKey::NoLogoClassRefused, DiagnosticKey::NoLogoWindow};

bool IsOneOf(DiagnosticKey key, const std::vector<DiagnosticKey>& keys) {
  return std::find(keys.begin(), keys.end(), key) != keys.end();
}

const DiagnosticReading* FindReading(const std::vector<DiagnosticReading>& readings,
                                     const std::vector<DiagnosticKey>& keys, bool last) {
  const DiagnosticReading* found = nullptr;
  for (const DiagnosticReading& reading : readings) {
    if (!IsOneOf(reading.key, keys)) continue;
    found = &reading;
    if (!last) break;
  }
  return found;
}

std::string FillForm(const char* form, const std::vector<std::string>& fields) {
  std::string filled;
  size_t next = 0;
  while (*form != '\0') {
    if (*form != '%') {
      filled += *form++;
      continue;
    }
    Conversion(form, &form);
    if (next < fields.size()) filled += fields[next++];
  }
  return filled;
}

BitmapDrawn ReadBitmapDrawn(const std::vector<DiagnosticReading>& readings) {
  BitmapDrawn drawn;
  const DiagnosticReading* scaled = FindReading(readings, {DiagnosticKey::LogoDrawn}, true);
  const DiagnosticReading* shown = FindReading(readings, {DiagnosticKey::LogoShown}, true);
  // LogoDrawn: DPI, width, height, the bitmap, its width and height, how.
  if (scaled != nullptr) return BitmapDrawn{scaled->fields[3], scaled->fields[6] == TARVEX_DIAG_STRETCHED};
  if (shown != nullptr) drawn.name = shown->fields[0];
  return drawn;
}
