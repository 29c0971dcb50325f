// Removing Quillarix: exactly what the setup installed, nothing a user put
// beside it, and never anything recursively.
#pragma once
#include "uninstaller/removal.h"

// The program's exit code for a removal that ended so.
int ExitCodeOf(UninstallResult result);

// Asks, finds the installation, removes it and says how it went, as the run's mode says (a silent
// removal asks and shows nothing: its log says it all). startedFrom, in the uninstaller's temporary copy,
// names the file that the first process was started from: while that process runs its file cannot
// be deleted, so when it is an uninstaller placed for the installation and is to go,
// *startedFromToGo is set and the caller deletes it once that process has ended. Without
// startedFrom the uninstaller runs from its own file, which (when placed) is deleted when Windows
// next starts.
UninstallResult RunUninstall(const RunMode &mode, const char *startedFrom = nullptr,
                             bool *startedFromToGo = nullptr);

// The uninstaller as a program, given its whole command line (the
// program's name first): in the frame (base/runframe.h), it removes through
// a temporary copy (tempcopy.h), or in place where no copy can be made.
int RunUninstaller(const char *commandLine);
