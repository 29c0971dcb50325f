// Removing the installation's files: deleted now, or when Windows next starts where one is in use,
// or left and reported. Nothing is ever deleted recursively, and a drive root is never removed.
#include "uninstaller/removal.h"

#include "base/pathtext.h"
#include "base/product.h"
#include "base/retry.h"
#include "base/workfolder.h"
#include "base/catalogue.h"
#include "uninstaller/ucalls.h"

#include <cstring>

bool ScheduleDeletion(const char *path, bool allowed)
{
    return allowed && usys.MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

void RemoveFile(const char *path, Outcome *outcome)
{
    usys.SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    DWORD error = 0;
    if (RetryWhileHeld(usys, path, &error, [&] { return usys.DeleteFileA(path) != FALSE; })) {
        LogLine({"Deleted ", path});
        return;
    }
    if (IsAbsence(error))
        return;
    AddItem(ScheduleDeletion(path, outcome->restartAllowed) ? &outcome->scheduled : &outcome->left,
            path);
}

// The running uninstaller cannot delete its own file: it is deleted when Windows next starts, which
// is no news to the user. Only when that cannot be scheduled does it count, as left.
void RemoveSelf(const char *self, Outcome *outcome)
{
    usys.SetFileAttributesA(self, FILE_ATTRIBUTE_NORMAL);
    if (!usys.DeleteFileA(self) && !ScheduleDeletion(self, outcome->restartAllowed))
        AddItem(&outcome->left, self);
}

// The data files' names, read from the payload catalogue itself: the
// uninstaller links nothing of the setup's.
#define QLX_DATA_FILE_NAME(symbol, id, name, method, readOnly, source) name,
static const char *const kDataFileNames[] = {QLX_PAYLOAD_MANIFEST(QLX_DATA_FILE_NAME)};
#undef QLX_DATA_FILE_NAME

void RemoveDataFiles(const char *folder, const char *self, Outcome *outcome)
{
    char path[kCbPath];
    for (const char *name : kDataFileNames)
        if (JoinPath(path, sizeof path, folder, name))
            RemoveFile(path, outcome);
    if (JoinPath(path, sizeof path, folder, kUninstallerName) && !SamePath(path, self))
        RemoveFile(path, outcome);
    static const char *const kStaging[] = {kStagingFileName, kStagingImageName};
    for (const char *staging : kStaging)
        if (JoinPath(path, sizeof path, folder, staging))
            RemoveFile(path, outcome);
}

bool PlacedInWindows(char *path)
{
    char windows[kCbPath];
    if (ReadWindowsFolder(usys, windows) && JoinPath(path, kCbPath, windows, kUninstallerName))
        return true;
    path[0] = '\0';
    return false;
}

bool IsPlaced(const char *path, const char *folder, const char *windowsCopy)
{
    char placed[kCbPath];
    return path[0] != '\0' &&
           ((folder && JoinPath(placed, sizeof placed, folder, kUninstallerName) &&
             SamePath(placed, path)) ||
            (windowsCopy[0] != '\0' && SamePath(windowsCopy, path)));
}

// Only an empty folder goes: whatever the user put there stays, and so does the folder then. One
// that still holds files of the installation follows them at the next start; scheduling a folder
// that the user's files keep fails harmlessly then. A drive root ("C:", as a folder given as "C:\"
// is kept) is never removed: "C:" alone would name the drive's current directory.
void RemoveInstallFolder(const char *folder, bool restartAllowed)
{
    if (std::strlen(folder) <= 3)
        return;
    if (!usys.RemoveDirectoryA(folder))
        ScheduleDeletion(folder, restartAllowed);
}
