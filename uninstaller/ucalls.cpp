// The uninstaller's call table, filled with the real functions and bound to
// the late-loaded library at start.
#include "uninstaller/ucalls.h"

#include "base/libraries.h"

// constinit: complete before any code runs; the late entries fail until
// they are bound.
constinit static UninstallCalls s_real = {
    QLX_UNINSTALL_CALLS(QLX_CALL_TABLE_REAL, QLX_CALL_TABLE_UNBOUND)};
constinit UninstallCalls usys = {QLX_UNINSTALL_CALLS(QLX_CALL_TABLE_REAL, QLX_CALL_TABLE_UNBOUND)};

void BindUninstallLibraries()
{
    RestrictLibrarySearch(usys);
    HMODULE const late[] = {LoadSystemLibrary(usys, "bcrypt.dll")};
#define QLX_BIND_LATE(name)                                                                    \
    BindLateEntry(usys.GetProcAddress, late, #name, &s_real.name);                             \
    usys.name = s_real.name;
#define QLX_IMPORTED(name)
    QLX_UNINSTALL_CALLS(QLX_IMPORTED, QLX_BIND_LATE)
#undef QLX_IMPORTED
#undef QLX_BIND_LATE
}

void RestoreUninstallCalls()
{
    usys = s_real;
}
