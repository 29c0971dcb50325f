// The system-free rules of location validation: drive form, trimming of
// trailing backslashes, the length limit, and who may change a folder.
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

// True when the folder that sddl describes (its owner and DACL, as the system writes them as text)
// may be changed by anyone other than Administrators, SYSTEM, TrustedInstaller or runner (the SID,
// as text, of the account that runs the program): an owner other than those (who may always change
// the DACL), or an allow entry that is not inherit-only and grants any of them write, append,
// delete, delete-child, WRITE_DAC or WRITE_OWNER (or generic write or all). No DACL at all, and
// text that cannot be read, count as open to everyone.
bool OthersCanChangeFolder(const char *sddl, const char *runner);
