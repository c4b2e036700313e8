// Building the resource library's file name from the host executable's name.
#pragma once

#include <windows.h>

// Splits `fullName` into its drive ("C:" when the second character is a
// colon, else empty) and its directory (what follows the drive up to and
// including the last backslash or slash, else empty), each into a buffer of
// kTextSize bytes. Double-byte characters of `codePage` are stepped over, so a
// second byte equal to a backslash is no separator; a lead byte just before
// the terminator is taken as a single byte. Reads at most kTextSize bytes.
void SplitDriveAndDirectory(const char* fullName, UINT codePage, char* drive, char* directory);

// Joins drive, directory (a backslash added when it ends in no separator),
// base name, number text and ".dll" into `path` (kTextSize bytes). Returns 1
// when the whole name fits; else 0 and `path` is left untouched, since a cut
// name would name another file.
int JoinLibraryPath(char* path, const char* drive, const char* directory, const char* baseName,
                    const char* number);
