// Starting Quillarix at the end of an interactive installation, as the person logged on.
#pragma once
#include "base/libraries.h"
#include "install/plan.h"
#include "base/win.h"

// Starts Quillarix through the desktop's shell, so that it runs as the person logged on rather than
// with the setup's rights: true. Where no shell starts it within kShellLaunchWaitMs, nothing is
// started, the person is told kNotStartedText in a "Quillarix" box, and the log says it: false.
inline constexpr DWORD kShellLaunchWaitMs = 5000;
inline constexpr char kNotStartedText[] =
    "Quillarix is installed and can be started from the Start menu.";
bool LaunchApplication(const InstallPlan &plan);

// The shell's part, for the plan's main executable in its install folder: true when the shell was
// asked and accepted, and also when the worker has claimed the launch (it is asking the shell) but
// has not answered within the second wait. The worker is given waitMs (and, once it is starting
// Quillarix, waitMs more); it never holds the caller longer.
bool LaunchThroughShell(const InstallPlan &plan, DWORD waitMs);

// Asks the desktop's shell to open file in directory (see launch.cpp);
// claim is taken just before the shell is asked. Exposed for the tests.
HRESULT ShellExecuteThroughDesktop(CoCreateInstanceFn coCreateInstance,
                                   SysAllocStringFn sysAllocString, SysFreeStringFn sysFreeString,
                                   const char *file, const char *directory, volatile LONG *claim);
