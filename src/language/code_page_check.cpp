// The check that the system's ANSI code page suits the interface language,
// with the offer to fall back on English.
#include "language/code_page_check.h"

#include "diagnostics/diagnostics.h"
#include "language/language_setting.h"
#include "language/resource_library.h"

namespace {

// Fixed English texts: no resource library is loaded when they are shown.
constexpr char kLanguageNotSupported[] =
    "The selected interface language is not supported in current code page of the system.";
constexpr char kOfferEnglish[] =
    "The selected interface language is not supported in current code page of the system.\n"
    "Do you want to change interface language to English?";

// The answer to the question, as the support engineer reads it.
const char* AnswerName(int answer) {
  switch (answer) {
    case IDYES:
      return "Yes";
    case IDNO:
      return "No";
    case 0:
      return "none (no box could be shown)";
    default:
      return "other";
  }
}

}  // namespace

UINT RequiredCodePage(int language) {
  switch (language) {
    case 1:
    case 4:
      return 1251;  // Cyrillic
    case 2:
    case 3:
      return 1252;  // Western European
    case 20:
      return 1257;  // Baltic
    default:
      return 0;
  }
}

namespace {

// The mismatch told to the user, with the offer of English when its library
// is there; the language to use.
int ReportCodePageMismatch(int language, ResourceLibrary& resources, const LanguageSetting& setting) {
  if (!resources.Exists(0)) {
    resources.ShowMessage(kLanguageNotSupported, MB_ICONHAND | MB_OK);
    Diagnose(diagnostic_form::CodePageWithoutEnglish);
    return language;
  }
  const int answer = resources.ShowMessage(kOfferEnglish, MB_ICONQUESTION | MB_YESNO);
  Diagnose(diagnostic_form::CodePageAsked, AnswerName(answer));
  if (answer != IDYES) return language;
  // The choice holds for this run even when it cannot be stored.
  setting.Write(0);
  return 0;
}

}  // namespace

int CheckCodePage(int language, ResourceLibrary& resources, const LanguageSetting& setting) {
  UINT systemCodePage = GetACP();
  UINT required = RequiredCodePage(language);
  if (required == 0) {
    Diagnose(diagnostic_form::CodePageUnchecked, language);
    return language;
  }
  if (required == systemCodePage) {
    Diagnose(diagnostic_form::CodePageSuits, systemCodePage, language);
    return language;
  }
  Diagnose(diagnostic_form::CodePageMismatch, language, required, systemCodePage);
  return ReportCodePageMismatch(language, resources, setting);
}
