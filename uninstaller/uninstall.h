// Removing Quillarix: exactly what the setup installed, nothing a user put
// beside it, and never anything recursively.
#pragma once

// Exit codes of the uninstaller.
enum UninstallResult {
    kRemoved = 0,          // everything was removed
    kPartlyRemoved = 1,    // some items could not be removed; the user was told which
    kDeclined = 2,         // the user answered No
    kNotInstalled = 3,     // no installation was found
    kRunning = 4,          // Quillarix.exe is in use
};

// Asks, finds the installation, removes it and says how it went.
UninstallResult RunUninstall();
