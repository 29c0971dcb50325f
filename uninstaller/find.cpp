// Finding the installation to remove. The uninstaller runs with
// administrator rights, so it acts only on what an administrator recorded:
// the App Paths entry under HKEY_LOCAL_MACHINE. The user's settings, which
// any program of the user can change, count only where they agree with it
// or where no such entry exists.
#include "uninstaller/removal.h"

#include "base/pathtext.h"
#include "base/product.h"
#include "registration/registry_read.h"
#include "uninstaller/ucalls.h"

LONG ReadRegistryStatus(HKEY root, const char *path, const char *name, char *buffer)
{
    HKEY key;
    buffer[0] = '\0';
    LONG status = usys.RegOpenKeyExA(root, path, 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS)
        return status;
    status = ReadStringValueThrough(usys, key, name, buffer, kCbPath);
    usys.RegCloseKey(key);
    return status;
}

bool ReadRegistryText(HKEY root, const char *path, const char *name, char *buffer)
{
    return ReadRegistryStatus(root, path, name, buffer) == ERROR_SUCCESS && buffer[0] != '\0';
}

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
    return usys.lstrcmpiA(longA, longB) == 0;
}

static bool IsFile(const char *path)
{
    DWORD attributes = usys.GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder to act on: App Paths' Path where there is one, else the
// user's settings Path.
static bool TrustedFolder(char *folder)
{
    return ReadRegistryText(HKEY_LOCAL_MACHINE, kAppPathsEntry, "Path", folder) ||
           ReadRegistryText(HKEY_CURRENT_USER, kSettingsKey, "Path", folder);
}

bool FindInstallation(char *folder, char *mainExe)
{
    mainExe[0] = '\0';
    if (!TrustedFolder(folder) || !JoinPath(mainExe, kCbPath, folder, kMainExeName)) {
        folder[0] = '\0';
        return false;
    }
    return IsFile(mainExe);
}

bool OnlyOwnTracesLeft(const char *self)
{
    char folder[kCbPath], mainExe[kCbPath], command[kCbPath];
    return self[0] != '\0' && !FindInstallation(folder, mainExe) &&
           ReadRegistryText(HKEY_LOCAL_MACHINE, kUninstallEntry, "UninstallString", command) &&
           SamePath(command, self);
}
