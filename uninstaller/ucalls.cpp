// The uninstaller's call table, its one definition.
#include "uninstaller/ucalls.h"

#include "base/libraries.h"

QLX_DEFINE_CALL_TABLE(UninstallCalls, QLX_UNINSTALL_CALLS, usys, BindUninstallLibraries,
                      RestoreUninstallCalls)
