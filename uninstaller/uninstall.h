// Removing Quillarix: exactly what the setup installed, nothing a user put
// beside it, and never anything recursively.
#pragma once

// Exit codes of the uninstaller.
enum UninstallResult {
    kRemoved = 0,           // everything was removed
    kPartlyRemoved = 1,     // some items could be neither removed nor scheduled; the user was
                            // told which, and a second removal can finish
    kDeclined = 2,          // the user answered No
    kNotInstalled = 3,      // no installation was found
    kRunning = 4,           // Quillarix.exe is in use
    kRemovedAtRestart = 5,  // files in use go when Windows next starts; the user was told which
};

// Asks, finds the installation, removes it and says how it went.
UninstallResult RunUninstall();
