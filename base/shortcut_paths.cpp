// The path of the link in a shell folder, asked in UTF-16.
#include "base/shortcut_paths.h"

#include "base/product.h"
#include "base/widetext.h"

bool FindShortcutPath(const SharedCalls &calls, HWND owner, int csidl, char *path)
{
    LPITEMIDLIST items = nullptr;
    if (calls.SHGetSpecialFolderLocation(owner, csidl, &items) != S_OK)
        return false;
    // In UTF-16, converted exactly: never a neighbour of a profile's name,
    // which could be another user's look-alike folder.
    WCHAR wide[kCbPath];
    BOOL havePath = calls.SHGetPathFromIDListW(items, wide) &&
                    AnsiFromWide(calls, wide, path, kCbPath) == Conversion::kExact;
    calls.ILFree(items);
    return havePath && AppendText(path, kCbPath, kLinkName) && PathUnits(path) < kCchPath;
}
