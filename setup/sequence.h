// The setup sequence: the whole installation from the first window to the
// launch of the installed application.
#pragma once
#include "install/plan.h"

// Runs the setup once with its whole command line (the program's name first), building *plan from
// it and from what the run finds and chooses; returns the exit code. The plan is the caller's so
// that it can be looked at once the run has ended.
int RunSetup(const char *commandLine, InstallPlan *plan);
