// Building the resource library's file name from the host executable's full
// name, in UTF-16, so that a folder named in any script is found.
#pragma once

#include <windows.h>

#include <cstddef>

// Characters of the longest full file name the system hands out (32,767),
// with its terminator.
constexpr int kLongPathSize = 32768;

// Full name of the resource library `baseName` + `language` + ".dll" beside
// the host executable, into `path` (kLongPathSize characters); the empty
// text when no whole name can be built.
void ResourceLibraryPath(WCHAR* path, const char* baseName, int language);

// Splits `fullName` into the length of its drive (2 when the second character
// is a colon, else 0) and of the directory after it (up to and including the
// last backslash or slash, else 0), in characters. A null or empty name gives
// 0 and 0.
void SplitDriveAndDirectory(const WCHAR* fullName, size_t* driveLength, size_t* directoryLength);

// Replaces what follows the drive and directory at the start of `path` (a
// buffer of `pathSize` characters; lengths as SplitDriveAndDirectory gives
// them) with a backslash when there is a directory that ends in no separator,
// `baseName` widened from `codePage`,
// `number` (ASCII digits and sign) and ".dll". Returns 1 when the whole name
// fits; else 0, with the drive and directory left as they were (and the
// whole of `path` when the name is too long), since a cut name would name
// another file.
int AppendLibraryName(WCHAR* path, size_t pathSize, size_t driveLength, size_t directoryLength, const char* baseName,
                      const char* number, UINT codePage);

// The code page the system reads ANSI file names in: the ANSI one, or the OEM
// one after SetFileApisToOEM.
UINT FileNameCodePage();
