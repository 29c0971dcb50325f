// The path of the link in a shell folder, asked and kept in UTF-16.
#include "base/shortcut_paths.h"

#include "base/product.h"

bool FindShortcutPath(const SharedCalls &calls, HWND owner, int csidl, WCHAR *path)
{
    LPITEMIDLIST items = nullptr;
    if (calls.SHGetSpecialFolderLocation(owner, csidl, &items) != S_OK)
        return false;
    // SHGetPathFromIDListW fills up to MAX_PATH units.
    BOOL havePath = calls.SHGetPathFromIDListW(items, path);
    calls.ILFree(items);
    std::size_t cch = 0;
    while (havePath && path[cch] != 0)
        ++cch;
    for (const char *name = kLinkName; havePath && *name; ++name) {
        if (cch + 1 >= kCchPath)
            return false;
        path[cch++] = static_cast<unsigned char>(*name);
    }
    path[cch] = 0;
    return havePath;
}
