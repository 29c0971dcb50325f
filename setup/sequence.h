// The setup sequence: the whole installation from the first window to the
// launch of the installed application.
#pragma once
#include "base/win.h"

// Runs the setup once with the module that holds its resources and the
// whole command line (the program's name first); returns the exit code.
int RunSetup(HINSTANCE instance, const char *commandLine = "");
