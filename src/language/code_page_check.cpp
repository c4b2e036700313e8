// The check that the system's ANSI code page suits the interface language,
// with the offer to fall back on English.
#include "language/code_page_check.h"

#include "core/diagnostics.h"
#include "core/logo_startup.h"

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

void LogoStartup::CheckCodePage() {
  UINT systemCodePage = GetACP();
  UINT required = RequiredCodePage(language);
  if (required == 0) {
    Diagnose(diagnostic_form::CodePageUnchecked, language);
    return;
  }
  if (required == systemCodePage) {
    Diagnose(diagnostic_form::CodePageSuits, systemCodePage, language);
    return;
  }
  Diagnose(diagnostic_form::CodePageMismatch, language, required, systemCodePage);
  ReportCodePageMismatch();
}

void LogoStartup::ReportCodePageMismatch() {
  if (!ResourceLibraryExists(0)) {
    ShowMessage(kLanguageNotSupported, MB_ICONHAND | MB_OK);
    Diagnose(diagnostic_form::CodePageWithoutEnglish);
    return;
  }
  // The mode is not settled yet, so "0" goes to the main mode's key.
  const int answer = ShowMessage(kOfferEnglish, MB_ICONQUESTION | MB_YESNO);
  Diagnose(diagnostic_form::CodePageAsked, AnswerName(answer));
  if (answer == IDYES) WriteLanguageSetting(0);
}
