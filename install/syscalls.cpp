// The setup's call table, its one definition.
#include "install/syscalls.h"

#include "base/libraries.h"

QLX_DEFINE_CALL_TABLE(SysCalls, QLX_SYSCALLS, sys, BindSystemLibraries, RestoreSysCalls)
