// Running from a temporary copy (tempcopy.cpp): the first process's side and the copy's. The copy
// is started with the switch kSwitchCopy (base/cmdline.h).
#pragma once
#include "uninstaller/removal.h"

// In the first process: copies this program into a private folder made for the run and has the copy
// remove, with this process's log (g_logFile); waits for it and gives its exit code in *code. False
// (nothing started, nothing left) when that cannot be done.
bool RunFromTemporaryCopy(const RunMode &mode, int *code);

// In the copy: rest is what follows kSwitchCopy; mode as the first process's (its command line
// passes /S and /CLOSEAPPLICATIONS on). Removes, then deletes the file the first process was started
// from once that process has ended. Returns the exit code.
int RunAsTemporaryCopy(const char *rest, const RunMode &mode);
