// The system-wide records under HKEY_LOCAL_MACHINE: App Paths and Uninstall.
#include "registration/registration.h"

#include "registration/registry.h"
#include "setup/pathtext.h"
#include "setup/product.h"
#include "setup/state.h"

static const char kAppPathsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
static const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

bool RecordApplicationPaths()
{
    bool recorded = false;
    HKEY appPaths;
    if (CreateOrOpenKey(HKEY_LOCAL_MACHINE, kAppPathsKey, kAccessReadWrite, &appPaths) ==
        ERROR_SUCCESS) {
        HKEY entry;
        if (CreateOrOpenKey(appPaths, kMainExeName, kAccessReadWrite, &entry) == ERROR_SUCCESS) {
            bool wroteExe = WriteStringValue(entry, nullptr, g_setup.mainExePath) == ERROR_SUCCESS;
            bool wroteFolder =
                WriteStringValue(entry, "Path", g_setup.installFolder) == ERROR_SUCCESS;
            recorded = wroteExe && wroteFolder;
            CloseKey(entry);
        }
        CloseKey(appPaths);
    }
    if (!RecordInstallFolder())
        return false;
    return recorded;
}

bool RecordUninstallEntry()
{
    HKEY uninstall;
    if (CreateOrOpenKey(HKEY_LOCAL_MACHINE, kUninstallKey, kAccessReadWrite, &uninstall) !=
        ERROR_SUCCESS)
        return false;
    HKEY entry;
    if (CreateOrOpenKey(uninstall, kProductName, kAccessReadWrite, &entry) != ERROR_SUCCESS) {
        CloseKey(uninstall);
        return false;
    }
    bool wroteName = WriteStringValue(entry, "DisplayName",
                                      "Quillarix Version 1.0   (Remove Only)") == ERROR_SUCCESS;
    // A Windows folder too long to take the uninstaller's name leaves the
    // entry without a command rather than with a wrong one.
    char command[kCbPath];
    bool wroteCommand = JoinPath(command, sizeof command, g_setup.windowsFolder, kUninstallerName) &&
                        WriteStringValue(entry, "UninstallString", command) == ERROR_SUCCESS;
    CloseKey(entry);
    CloseKey(uninstall);
    return wroteName && wroteCommand;
}
