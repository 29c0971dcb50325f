// The system-free rules of location validation: drive form, trimming of
// trailing backslashes, the length limit. Who may change a folder: base/rights.h.
#pragma once
#include <cstddef>

// Room kept after the folder: the main executable's name plus 20 characters
// must still fit within the 260-character path limit (in UTF-16 units).
inline constexpr std::size_t kFolderLengthAllowance = 20;

// True when the text begins with a letter A-Z or a-z, ":" and "\".
bool HasDriveForm(const char *folder);

// True when the text holds '?' or '*', which no file name may: a folder
// name that a code page could not hold comes with '?' in its place.
bool HasWildcard(const char *folder);

// Removes every backslash at the end of the text, in place (never the
// second byte of a double-byte character: see SetPathCodePage).
void TrimTrailingBackslashes(char *folder);

// True when a folder of cchFolder characters (UTF-16 units) leaves room for
// the main executable's name and the allowance (227 characters at most).
bool FolderLengthFits(std::size_t cchFolder);
