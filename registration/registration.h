// System registration: the App Paths and uninstall entries, the Start-menu and desktop shortcuts.
#pragma once
#include "base/libraries.h"
#include "install/plan.h"

// Records App Paths\Quillarix.exe (default value and Path). False when either failed.
bool RecordApplicationPaths(const InstallPlan &plan);

// Records Uninstall\Quillarix: DisplayName, UninstallString, DisplayVersion, Publisher,
// InstallLocation, DisplayIcon, InstallDate (YYYYMMDD), QuietUninstallString and the REG_DWORD
// values EstimatedSize (kilobytes), NoModify, NoRepair, VersionMajor and VersionMinor. True exactly
// when DisplayName and UninstallString were written: by them the program is removed. *complete is
// true only when every value was written.
bool RecordUninstallEntry(const InstallPlan &plan, unsigned long kilobytes, bool *complete);

// Places \Quillarix.lnk in the Start menu folder and the desktop folder.
// OLE32 is loaded for this alone, from the system folder by its full path,
// and released before returning. Failures only mean a missing link.
void CreateShortcuts(const InstallPlan &plan);

// Saves one shell link at shortcutPath (UTF-16), made by coCreateInstance (OLE32's, with COM
// initialised on the thread); returns the COM result.
HRESULT CreateOneShortcut(CoCreateInstanceFn coCreateInstance, const char *installFolder,
                          const char *mainExePath, const WCHAR *shortcutPath,
                          const char *description);
