// Drive form, trailing backslashes, the folder length limit.
#include "location/rules.h"

#include "base/pathtext.h"
#include "base/product.h"

#include <cstring>

bool HasDriveForm(const char *folder)
{
    char c = folder[0];
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    return letter && folder[1] == ':' && folder[2] == '\\';
}

bool HasWildcard(const char *folder)
{
    // Neither byte is ever the second of a double-byte character.
    return std::strpbrk(folder, "?*") != nullptr;
}

void TrimTrailingBackslashes(char *folder)
{
    while (EndsInSeparator(folder))
        *FindLastSeparator(folder) = '\0';
}

bool FolderLengthFits(std::size_t cchFolder)
{
    return cchFolder + (sizeof kMainExeName - 1) + kFolderLengthAllowance <= kCchPath;
}
