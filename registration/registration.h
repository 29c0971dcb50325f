// System registration: the App Paths entry, the uninstall entry and the
// Start-menu and desktop shortcuts.
#pragma once
#include "base/ole32.h"

// Records App Paths\Quillarix.exe (default value and Path). False when
// either failed.
bool RecordApplicationPaths();

// Records Uninstall\Quillarix: DisplayName, UninstallString, DisplayVersion,
// Publisher, InstallLocation, DisplayIcon, InstallDate (YYYYMMDD),
// QuietUninstallString and the REG_DWORD values EstimatedSize (kilobytes),
// NoModify, NoRepair, VersionMajor and VersionMinor. True exactly when
// DisplayName and UninstallString were written: by them the program is
// removed. *complete is true only when every value was written.
bool RecordUninstallEntry(unsigned long kilobytes, bool *complete);

// Places \Quillarix.lnk in the Start menu folder and the desktop folder.
// OLE32 is loaded by name for this alone. Failures only mean a missing link.
void CreateShortcuts();

// Saves one shell link at shortcutPath, made by coCreateInstance (OLE32's,
// with COM initialised on the thread); returns the COM result.
HRESULT CreateOneShortcut(CoCreateInstanceFn coCreateInstance, const char *installFolder,
                          const char *mainExePath, const char *shortcutPath,
                          const char *description);
