// The pieces of a removal that the uninstaller's files share: the lists of what could not be
// removed at once, and the steps, one file each (finding the installation, files, registry,
// shortcuts, the report). Everything goes through the uninstaller's own call table, usys.
#pragma once
#include "base/logfile.h"
#include "base/runmode.h"
#include "base/win.h"

// How a removal ended.
enum UninstallResult {
    kRemoved,           // everything was removed
    kPartlyRemoved,     // some items could be neither removed nor scheduled; the user was
                        // told which, and a second removal can finish
    kDeclined,          // the user answered No
    kNotInstalled,      // no installation was found
    kRunning,           // Quillarix.exe is in use
    kFolderRefused,     // the folder is reached through a link, or cannot be held
    kRemovedAtRestart,  // files in use go when Windows next starts; the user was told which
};

// A list of items for the final message, one a line after its heading.
// Room is kept for the closing words, however many items there are.
struct ItemList {
    char text[2048];
    int count;
};

// What became of the items that could not be removed at once; and where the installation's records
// are, whether deletions may wait for the next start (every user's installation: one user's has
// not the rights to schedule them, and what is in use is left for a second removal).
struct Outcome {
    ItemList scheduled;  // in use: deleted when Windows next starts
    ItemList left;       // could be neither deleted nor scheduled
    HKEY records;        // HKEY_LOCAL_MACHINE, or for one user's installation HKEY_CURRENT_USER
    bool restartAllowed;
};

// report.cpp
// Logs text and, where the removal talks through windows, shows it in a box of the given type
// captioned "Quillarix" and returns the answer. A silent removal asks nothing and shows nothing (its
// log says it all): it answers yes.
int Tell(Talk talk, const char *text, UINT type);
void StartList(ItemList *list, const char *heading);
void AddItem(ItemList *list, const char *item);
// Shows how the removal went; while items are left, says what to do next.
UninstallResult Report(Talk talk, const Outcome &outcome);

// find.cpp
// Whether a and b name the same file, 8.3 short names and case aside.
bool SamePath(const char *a, const char *b);
// The install folder that an administrator recorded (App Paths' Path under HKEY_LOCAL_MACHINE);
// only where no App Paths entry exists, the folder of self, the uninstaller started, when it lies
// there under its own name. Counts only when it holds the main executable: true. folder and mainExe
// are filled whenever a folder is named (empty when none is).
bool FindInstallation(const char *self, HKEY records, char *folder, char *mainExe);
// True when a removal that did not finish left only the uninstaller's own
// traces: no record names a folder that holds the main executable, and the
// line in the list of installed programs starts this uninstaller (self).
bool OnlyOwnTracesLeft(const char *self, HKEY records);
// The program's path in a command as the Uninstall entry holds it (quoted, or up to the end) into
// path (kCbPath bytes).
void CommandPath(const char *command, char *path);

// files.cpp
// Whether error says that the thing asked for is not there.
inline bool IsAbsence(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}
// Asks for path to be deleted when Windows next starts (needs the rights
// to write HKEY_LOCAL_MACHINE's session manager key): only where allowed.
bool ScheduleDeletion(const char *path, bool allowed);
// Deletes a file of the installation (clearing read-only first); one in use
// is scheduled for the next start instead, and one that cannot be scheduled
// either is left. A file that is already gone is not a failure.
void RemoveFile(const char *path, Outcome *outcome);
// The data files, the staging files an interrupted installation left, and
// an uninstaller in the folder (unless it is self, which goes last).
void RemoveDataFiles(const char *folder, const char *self, Outcome *outcome);
// Deletes self, the running uninstaller's own file, at the next start.
void RemoveSelf(const char *self, Outcome *outcome);
// The Windows folder's qlxuins1.exe into path (kCbPath bytes); false, with
// path empty, when the Windows folder cannot be told.
bool PlacedInWindows(char *path);
// True when path names an uninstaller the setup placed: in folder (may be
// null) or the Windows folder's copy (windowsCopy, empty when unknown).
bool IsPlaced(const char *path, const char *folder, const char *windowsCopy);
// The install folder, only when empty; never a drive root.
void RemoveInstallFolder(const char *folder, bool restartAllowed);

// keys.cpp
bool IsRegistryFailure(LONG status);
// The App Paths entry, when it names this installation's main executable.
void RemoveAppPaths(const char *folder, const char *mainExe, Outcome *outcome);
// The settings values the setup wrote, `Path` last.
void RemoveSettingsValues(Outcome *outcome);
// The vendor's keys that are empty now, and last, while nothing else is left, the line in the list
// of installed programs when it starts self or an uninstaller placed for folder (see IsPlaced).
void RemoveOwnKeys(const char *self, const char *folder, const char *windowsCopy, Outcome *outcome);

// shortcuts.cpp
// Deletes the two shortcuts when they are links to mainExe; one that cannot be looked at is left
// (and reported).
void RemoveShortcuts(const char *mainExe, Outcome *outcome);
