// The uninstaller's call table, filled with the real functions.
#include "uninstaller/ucalls.h"

static constexpr UninstallCalls kRealUninstallCalls = {
#define QLX_UNINSTALL_REAL(name) &::name,
    QLX_UNINSTALL_CALLS(QLX_UNINSTALL_REAL)
#undef QLX_UNINSTALL_REAL
};

constinit UninstallCalls usys = kRealUninstallCalls;

void RestoreUninstallCalls()
{
    usys = kRealUninstallCalls;
}
