// Install location: finding the system folders, proposing an install folder
// and deciding whether a folder may receive the installation.
#pragma once
#include "install/plan.h"
#include "install/report.h"
#include "base/win.h"

// Fills the plan's Windows folder (no trailing backslash). Reports code "2"
// and leaves it empty when the system cannot tell or it does not fit.
void FindWindowsFolder(InstallPlan *plan);

// Fills the plan's temp folder as the system gives it. Reports code "3"
// and leaves it empty when the system cannot tell or it does not fit.
void FindTempFolder(InstallPlan *plan);

// Fills the plan's program files folder from the registry, else
// "C:\Program Files" on the first fixed drive. Never fails.
void FindProgramFilesFolder(InstallPlan *plan);

// Fills proposed (kCbPath bytes) with the recorded folder of an earlier installation (in a silent
// run only the one an administrator recorded), else the program files folder + "\Quillarix".
// True only when the recorded folder passes validation (told nothing) and holds Quillarix.exe.
bool ProposeLocation(const InstallPlan &plan, char *proposed);

// True when folder\Quillarix.exe exists or is held open by another process.
bool ProbeMainExecutable(const char *folder);

// Applies the location rules in order to folder, which becomes its
// canonical form in place ("." and ".." resolved, no trailing backslash).
// Creates and changes nothing. A refusal is told as how says.
bool ValidateLocation(char *folder, Talk how);

// Prepares the validated folder for the installation and holds it: creates a missing last level
// (protected as Program Files' folders are, unless it inherits that within programFiles), opens it
// into *held, checks through the handle that no link leads to it, and refuses one that users other
// than administrators may change unless it is empty, which is then replaced by a folder made anew
// with the protected DACL (handles users opened on the old one keep their rights). For one user's
// installation (scope) what is made is that user's, open to them, SYSTEM and Administrators. The
// caller closes *held once the last file is written; null when refused (told as how says).
bool TakeLocation(const char *folder, const char *programFiles, Scope scope, HANDLE *held,
                  Talk how);

// True when folder's drive has cbNeeded bytes free for this user, or
// cannot tell. Otherwise reports code "45" (as the run talks),
// naming the space needed and the space free, and returns false.
bool HasRoomToInstall(const char *folder, ULONGLONG cbNeeded, Talk talk);
