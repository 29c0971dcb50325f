// The call table's one definition, filled with the real functions at load
// and bound to the late-loaded libraries at start.
#include "base/syscalls.h"

#include "base/libraries.h"

// constinit: the table is complete before any code runs, without the C
// runtime's start-up (the setup executable is linked without it).
constinit static SysCalls s_real = {QLX_SYSCALLS(QLX_CALL_TABLE_REAL, QLX_CALL_TABLE_UNBOUND)};
constinit SysCalls sys = {QLX_SYSCALLS(QLX_CALL_TABLE_REAL, QLX_CALL_TABLE_UNBOUND)};

void BindSystemLibraries()
{
    RestrictLibrarySearch(sys);
    HMODULE const late[] = {LoadSystemLibrary(sys, "ntdll.dll"), LoadSystemLibrary(sys, "version.dll"),
                            LoadSystemLibrary(sys, "bcrypt.dll"),
                            LoadSystemLibrary(sys, "rstrtmgr.dll")};
    QLX_CALL_TABLE_BIND_LATE(QLX_SYSCALLS, sys, s_real, late);
}

void RestoreSysCalls()
{
    sys = s_real;
}
