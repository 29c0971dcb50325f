// The call table's one definition, filled with the real functions at load.
#include "setup/syscalls.h"

static const SysCalls kRealSysCalls = {
#define QLX_SYSCALL_REAL(name) &::name,
    QLX_SYSCALLS(QLX_SYSCALL_REAL)
#undef QLX_SYSCALL_REAL
};

SysCalls sys = kRealSysCalls;

void RestoreSysCalls()
{
    sys = kRealSysCalls;
}
