// The App Paths entry under HKEY_LOCAL_MACHINE, which lets the shell start
// Quillarix.exe by name and records the install folder for administrators.
#include "registration/registration.h"

#include "base/product.h"
#include "install/plan.h"
#include "registration/registry.h"

bool RecordApplicationPaths(const InstallPlan &plan)
{
    static constexpr char kWhere[] = "HKLM\\" QLX_APP_PATHS_ENTRY;
    bool recorded = false;
    HKEY appPaths;
    if (CreateOrOpenKey(HKEY_LOCAL_MACHINE, kAppPathsKey, kAccessReadWrite, &appPaths) ==
        ERROR_SUCCESS) {
        HKEY entry;
        if (CreateOrOpenKey(appPaths, kMainExeName, kAccessReadWrite, &entry) == ERROR_SUCCESS) {
            bool wroteExe = WriteStringValue(entry, kWhere, nullptr, plan.mainExePath) == ERROR_SUCCESS;
            bool wroteFolder = WriteStringValue(entry, kWhere, "Path", plan.installFolder) == ERROR_SUCCESS;
            recorded = wroteExe && wroteFolder;
            CloseKey(entry);
        }
        CloseKey(appPaths);
    }
    return recorded;
}
