// Every diagnostics line the library writes, keyed by what it reports: the
// library writes each line with its form here, and the probe reads a line by
// matching it against these forms whole, from the first character to the
// last, so no line is ever taken for another that begins alike. A line is
// "TarvexLogo: " and the text, in UTF-8. The probe's own sentences name the
// lines by key and quote the pieces below, never copies of them.
#pragma once

#define TARVEX_DIAG_PREFIX "TarvexLogo: "

// ---- pieces that a form and a sentence of the probe's share

// The system's message for an error, then the error: "Access denied (error 5)".
#define TARVEX_DIAG_SYSTEM_ERROR "%s (error %u)"
#define TARVEX_DIAG_RESOURCE_LIBRARY "resource library "
#define TARVEX_DIAG_NO_RESOURCE_LIBRARY "no resource library was loaded"
#define TARVEX_DIAG_FAILED_TO_LOAD " failed to load: "
#define TARVEX_DIAG_OWN_MODULE_USED ", own module used"
#define TARVEX_DIAG_EDITION "edition "
// What the edition line says of the forms mode.
#define TARVEX_DIAG_FORMS_ENABLED "enabled"
#define TARVEX_DIAG_FORMS_DISABLED "disabled"
#define TARVEX_DIAG_DISABLE_FORMS_IN "\"DisableForms\" in "
#define TARVEX_DIAG_MODE "mode "
#define TARVEX_DIAG_DIALOG_NOT_SHOWN "the mode dialog could not be shown: "
#define TARVEX_DIAG_NO_LOGO "no logo: "
#define TARVEX_DIAG_LOGO_SWITCHES "an AUTOMATION, EMBEDDING or NOLOGO"
#define TARVEX_DIAG_SWITCH " switch"
// How a scaled logo was drawn.
#define TARVEX_DIAG_PIXEL_FOR_PIXEL "pixel for pixel"
#define TARVEX_DIAG_STRETCHED "stretched"

// ---- pieces of several forms

#define TARVEX_DIAG_DEFAULTS "new-user defaults: "
#define TARVEX_DIAG_DEFAULTS_COUNTS \
  TARVEX_DIAG_DEFAULTS "%u keys walked, %u created for the user; %u values copied, %u kept"
// The edition, then "enabled" or "disabled".
#define TARVEX_DIAG_EDITION_LEAD TARVEX_DIAG_EDITION "%d (forms %s): "
// Key, registry view.
#define TARVEX_DIAG_DISABLE_FORMS_FOUND \
  TARVEX_DIAG_EDITION_LEAD TARVEX_DIAG_DISABLE_FORMS_IN "HKLM\\%s (%s registry view) "
#define TARVEX_DIAG_MODE_DIALOG_FAILED TARVEX_DIAG_MODE "0: " TARVEX_DIAG_DIALOG_NOT_SHOWN
#define TARVEX_DIAG_EXIT_NOT_STARTED "exit command not started: "

// ---- the lines: each its key and its form, the inserts named after it

