#pragma once

// Removes from the deletions that Windows carries out at its next start every entry that names
// installFolder, a file the setup writes there, or the uninstaller in windowsFolder; the others
// stay untouched. False when the value cannot be read (only its absence means no entries), or such
// entries exist and it cannot be rewritten (no rights to HKEY_LOCAL_MACHINE): the setup must not
// write then. Reports nothing.
bool ClearPendingDeletions(const char *installFolder, const char *windowsFolder);
