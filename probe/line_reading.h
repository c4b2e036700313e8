// Reading the library's diagnostics lines against the table of their forms
// (diagnostic_lines.h), which the problems, notes, summary and logo report
// are made of. Plain text in and out, so that the library's own tests read
// the lines it writes with these very functions.
#pragma once

#include <string>
#include <vector>

#include "diagnostic_lines.h"

// One line of the library's, read: its key, the text standing for each
// insert of its form, in order, and the line after "TarvexLogo: ".
struct DiagnosticReading {
  DiagnosticKey key;
  std::vector<std::string> fields;
  std::string text;
};

// Reads `text` (a line after "TarvexLogo: ", without its line end) against
// every form: true, *reading filled, when a form matches it whole, from its
// first character to its last; false, *reading untouched, when none does.
bool ReadDiagnosticLine(const std::string& text, DiagnosticReading* reading);

// The lines of `lines` that begin with "TarvexLogo: " and read against a
// form, read, in order.
std::vector<DiagnosticReading> ReadDiagnosticLines(const std::vector<std::string>& lines);

// The first (with `last`, the last) reading whose key is one of `keys`; null
// when there is none.
const DiagnosticReading* FindReading(const std::vector<DiagnosticReading>& readings,
                                     const std::vector<DiagnosticKey>& keys, bool last = false);
// The reading found would go with the readings it lies in.
const DiagnosticReading* FindReading(std::vector<DiagnosticReading>&& readings, const std::vector<DiagnosticKey>& keys,
                                     bool last = false) = delete;

// Whether `key` is one of `keys`.
bool IsOneOf(DiagnosticKey key, const std::vector<DiagnosticKey>& keys);

// The lines of one subject, as the readers look for them.
// A resource library loaded, or not found or not loaded by its name.
extern const std::vector<DiagnosticKey> kResourceLibraryLines;
// The defaults copy's outcome.
extern const std::vector<DiagnosticKey> kDefaultsLines;
// The edition, whatever "DisableForms" was found to be.
extern const std::vector<DiagnosticKey> kEditionLines;
// The edition where "DisableForms" was found: what it holds.
extern const std::vector<DiagnosticKey> kDisableFormsFoundLines;
// The mode and the rule that settled it, a dialog that could not be shown or
// was cancelled among them.
extern const std::vector<DiagnosticKey> kModeLines;
// The mode dialog that could not be shown, and why.
extern const std::vector<DiagnosticKey> kModeDialogFailedLines;
// No logo, by a switch or for want of something.
extern const std::vector<DiagnosticKey> kNoLogoLines;

// `form` with each of its inserts replaced by the next of `fields` (none
// past the last): a piece of a line, as a sentence quotes it.
std::string FillForm(const char* form, const std::vector<std::string>& fields);

// The bitmap the library drew, and whether it stretched it to the client
// area: the last line that says it was drawn scaled, else the last that says
// the logo was shown. An empty name when neither is there.
struct BitmapDrawn {
  std::string name;
  bool stretched = false;
};
BitmapDrawn ReadBitmapDrawn(const std::vector<DiagnosticReading>& readings);
