// The per-user settings key, where the setup records an installation for
// its next run and for the uninstaller.
#pragma once
#include "base/win.h"

// Creates or opens the settings key under HKEY_CURRENT_USER, read and write.
// Returns the status number; on success the caller closes *key.
LONG OpenSettingsKey(HKEY *key);

// Records the running setup program's full path as `Installed`. Reports
// code "22" when the settings key cannot be opened. A path that does not fit
// in 260 bytes is not written. Returns true when the value was written.
bool RecordSetupPath();

// Records the install folder as `Path`. Reports code "10" when the settings
// key cannot be opened; true when it could be, whatever became of the write.
bool RecordInstallFolder();
