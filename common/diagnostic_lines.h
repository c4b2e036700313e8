// The diagnostics lines another program reads: the probe's problems, notes
// and summary. The library writes them with these formats and the probe
// recognises them by these beginnings and pieces, so a line is reworded in
// one place for both. Every line is "TarvexLogo: " and the text, in UTF-8.
#pragma once

#define TARVEX_DIAG_PREFIX "TarvexLogo: "

// ---- the resource library
#define TARVEX_DIAG_RESOURCE_LIBRARY "resource library "
#define TARVEX_DIAG_OWN_MODULE_USED ", own module used"
#define TARVEX_DIAG_NOT_FOUND " not found"
#define TARVEX_DIAG_FAILED_TO_LOAD " failed to load: "
#define TARVEX_DIAG_NO_LOOKUP "no GetResourceID"
#define TARVEX_DIAG_NO_RESOURCE_PATH "no resource library path"
// name, then "GetResourceID found" or the lookup's absence
#define TARVEX_DIAG_RESOURCE_LOADED_FORMAT TARVEX_DIAG_RESOURCE_LIBRARY "%s loaded, %s"
#define TARVEX_DIAG_LOOKUP_FOUND "GetResourceID found"
#define TARVEX_DIAG_LOOKUP_MISSING TARVEX_DIAG_NO_LOOKUP ": keys show as themselves"
#define TARVEX_DIAG_RESOURCE_NOT_FOUND_FORMAT \
  TARVEX_DIAG_RESOURCE_LIBRARY "%s" TARVEX_DIAG_NOT_FOUND TARVEX_DIAG_OWN_MODULE_USED
// name, the system's message, the error
#define TARVEX_DIAG_RESOURCE_FAILED_FORMAT \
  TARVEX_DIAG_RESOURCE_LIBRARY "%s" TARVEX_DIAG_FAILED_TO_LOAD "%s (error %u)" TARVEX_DIAG_OWN_MODULE_USED
#define TARVEX_DIAG_NO_RESOURCE_PATH_LINE TARVEX_DIAG_NO_RESOURCE_PATH TARVEX_DIAG_OWN_MODULE_USED

// ---- the code page
#define TARVEX_DIAG_LANGUAGE "language "
#define TARVEX_DIAG_NEEDS_CODE_PAGE " needs code page "
// language, the code page it needs, the system's
#define TARVEX_DIAG_CODE_PAGE_MISMATCH_FORMAT TARVEX_DIAG_LANGUAGE "%d" TARVEX_DIAG_NEEDS_CODE_PAGE "%u, system has %u"

// ---- the new-user defaults
#define TARVEX_DIAG_DEFAULTS "new-user defaults: "
#define TARVEX_DIAG_COULD_NOT_BE_OPENED " could not be opened"
#define TARVEX_DIAG_REFUSED " refused"
#define TARVEX_DIAG_USER_KEY_FAILED_FORMAT \
  TARVEX_DIAG_DEFAULTS "user key HKCU\\%s" TARVEX_DIAG_COULD_NOT_BE_OPENED ", nothing copied"
// keys walked, created, values copied, kept, refused, keys cut short
#define TARVEX_DIAG_DEFAULTS_REFUSED_FORMAT \
  TARVEX_DIAG_DEFAULTS "%u keys walked, %u created for the user; %u values copied, %u kept, %u" TARVEX_DIAG_REFUSED \
                       ", %u keys cut short"

// ---- the edition and the mode
// edition, then "enabled" or "disabled"
#define TARVEX_DIAG_EDITION "edition "
#define TARVEX_DIAG_EDITION_FORMAT TARVEX_DIAG_EDITION "%d (forms %s): "
#define TARVEX_DIAG_FORMS_ENABLED TARVEX_DIAG_EDITION "15 (forms enabled): "
#define TARVEX_DIAG_DISABLE_FORMS_IN "\"DisableForms\" in "
// key, registry view; then what the value is or begins with
#define TARVEX_DIAG_DISABLE_FORMS_FOUND_FORMAT TARVEX_DIAG_DISABLE_FORMS_IN "HKLM\\%s (%s registry view) "
#define TARVEX_DIAG_IS_ZERO "is \"0\""
#define TARVEX_DIAG_MODE "mode "
#define TARVEX_DIAG_MODE_DIALOG_FAILED "mode 0: the mode dialog could not be shown: "

// ---- the logo
#define TARVEX_DIAG_LOGO "logo "
// bitmap name, x, y, width, height, then " with its palette" or nothing
#define TARVEX_DIAG_SHOWN_AT " shown at "
#define TARVEX_DIAG_LOGO_SHOWN_FORMAT TARVEX_DIAG_LOGO "%s" TARVEX_DIAG_SHOWN_AT "%d,%d %dx%d%s"
// DPI, the client's width and height, the bitmap drawn and its width and
// height, then how: pixel for pixel or stretched
#define TARVEX_DIAG_LOGO_DRAWN "logo drawn at "
#define TARVEX_DIAG_LOGO_DRAWN_FORMAT TARVEX_DIAG_LOGO_DRAWN "%d DPI: %dx%d pixels from bitmap %s of %dx%d, %s"
#define TARVEX_DIAG_PIXEL_FOR_PIXEL "pixel for pixel"
#define TARVEX_DIAG_STRETCHED "stretched"
#define TARVEX_DIAG_NO_LOGO "no logo: "
#define TARVEX_DIAG_NO_LOGO_SWITCH TARVEX_DIAG_NO_LOGO "an AUTOMATION, EMBEDDING or NOLOGO switch"

// ---- the exit command
#define TARVEX_DIAG_EXIT_COMMAND "exit command "
#define TARVEX_DIAG_EXIT_NOT_STARTED TARVEX_DIAG_EXIT_COMMAND "not started: "
// the program the system would have started, then a longer reading that names one too
#define TARVEX_DIAG_EXIT_AMBIGUOUS_FORMAT \
  TARVEX_DIAG_EXIT_NOT_STARTED "unquoted, it would start %s, yet %s exists too; quote the program's path"
#define TARVEX_DIAG_EXIT_QUOTE_OPEN TARVEX_DIAG_EXIT_NOT_STARTED "the quote before its program is not closed"
// the command line
#define TARVEX_DIAG_EXIT_NO_PROGRAM_FORMAT TARVEX_DIAG_EXIT_NOT_STARTED "no program found for %s"
#define TARVEX_DIAG_EXIT_TOO_LONG_FORMAT TARVEX_DIAG_EXIT_NOT_STARTED "a program's full name is too long in %s"
// the program as named or found, then the command line
#define TARVEX_DIAG_EXIT_STARTED_FORMAT TARVEX_DIAG_EXIT_COMMAND "started: program %s, command line %s"
