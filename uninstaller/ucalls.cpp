// The uninstaller's call table, filled with the real functions.
#include "uninstaller/ucalls.h"

static constexpr UninstallCalls kRealUninstallCalls = {QLX_UNINSTALL_CALLS(QLX_CALL_TABLE_REAL)};

constinit UninstallCalls usys = kRealUninstallCalls;

void RestoreUninstallCalls()
{
    usys = kRealUninstallCalls;
}
