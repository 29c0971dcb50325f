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
// startedFrom, in the uninstaller's temporary copy, names the file that the
// first process was started from: while that process runs its file cannot
// be deleted, so when it is an uninstaller placed for the installation and
// is to go, *startedFromToGo is set and the caller deletes it once that
// process has ended. Without startedFrom the uninstaller runs from its own
// file, which (when placed) is deleted when Windows next starts.
UninstallResult RunUninstall(const char *startedFrom = nullptr, bool *startedFromToGo = nullptr);

// The uninstaller as a program: started from its file, it copies itself to
// a temporary file and has the copy do the removal, waiting for it and
// ending with its exit code; started as that copy (commandLine says so), it
// removes, then deletes the file it was started from once the first
// process has ended. Where no copy can be made it removes in place.
int RunUninstaller(const char *commandLine);
