// Drive form, trailing backslashes and the folder length limit.
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

void TrimTrailingBackslashes(char *folder)
{
    std::size_t cch = std::strlen(folder);
    while (cch > 0 && folder[cch - 1] == '\\')
        folder[--cch] = '\0';
}

bool FolderLengthFits(std::size_t cchFolder)
{
    return cchFolder + (sizeof kMainExeName - 1) + kFolderLengthAllowance <= kCbPath;
}
