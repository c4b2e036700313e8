#include "line_reading.h"

#include "diagnostic_lines.h"

namespace {

bool StartsWith(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

bool ReadResourceNotFound(const std::string& line, std::string* path) {
  const std::string start = TARVEX_DIAG_RESOURCE_LIBRARY;
  const std::string end = TARVEX_DIAG_NOT_FOUND TARVEX_DIAG_OWN_MODULE_USED;
  if (!StartsWith(line, start) || !EndsWith(line, end) || line.size() <= start.size() + end.size()) return false;
  *path = line.substr(start.size(), line.size() - start.size() - end.size());
  return true;
}

bool ReadResourceLoadFailure(const std::string& line, std::string* path, std::string* reason) {
  const std::string start = TARVEX_DIAG_RESOURCE_LIBRARY;
  const std::string failed = TARVEX_DIAG_FAILED_TO_LOAD;
  const std::string end = TARVEX_DIAG_OWN_MODULE_USED;
  const size_t at = line.find(failed);
  if (!StartsWith(line, start) || at == std::string::npos || !EndsWith(line, end)) return false;
  *path = line.substr(start.size(), at - start.size());
  const size_t from = at + failed.size();
  *reason = line.substr(from, line.size() - end.size() - from);
  return true;
}

bool IsNoResourcePath(const std::string& line) { return StartsWith(line, TARVEX_DIAG_NO_RESOURCE_PATH); }

bool LacksResourceLookup(const std::string& line) {
  return StartsWith(line, TARVEX_DIAG_RESOURCE_LIBRARY) && line.find(TARVEX_DIAG_NO_LOOKUP) != std::string::npos;
}

bool ReadCodePageMismatch(const std::string& line, std::string* mismatch) {
  if (!StartsWith(line, TARVEX_DIAG_LANGUAGE) || line.find(TARVEX_DIAG_NEEDS_CODE_PAGE) == std::string::npos) {
    return false;
  }
  *mismatch = line;
  return true;
}

bool IsDefaultsFailure(const std::string& line) {
  return StartsWith(line, TARVEX_DIAG_DEFAULTS) && (line.find(TARVEX_DIAG_COULD_NOT_BE_OPENED) != std::string::npos ||
                                                    line.find(TARVEX_DIAG_REFUSED) != std::string::npos);
}

bool ReadUnclearDisableForms(const std::string& line, std::string* found) {
  const size_t at = line.find(TARVEX_DIAG_DISABLE_FORMS_IN);
  if (!StartsWith(line, TARVEX_DIAG_FORMS_ENABLED) || at == std::string::npos || EndsWith(line, TARVEX_DIAG_IS_ZERO)) {
    return false;
  }
  *found = line.substr(at);
  return true;
}

bool ReadModeDialogFailure(const std::string& line, std::string* reason) {
  const std::string start = TARVEX_DIAG_MODE_DIALOG_FAILED;
  if (!StartsWith(line, start)) return false;
  *reason = line.substr(start.size());
  return true;
}

bool IsNoLogoSwitch(const std::string& line) { return line == TARVEX_DIAG_NO_LOGO_SWITCH; }

bool IsNoLogoFailure(const std::string& line) { return StartsWith(line, TARVEX_DIAG_NO_LOGO) && !IsNoLogoSwitch(line); }

bool ReadLogoShown(const std::string& line, std::string* bitmap) {
  const std::string start = TARVEX_DIAG_LOGO;
  const size_t shown = line.find(TARVEX_DIAG_SHOWN_AT);
  if (!StartsWith(line, start) || shown == std::string::npos || shown <= start.size()) return false;
  *bitmap = line.substr(start.size(), shown - start.size());
  return true;
}

bool ReadLogoDrawn(const std::string& line, std::string* bitmap, bool* stretched) {
  static const std::string kFrom = " from bitmap ";
  const size_t from = line.find(kFrom);
  const size_t of = line.rfind(" of ");
  if (!StartsWith(line, TARVEX_DIAG_LOGO_DRAWN) || from == std::string::npos || of == std::string::npos ||
      of <= from + kFrom.size()) {
    return false;
  }
  *bitmap = line.substr(from + kFrom.size(), of - from - kFrom.size());
  *stretched = EndsWith(line, ", " TARVEX_DIAG_STRETCHED);
  return true;
}
