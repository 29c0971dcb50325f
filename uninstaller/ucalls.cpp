// The uninstaller's call table, filled with the real functions, its late library bound at start.
#include "uninstaller/ucalls.h"

#include "base/libraries.h"

// constinit: complete before any code runs; the late entries fail until they are bound.
constinit static UninstallCalls s_real = {
    QLX_UNINSTALL_CALLS(QLX_CALL_TABLE_REAL, QLX_CALL_TABLE_UNBOUND)};
constinit UninstallCalls usys = {QLX_UNINSTALL_CALLS(QLX_CALL_TABLE_REAL, QLX_CALL_TABLE_UNBOUND)};

void BindUninstallLibraries()
{
    RestrictLibrarySearch(usys);
    HMODULE const late[] = {LoadSystemLibrary(usys, "ntdll.dll"), LoadSystemLibrary(usys, "bcrypt.dll"),
                            LoadSystemLibrary(usys, "rstrtmgr.dll")};
    QLX_CALL_TABLE_BIND_LATE(QLX_UNINSTALL_CALLS, usys, s_real, late);
}

void RestoreUninstallCalls()
{
    usys = s_real;
}
