// The switch and file-type tests on the host's command line, and their
// character rules.
#pragma once

// 1 for a space or a horizontal tab, else 0.
int IsBlank(int ch);

// 1 for tab, line feed, vertical tab, form feed, carriage return or space;
// bytes of 128 and more are never white space.
int IsWhiteSpace(int ch);

// Whether `line` holds `name` as a switch: a hyphen-minus or slash at the
// start of the line or after a blank, the name in any ASCII letter case, then
// a blank or the end of the line. 1 for yes, 0 for no.
int LineHasSwitch(const char* line, const char* name);

// Whether `line` holds `extension` (its point included) at the end of a word:
// followed by white space, a double quote or the end of the line, ASCII
// letter case aside. 1 for yes, 0 for no.
int LineHasFileType(const char* line, const char* extension);

// The tests above on the host's own line (GetCommandLineA); 1 for yes, 0 for no.
int CommandLineHasSwitch(const char* name);
// Upper-case copies are tested, so the host's line is never touched.
int CommandLineHasFileType(const char* extension);
// 0 when "AUTOMATION", "EMBEDDING" or "NOLOGO" is a switch of the line, else 1.
int LogoAllowed();
