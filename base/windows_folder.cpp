// The Windows folder as the system names it.
#include "base/windows_folder.h"

#include "base/pathtext.h"

bool ReadWindowsFolder(const SharedCalls &calls, char *folder)
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
