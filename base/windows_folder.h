// The Windows folder as the system names it. The setup places the
// uninstaller there; the uninstaller recognises its own file there. Each
// asks through its own call table.
#pragma once
#include "base/pathtext.h"
#include "base/win.h"

// Fills folder (kCbPath bytes) without a trailing backslash. False, with
// folder empty, when the system cannot tell or the name does not fit.
template <typename Calls> bool ReadWindowsFolder(const Calls &calls, char *folder)
{
    UINT cch = calls.GetWindowsDirectoryA(folder, kCbPath);
    // A result of the buffer's size or more is the size the system needed.
    if (cch == 0 || cch >= kCbPath) {
        folder[0] = '\0';
        return false;
    }
    folder[cch] = '\0';
    if (folder[cch - 1] == '\\')
        folder[cch - 1] = '\0';
    return true;
}
