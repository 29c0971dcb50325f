// Running from a temporary copy (tempcopy.cpp): the first process's side and the copy's.
#pragma once
#include "uninstaller/removal.h"

// The switch that starts the copy; what follows it, to the end of the line, is for the copy alone.
inline constexpr char kCopySwitch[] = "/QLXCOPY ";

// In the first process: copies this program into a private folder made for the run and has the copy
// remove, with this process's log (g_logFile); waits for it and gives its exit code in *code. False
// (nothing started, nothing left) when that cannot be done.
bool RunFromTemporaryCopy(const RemovalPlan &plan, int *code);

// In the copy: rest is what follows kCopySwitch; the plan as the first process's (its command line
// passes /S and /CLOSEAPPLICATIONS on). Removes, then deletes the file the first process was started
// from once that process has ended. Returns the exit code.
int RunAsTemporaryCopy(const char *rest, const RemovalPlan &plan);
