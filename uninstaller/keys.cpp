// Removing the installation's registry records: the App Paths entry and the line in the list of
// installed programs only when they name this installation (another one's stay), the settings
// values, and the vendor's keys once nothing else is left in them.
#include "uninstaller/removal.h"

#include "base/pathtext.h"
#include "base/product.h"
#include "base/registry_read.h"
#include "uninstaller/ucalls.h"

#include <cstring>

bool IsRegistryFailure(LONG status)
{
    return status != ERROR_SUCCESS && !IsAbsence(static_cast<DWORD>(status));
}

// A read that failed for another reason than the value's absence or its
// being no text of ours (of another type, too long).
static bool IsReadFailure(LONG status)
{
    return IsRegistryFailure(status) && status != ERROR_DATATYPE_MISMATCH &&
           status != ERROR_MORE_DATA;
}

// Notes parent\name as left when status is a failure other than absence.
static void NoteKeyFailure(LONG status, const char *parent, const char *name, Outcome *outcome)
{
    if (!IsRegistryFailure(status))
        return;
    char item[kCbPath];
    if (JoinPath(item, sizeof item, parent, name))
        AddItem(&outcome->left, item);
}

// Deletes parent\name when it exists; a key that is not there is no failure.
static void RemoveKey(HKEY root, const char *parent, const char *name, Outcome *outcome)
{
    HKEY key;
    LONG status = usys.RegOpenKeyExA(root, parent, 0, kAccessReadWrite, &key);
    if (status == ERROR_SUCCESS) {
        status = usys.RegDeleteKeyA(key, name);
        usys.RegCloseKey(key);
        if (status == ERROR_SUCCESS)
            LogLine({"Deleted registry key ", parent, "\\", name});
    }
    NoteKeyFailure(status, parent, name, outcome);
}

// Deletes parent\name only when it has neither subkeys nor values left (the
// vendor's other products keep theirs).
static void RemoveKeyIfEmpty(HKEY root, const char *parent, const char *name, Outcome *outcome)
{
    char path[kCbPath];
    HKEY key;
    if (!JoinPath(path, sizeof path, parent, name))
        return;
    LONG status = usys.RegOpenKeyExA(root, path, 0, KEY_READ, &key);
    if (status == ERROR_SUCCESS) {
        DWORD subkeys = 1, values = 1;
        status = usys.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                       &values, nullptr, nullptr, nullptr, nullptr);
        usys.RegCloseKey(key);
        if (status == ERROR_SUCCESS && subkeys == 0 && values == 0)
            RemoveKey(root, parent, name, outcome);
    }
    NoteKeyFailure(status, parent, name, outcome);
}

// Deletes the key at path when it has neither subkeys nor values left, then
// does the same for each key above it, up to and including top.
static void RemoveEmptyKeysUpTo(HKEY root, const char *path, const char *top, Outcome *outcome)
{
    char key[kCbPath];
    if (!CopyText(key, sizeof key, path))
        return;
    for (;;) {
        char *slash = std::strrchr(key, '\\');
        if (!slash)
            return;
        bool last = std::strcmp(key, top) == 0;
        *slash = '\0';
        RemoveKeyIfEmpty(root, key, slash + 1, outcome);
        if (last)
            return;
    }
}

void RemoveAppPaths(const char *folder, const char *mainExe, Outcome *outcome)
{
    char exe[kCbPath], path[kCbPath];
    LONG statusExe = ReadRegistryText(usys, outcome->records, kAppPathsEntry, nullptr, exe, kCbPath);
    LONG statusPath = ReadRegistryText(usys, outcome->records, kAppPathsEntry, "Path", path, kCbPath);
    if (IsReadFailure(statusExe) || IsReadFailure(statusPath)) {  // cannot tell whose it is
        NoteKeyFailure(IsReadFailure(statusExe) ? statusExe : statusPath, kAppPathsKey,
                       kMainExeName, outcome);
        return;
    }
    if ((exe[0] && SamePath(exe, mainExe)) || (!exe[0] && path[0] && SamePath(path, folder)))
        RemoveKey(outcome->records, kAppPathsKey, kMainExeName, outcome);
    // One user's App Paths key, which their installation may have made, goes when it is empty.
    if (outcome->records == HKEY_CURRENT_USER)
        RemoveEmptyKeysUpTo(HKEY_CURRENT_USER, kAppPathsEntry, kAppPathsKey, outcome);
}

void RemoveSettingsValues(Outcome *outcome)
{
    HKEY settings;
    LONG status =
        usys.RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, kAccessReadWrite, &settings);
    if (status == ERROR_SUCCESS) {
        static const char *const kValues[] = {"Installed", "Scope", "Path"};
        for (const char *value : kValues) {
            status = usys.RegDeleteValueA(settings, value);
            if (IsRegistryFailure(status))
                break;
        }
        usys.RegCloseKey(settings);
    }
    if (IsRegistryFailure(status))
        AddItem(&outcome->left, "the Quillarix settings in the registry");
}

void RemoveOwnKeys(const char *self, const char *folder, const char *windowsCopy, Outcome *outcome)
{
    RemoveEmptyKeysUpTo(HKEY_CURRENT_USER, kSettingsKey, kVendorKey, outcome);
    if (outcome->left.count != 0)
        return;
    char command[kCbPath], path[kCbPath];
    LONG status = ReadRegistryText(usys, outcome->records, kUninstallEntry, "UninstallString",
                                   command, kCbPath);
    CommandPath(command, path);
    if (status == ERROR_SUCCESS && path[0] &&
        (SamePath(path, self) || IsPlaced(path, folder, windowsCopy)))
        RemoveKey(outcome->records, kUninstallKey, kProductName, outcome);
    else if (IsReadFailure(status))
        NoteKeyFailure(status, kUninstallKey, kProductName, outcome);
    if (outcome->records == HKEY_CURRENT_USER)
        RemoveEmptyKeysUpTo(HKEY_CURRENT_USER, kUninstallEntry, kUninstallKey, outcome);
}
