// Where Quillarix.lnk lives: the Start menu folder and the desktop folder,
// the user's or (for an installation deployed silently, under an account
// that is not the user's) every user's. The setup makes the links there and
// the uninstaller removes them, each through its own call table.
#pragma once
#include "base/pathtext.h"
#include "base/product.h"
#include "base/widetext.h"
#include "base/win.h"

// Calls use(path) with folder + "\Quillarix.lnk" for each of the two shell
// folders (CSIDL_STARTMENU and CSIDL_DESKTOPDIRECTORY, or with allUsers
// CSIDL_COMMON_STARTMENU and CSIDL_COMMON_DESKTOPDIRECTORY) that can be
// found, and unknown(csidl) for a folder the shell cannot name or one too
// long to take the link's name. Every item list is freed.
template <typename Calls, typename Use, typename Unknown>
void ForEachShortcutPath(const Calls &calls, HWND owner, bool allUsers, Use use, Unknown unknown)
{
    static const int kFolders[2][2] = {{CSIDL_STARTMENU, CSIDL_DESKTOPDIRECTORY},
                                       {CSIDL_COMMON_STARTMENU, CSIDL_COMMON_DESKTOPDIRECTORY}};
    for (int csidl : kFolders[allUsers ? 1 : 0]) {
        LPITEMIDLIST items = nullptr;
        if (calls.SHGetSpecialFolderLocation(owner, csidl, &items) != S_OK) {
            unknown(csidl);
            continue;
        }
        // In UTF-16, converted exactly: never a neighbour of a profile's
        // name, which could be another user's look-alike folder.
        WCHAR wide[kCbPath];
        char path[kCbPath];
        BOOL havePath = calls.SHGetPathFromIDListW(items, wide) &&
                        AnsiFromWide(calls, wide, path, sizeof path) == Conversion::kExact;
        calls.ILFree(items);
        if (havePath && AppendText(path, sizeof path, kLinkName) && PathUnits(path) < kCchPath)
            use(static_cast<const char *>(path));
        else
            unknown(csidl);
    }
}
