// The App Paths entry under HKEY_LOCAL_MACHINE (one user's installation: under
// HKEY_CURRENT_USER), which lets the shell start Quillarix.exe by name and records the install
// folder: for administrators, or for that user.
#include "registration/registration.h"

#include "base/product.h"
#include "install/plan.h"
#include "registration/registry.h"

bool RecordApplicationPaths(const InstallPlan &plan)
{
    bool machine = ForTheMachine(plan.mode);
    const char *kWhere = machine ? "HKLM\\" QLX_APP_PATHS_ENTRY : "HKCU\\" QLX_APP_PATHS_ENTRY;
    bool recorded = false;
    HKEY appPaths;
    if (CreateOrOpenKey(RecordsOf(plan.mode.scope), kAppPathsKey,
                        kAccessReadWrite, &appPaths) == ERROR_SUCCESS) {
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
