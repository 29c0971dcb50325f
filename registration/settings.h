// The per-user settings key, where the setup records an installation for
// its next run and for the uninstaller.
#pragma once
#include "install/plan.h"
#include "base/win.h"

// Creates or opens the settings key under HKEY_CURRENT_USER, read and write.
// Returns the status number; on success the caller closes *key.
LONG OpenSettingsKey(HKEY *key);

// Records the running setup program's full path as `Installed`, which is informational: a path that
// cannot be told or written is logged only. Reports code "22" (as the plan says: silent or not) and
// returns false when the settings key cannot be opened; true otherwise.
bool RecordSetupPath(const InstallPlan &plan);

// Records the plan's install folder as `Path`. Reports code "10" when the settings
// key cannot be opened; true when it could be, whatever became of the write.
bool RecordInstallFolder(const InstallPlan &plan);
