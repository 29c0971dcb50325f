// Where Quillarix.lnk lives: the Start menu folder and the desktop folder, the user's or (for an
// installation deployed silently, under an account that is not the user's) every user's. The setup
// makes the links there and the uninstaller removes them.
#pragma once
#include "base/pathtext.h"
#include "base/sharedcalls.h"

// The shell folder csidl + "\Quillarix.lnk" into path (kCchPath units), kept in UTF-16 from the shell
// to the file calls: a profile's name may hold characters that the program's code page lacks (it
// is the system's before Windows 10 1903), and a link made or removed by a neighbour of its name
// would be another file. False when the shell cannot name the folder or it is too long to take the
// link's name. The item list is freed.
bool FindShortcutPath(const SharedCalls &calls, HWND owner, int csidl, WCHAR *path);

// Calls use(path) for each of the two shell folders (CSIDL_STARTMENU and CSIDL_DESKTOPDIRECTORY, or
// with allUsers CSIDL_COMMON_STARTMENU and CSIDL_COMMON_DESKTOPDIRECTORY) that FindShortcutPath
// finds, and unknown(csidl) for each one it does not.
template <typename Use, typename Unknown>
void ForEachShortcutPath(const SharedCalls &calls, HWND owner, bool allUsers, Use use,
                         Unknown unknown)
{
    static const int kFolders[2][2] = {{CSIDL_STARTMENU, CSIDL_DESKTOPDIRECTORY},
                                       {CSIDL_COMMON_STARTMENU, CSIDL_COMMON_DESKTOPDIRECTORY}};
    for (int csidl : kFolders[allUsers ? 1 : 0]) {
        WCHAR path[kCchPath];
        if (FindShortcutPath(calls, owner, csidl, path))
            use(static_cast<const WCHAR *>(path));
        else
            unknown(csidl);
    }
}
