// Removing Quillarix: exactly what the setup installed, nothing a user put
// beside it, and never anything recursively.
#pragma once
#include "uninstaller/removal.h"

// The program's exit code for a removal that ended so.
int ExitCodeOf(UninstallResult result);

// Asks, finds the installation, removes it and says how it went, as the
// plan says (a silent removal asks and shows nothing: its log says it all).
// startedFrom, in the uninstaller's temporary copy, names the file that the
// first process was started from: while that process runs its file cannot
// be deleted, so when it is an uninstaller placed for the installation and
// is to go, *startedFromToGo is set and the caller deletes it once that
// process has ended. Without startedFrom the uninstaller runs from its own
// file, which (when placed) is deleted when Windows next starts.
UninstallResult RunUninstall(const RemovalPlan &plan, const char *startedFrom = nullptr,
                             bool *startedFromToGo = nullptr);

// The uninstaller as a program, given its whole command line (the
// program's name first): started from its file, it opens its log, takes
// the lock against a second setup or removal, copies itself into a private
// folder made for the run and has the copy do the removal, waiting for it
// and ending with its exit code;
// started as that copy (commandLine says so), it removes, then deletes the
// file it was started from once the first process has ended. Where no copy
// can be made it removes in place.
int RunUninstaller(const char *commandLine);
