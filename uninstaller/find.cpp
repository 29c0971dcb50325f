// Finding the installation to remove. The uninstaller runs with administrator rights, so it acts
// only on what an administrator recorded: the App Paths entry under HKEY_LOCAL_MACHINE. The user's
// settings, which any program of the user can change, never name the folder. Only where no such
// entry exists (the setup could not write it, and placed the uninstaller in the install folder
// instead) does the folder of the uninstaller that was started count.
#include "uninstaller/removal.h"

#include "base/pathtext.h"
#include "base/product.h"
#include "base/registry_read.h"
#include "base/widetext.h"
#include "uninstaller/ucalls.h"

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
static bool TrustedFolder(const char *self, char *folder)
{
    LONG status = ReadRegistryText(usys, HKEY_LOCAL_MACHINE, kAppPathsEntry, "Path", folder, kCbPath);
    if (status == ERROR_SUCCESS)
        return folder[0] != '\0';
    const char *name = FindLastSeparator(self);
    if (!IsAbsence(static_cast<DWORD>(status)) || !name ||
        !IsSamePathText(usys, name + 1, kUninstallerName) || !CopyText(folder, kCbPath, self))
        return false;
    folder[name - self] = '\0';
    return true;
}

bool FindInstallation(const char *self, char *folder, char *mainExe)
{
    mainExe[0] = '\0';
    if (!TrustedFolder(self, folder) || !JoinPath(mainExe, kCbPath, folder, kMainExeName)) {
        folder[0] = '\0';
        return false;
    }
    return IsFile(mainExe);
}

bool OnlyOwnTracesLeft(const char *self)
{
    char folder[kCbPath], mainExe[kCbPath], command[kCbPath];
    return self[0] != '\0' && !FindInstallation(self, folder, mainExe) &&
           ReadRegistryText(usys, HKEY_LOCAL_MACHINE, kUninstallEntry, "UninstallString", command,
                            kCbPath) == ERROR_SUCCESS && command[0] != '\0' &&
           SamePath(command, self);
}
