// The uninstall entry under HKEY_LOCAL_MACHINE: the line in the system's
// list of installed programs and the command that removes Quillarix.
#include "registration/registration.h"

#include "base/pathtext.h"
#include "base/product.h"
#include "base/state.h"
#include "registration/registry.h"

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
    bool wroteName =
        WriteStringValue(entry, "DisplayName", kUninstallDisplayName) == ERROR_SUCCESS;
    // A Windows folder too long to take the uninstaller's name leaves the
    // entry without a command rather than with a wrong one.
    char command[kCbPath];
    bool wroteCommand = JoinPath(command, sizeof command, g_setup.windowsFolder, kUninstallerName) &&
                        WriteStringValue(entry, "UninstallString", command) == ERROR_SUCCESS;
    CloseKey(entry);
    CloseKey(uninstall);
    return wroteName && wroteCommand;
}