#define TARVEX_DIAGNOSTIC_LINES(LINE)                                                                                \
  /* the new-user defaults */                                                                                        \
  LINE(DefaultsUserKeyFailed, TARVEX_DIAG_DEFAULTS "user key HKCU\\%s could not be opened, nothing copied") /* key */ \
  LINE(DefaultsSourceMissing, TARVEX_DIAG_DEFAULTS "HKLM\\%s missing or unreadable")               /* key */         \
  /* keys walked, created, values copied, kept */                                                                    \
  LINE(DefaultsCopied, TARVEX_DIAG_DEFAULTS_COUNTS)                                                                  \
  /* the same, then values refused, keys cut short */                                                                \
  LINE(DefaultsRefused, TARVEX_DIAG_DEFAULTS_COUNTS ", %u refused, %u keys cut short")                               \
  /* the language setting */                                                                                         \
  LINE(LanguageWithoutKey, "no language setting for this mode, English")                                             \
  LINE(LanguageNotStored, "no language setting in HKCU\\%s, English")                  /* key */                     \
  LINE(LanguageRead, "language %d from HKCU\\%s")                                      /* language, key */           \
  /* the code page */                                                                                                \
  LINE(CodePageUnchecked, "no code-page check for language %d")                        /* language */                \
  LINE(CodePageSuits, "code page %u suits language %d")                                /* code page, language */     \
  /* language, the code page it needs, the system's */                                                               \
  LINE(CodePageMismatch, "language %d needs code page %u, system has %u")                                            \
  LINE(CodePageWithoutEnglish, "code page: no English resource library, the user was told and the language stays")   \
  LINE(CodePageAsked, "code page: asked to switch to English, answer %s")              /* Yes, No or another */      \
  /* the resource library, by its name */                                                                            \
  LINE(ResourcePathMissing, "no resource library path" TARVEX_DIAG_OWN_MODULE_USED)                                  \
  LINE(ResourceLoaded, TARVEX_DIAG_RESOURCE_LIBRARY "%s loaded, GetResourceID found")                                \
  LINE(ResourceLoadedWithoutLookup,                                                                                  \
       TARVEX_DIAG_RESOURCE_LIBRARY "%s loaded, no GetResourceID: keys show as themselves")                          \
  LINE(ResourceNotFound, TARVEX_DIAG_RESOURCE_LIBRARY "%s not found" TARVEX_DIAG_OWN_MODULE_USED)                    \
  LINE(ResourceFailed, TARVEX_DIAG_RESOURCE_LIBRARY "%s" TARVEX_DIAG_FAILED_TO_LOAD TARVEX_DIAG_SYSTEM_ERROR         \
                           TARVEX_DIAG_OWN_MODULE_USED)                                                              \
  /* the edition: its number and "enabled" or "disabled", then where "DisableForms" was looked for, by key and */   \
  /* registry view, and what it holds */                                                                             \
  LINE(EditionWithoutKey, TARVEX_DIAG_EDITION_LEAD "no key HKLM\\%s in the %s registry view")                        \
  LINE(EditionKeyUnopened,                                                                                           \
       TARVEX_DIAG_EDITION_LEAD "HKLM\\%s (%s registry view) could not be opened: " TARVEX_DIAG_SYSTEM_ERROR)        \
  LINE(EditionValueAbsent, TARVEX_DIAG_EDITION_LEAD "\"DisableForms\" absent from HKLM\\%s (%s registry view)")      \
  LINE(EditionValueEmpty, TARVEX_DIAG_DISABLE_FORMS_FOUND "is empty")                                                \
  LINE(EditionValueIs, TARVEX_DIAG_DISABLE_FORMS_FOUND "is \"%c\"")                    /* its one character */       \
  LINE(EditionValueBegins, TARVEX_DIAG_DISABLE_FORMS_FOUND "begins with \"%c\"")       /* its first character */     \
  /* its first byte, then " (a UTF-8 byte-order mark, EF BB BF)" or nothing */                                      \
  LINE(EditionValueByte, TARVEX_DIAG_DISABLE_FORMS_FOUND "begins with byte 0x%02X%s")                                \
  LINE(EditionValueTooLong, TARVEX_DIAG_DISABLE_FORMS_FOUND "is longer than 511 bytes")                              \
  LINE(EditionValueNotText, TARVEX_DIAG_DISABLE_FORMS_FOUND "is not text")                                           \
  LINE(EditionValueUnreadable, TARVEX_DIAG_DISABLE_FORMS_FOUND "could not be read")                                  \
  /* the mode, and the rule that settled it */                                                                       \
  LINE(ModeFormsDisabled, TARVEX_DIAG_MODE "%d: forms disabled")                                                     \
  LINE(ModeFormSwitch, TARVEX_DIAG_MODE "%d from the /form switch")                                                  \
  LINE(ModeStandardSwitch, TARVEX_DIAG_MODE "%d from the /standard switch")                                          \
  LINE(ModePacFile, TARVEX_DIAG_MODE "%d from a .pac file")                                                          \
  LINE(ModeFrmFile, TARVEX_DIAG_MODE "%d from a .frm file")                                                          \
  LINE(ModeLogoSwitches, TARVEX_DIAG_MODE "%d: logo switches forbid asking")                                         \
  LINE(ModeFromDialog, TARVEX_DIAG_MODE "%d from the mode dialog (control %d)")                                      \
  LINE(ModeDialogWithoutLibrary,                                                                                     \
       TARVEX_DIAG_MODE_DIALOG_FAILED TARVEX_DIAG_NO_RESOURCE_LIBRARY ", and dialog %d comes from it") /* template */\
  LINE(ModeDialogWithoutTemplate, TARVEX_DIAG_MODE_DIALOG_FAILED "the resource library has no dialog template %d")   \
  LINE(ModeDialogRefused, TARVEX_DIAG_MODE_DIALOG_FAILED TARVEX_DIAG_SYSTEM_ERROR)                                   \
  LINE(ModeDialogCancelled, "mode dialog cancelled: the process ends with exit code %u")                             \
  /* the logo, by its bitmap's name */                                                                               \
  LINE(NoLogoSwitch, TARVEX_DIAG_NO_LOGO TARVEX_DIAG_LOGO_SWITCHES TARVEX_DIAG_SWITCH)                               \
  LINE(NoLogoWithoutLibrary,                                                                                         \
       TARVEX_DIAG_NO_LOGO TARVEX_DIAG_NO_RESOURCE_LIBRARY ", and the logo's bitmap %s comes from it")               \
  LINE(NoLogoWithoutBitmap, TARVEX_DIAG_NO_LOGO "the resource library has no bitmap %s")                             \
  /* the bitmap, its width and height, the logo's largest */                                                        \
  LINE(NoLogoTooLarge,                                                                                               \
       TARVEX_DIAG_NO_LOGO "bitmap %s of the resource library declares %dx%d pixels, more than a logo's %dx%d")      \
  LINE(NoLogoUnmade, TARVEX_DIAG_NO_LOGO "bitmap %s of the resource library could not be made into a picture")       \
  LINE(NoLogoRefused,                                                                                                \
       TARVEX_DIAG_NO_LOGO "the platform refused bitmap %s of the resource library: " TARVEX_DIAG_SYSTEM_ERROR)      \
  LINE(NoLogoClassRefused, TARVEX_DIAG_NO_LOGO "the window class could not be registered: " TARVEX_DIAG_SYSTEM_ERROR) \
  LINE(NoLogoWindow, TARVEX_DIAG_NO_LOGO "the window for %s could not be created: " TARVEX_DIAG_SYSTEM_ERROR)         \
  /* a variant for a larger scale, and why: damaged, too large, or not made into a picture */                       \
  LINE(LogoVariantLeftAside, "logo variant %s left aside: %s")                                                       \
  /* the bitmap, x, y, width, height, then " with its palette" or nothing */                                        \
  LINE(LogoShown, "logo %s shown at %d,%d %dx%d%s")                                                                  \
  /* DPI, the client's width and height, the bitmap drawn, its width and height, then how */                        \
  LINE(LogoDrawn, "logo drawn at %d DPI: %dx%d pixels from bitmap %s of %dx%d, %s")                                  \
  /* at an unload on another thread: how long it waited, in milliseconds */                                         \
  LINE(LogoLeftToItsThread, "logo: its thread still ran the library's window procedure %u ms into the unload; its "  \
                            "bitmap, palette and font are left to it")                                               \
  /* the exit command: the program as named or found, then the command line */                                      \
  LINE(ExitStarted, "exit command started: program %s, command line %s")                                             \
  /* the program the system would have started, then a longer reading that names one too */                         \
  LINE(ExitAmbiguous,                                                                                                \
       TARVEX_DIAG_EXIT_NOT_STARTED "unquoted, it would start %s, yet %s exists too; quote the program's path")      \
  LINE(ExitQuoteOpen, TARVEX_DIAG_EXIT_NOT_STARTED "the quote before its program is not closed")                     \
  LINE(ExitWithoutProgram, TARVEX_DIAG_EXIT_NOT_STARTED "no program found for %s")     /* the command line */        \
  LINE(ExitNameTooLong, TARVEX_DIAG_EXIT_NOT_STARTED "a program's full name is too long in %s")                      \
  LINE(ExitRefused, TARVEX_DIAG_EXIT_NOT_STARTED "program %s: " TARVEX_DIAG_SYSTEM_ERROR)

// Each line's key.
enum class DiagnosticKey {
#define TARVEX_DIAG_KEY(key, form) key,
  TARVEX_DIAGNOSTIC_LINES(TARVEX_DIAG_KEY)
#undef TARVEX_DIAG_KEY
};

// Each line's form, a printf format, named by its key: what the library
// writes with.
namespace diagnostic_form {
#define TARVEX_DIAG_FORM(key, form) inline constexpr char key[] = form;
TARVEX_DIAGNOSTIC_LINES(TARVEX_DIAG_FORM)
#undef TARVEX_DIAG_FORM
}  // namespace diagnostic_form

// The table the probe reads with: every key and its form, in the order above.
struct DiagnosticForm {
  DiagnosticKey key;
  const char* form;
};
inline constexpr DiagnosticForm kDiagnosticForms[] = {
#define TARVEX_DIAG_ENTRY(key, form) {DiagnosticKey::key, diagnostic_form::key},
    TARVEX_DIAGNOSTIC_LINES(TARVEX_DIAG_ENTRY)
#undef TARVEX_DIAG_ENTRY
};
