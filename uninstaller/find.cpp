// Finding the installation to remove. Removing every user's installation the uninstaller runs with
// administrator rights, so it acts only on what an administrator recorded: the App Paths entry
// under HKEY_LOCAL_MACHINE. The user's settings, which any program of the user can change, never
// name the folder. Only where no such entry exists (the setup could not write it, and placed the
// uninstaller in the install folder instead) does the folder of the uninstaller that was started
// count. Removing one user's installation it acts for that user, on their own App Paths entry.
#include "uninstaller/removal.h"

#include "base/pathtext.h"
#include "base/product.h"
#include "base/registry_read.h"
#include "base/widetext.h"
#include "uninstaller/ucalls.h"

#include <cstring>

// The long form of path ("C:\PROGRA~1\..." gives "C:\Program Files\...");
// path itself when it has none (it does not exist, say).
static void LongForm(const char *path, char *out)
{
    DWORD cch = usys.GetLongPathNameA(path, out, kCbPath);
    if (cch == 0 || cch >= kCbPath)
        CopyText(out, kCbPath, path);
}

bool SamePath(const char *a, const char *b)
{
    char longA[kCbPath], longB[kCbPath];
    LongForm(a, longA);
    LongForm(b, longB);
    return IsSamePathText(usys, longA, longB);
}

static bool IsFile(const char *path)
{
    DWORD attributes = usys.GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder to act on: App Paths' Path where the entry exists; else,
// where self is an uninstaller's file (by its name), the folder it lies
// in. A Path that is there but cannot be read names nothing.
static bool TrustedFolder(const char *self, HKEY records, char *folder)
{
    LONG status = ReadRegistryText(usys, records, kAppPathsEntry, "Path", folder, kCbPath);
    if (status == ERROR_SUCCESS)
        return folder[0] != '\0';
    const char *name = FindLastSeparator(self);
    if (!IsAbsence(static_cast<DWORD>(status)) || !name ||
        !IsSamePathText(usys, name + 1, kUninstallerName) || !CopyText(folder, kCbPath, self))
        return false;
    folder[name - self] = '\0';
    return true;
}

bool FindInstallation(const char *self, HKEY records, char *folder, char *mainExe)
{
    mainExe[0] = '\0';
    if (!TrustedFolder(self, records, folder) || !JoinPath(mainExe, kCbPath, folder, kMainExeName)) {
        folder[0] = '\0';
        return false;
    }
    return IsFile(mainExe);
}

void CommandPath(const char *command, char *path)
{
    const char *close = command[0] == '"' ? std::strchr(command + 1, '"') : nullptr;
    CopyText(path, kCbPath, close ? command + 1 : command);
    if (close && static_cast<std::size_t>(close - command - 1) < kCbPath)
        path[close - command - 1] = '\0';
}

bool OnlyOwnTracesLeft(const char *self, HKEY records)
{
    char folder[kCbPath], mainExe[kCbPath], command[kCbPath], path[kCbPath];
    if (self[0] == '\0' || FindInstallation(self, records, folder, mainExe) ||
        ReadRegistryText(usys, records, kUninstallEntry, "UninstallString", command, kCbPath) !=
            ERROR_SUCCESS)
        return false;
    CommandPath(command, path);
    return path[0] != '\0' && SamePath(path, self);
}
