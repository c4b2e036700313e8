// The check that the system's ANSI code page suits the interface language.
// (Filled in with the language issue.)
#include "core/logo_startup.h"

void LogoStartup::CheckCodePage() {}

void LogoStartup::ReportCodePageMismatch() {}
