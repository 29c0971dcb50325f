// The call table's one definition, filled with the real functions at load.
#include "base/syscalls.h"

// constexpr: the table is complete before any code runs, without the C
// runtime's start-up (the setup executable is linked without it).
static constexpr SysCalls kRealSysCalls = {QLX_SYSCALLS(QLX_CALL_TABLE_REAL)};

constinit SysCalls sys = kRealSysCalls;

void RestoreSysCalls()
{
    sys = kRealSysCalls;
}
