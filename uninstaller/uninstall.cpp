// The uninstall sequence: ask, find the installation through the registry,
// refuse while the application runs, then remove the shortcuts that point
// at this installation, the installed files, the install folder if it is
// left empty, the registry records, and finally the uninstaller itself.
// A file in use is deleted when Windows next starts. What cannot even be
// scheduled keeps the installation findable, so that the removal can be
// run again and finish.
#include "uninstaller/uninstall.h"

#include "base/fileuse.h"
#include "base/pathtext.h"
#include "base/product.h"
#include "location/windows_folder.h"
#include "payload/manifest.h"
#include "registration/ole32.h"
#include "registration/registry.h"
#include "registration/shortcut_paths.h"
#include "uninstaller/ucalls.h"

#include <cstring>

namespace {

const char *const kCaption = kProductName;

// A list of items for the final message, one a line after its heading.
struct ItemList {
    char text[2048];
    int count;
};

void StartList(ItemList *list, const char *heading)
{
    CopyText(list->text, sizeof list->text, heading);
    list->count = 0;
}

void AddItem(ItemList *list, const char *item)
{
    ++list->count;
    // A list too long for the box ends with what fitted.
    if (AppendText(list->text, sizeof list->text, "\r\n") &&
        !AppendText(list->text, sizeof list->text, item))
        AppendText(list->text, sizeof list->text, "...");
}

// What became of the items that could not be removed at once.
struct Outcome {
    ItemList scheduled;  // in use: deleted when Windows next starts
    ItemList left;       // could be neither deleted nor scheduled
};

// Reads a non-empty REG_SZ value into buffer (kCbPath bytes) without
// creating keys.
bool ReadRegistryText(HKEY root, const char *path, const char *name, char *buffer)
{
    HKEY key;
    if (usys.RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    LONG status = ReadStringValueThrough(usys, key, name, buffer, kCbPath);
    usys.RegCloseKey(key);
    return status == ERROR_SUCCESS && buffer[0] != '\0';
}

bool IsFile(const char *path)
{
    DWORD attributes = usys.GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The install folder from the settings key, else from the App Paths entry;
// it counts only when it holds the main executable.
bool FindInstallation(char *folder, char *mainExe)
{
    const char *sources[2] = {nullptr, nullptr};
    char settings[kCbPath], appPath[kCbPath];
    if (ReadRegistryText(HKEY_CURRENT_USER, kSettingsKey, "Path", settings))
        sources[0] = settings;
    if (ReadRegistryText(HKEY_LOCAL_MACHINE, kAppPathsEntry, "Path", appPath))
        sources[1] = appPath;
    for (const char *source : sources) {
        if (source && CopyText(folder, kCbPath, source) &&
            JoinPath(mainExe, kCbPath, folder, kMainExeName) && IsFile(mainExe))
            return true;
    }
    return false;
}

// Asks for path to be deleted when Windows next starts. That needs the
// rights to write HKEY_LOCAL_MACHINE's session manager key.
bool ScheduleDeletion(const char *path)
{
    return usys.MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

// Deletes a file of the installation (clearing read-only first); one in use
// is scheduled for the next start instead, and one that cannot be scheduled
// either is left. A file that is already gone is not a failure.
void RemoveFile(const char *path, Outcome *outcome)
{
    if (usys.GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return;
    usys.SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (usys.DeleteFileA(path))
        return;
    AddItem(ScheduleDeletion(path) ? &outcome->scheduled : &outcome->left, path);
}

// The running uninstaller cannot delete its own file: it is deleted when
// Windows next starts, which is no news to the user. Only when that cannot
// be scheduled does it count, as left.
void RemoveSelf(const char *self, Outcome *outcome)
{
    usys.SetFileAttributesA(self, FILE_ATTRIBUTE_NORMAL);
    if (!usys.DeleteFileA(self) && !ScheduleDeletion(self))
        AddItem(&outcome->left, self);
}

// The data files, then the main executable and an uninstaller that lies in
// the folder. When a data file is left, the main executable stays too: by
// it a second removal finds the installation again.
void RemoveInstalledFiles(const char *folder, const char *self, Outcome *outcome)
{
    char path[kCbPath];
    for (const ManifestRow &row : kManifest)
        if (JoinPath(path, sizeof path, folder, row.fileName))
            RemoveFile(path, outcome);
    if (outcome->left.count != 0)
        return;
    if (JoinPath(path, sizeof path, folder, kMainExeName))
        RemoveFile(path, outcome);
    // The uninstaller lies here when the setup could not register it.
    bool selfInFolder = false;
    if (JoinPath(path, sizeof path, folder, kUninstallerName) && IsFile(path)) {
        selfInFolder = usys.lstrcmpiA(path, self) == 0;
        if (selfInFolder)
            RemoveSelf(path, outcome);
        else
            RemoveFile(path, outcome);
    }
    // Only an empty folder goes: whatever the user put there stays, and so
    // does the folder then. One that still holds files of the installation
    // follows them at the next start.
    if (!usys.RemoveDirectoryA(folder) && (selfInFolder || outcome->scheduled.count != 0))
        ScheduleDeletion(folder);
}

// True when the file at linkPath is a shell link whose target is mainExe.
bool LinksTo(CoCreateInstanceFn coCreateInstance, const char *linkPath, const char *mainExe)
{
    IShellLinkA *link = nullptr;
    if (FAILED(coCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkA,
                                reinterpret_cast<void **>(&link))))
        return false;
    bool matches = false;
    IPersistFile *file = nullptr;
    if (SUCCEEDED(link->QueryInterface(kIidPersistFile, reinterpret_cast<void **>(&file)))) {
        WCHAR wide[kCbPath];
        char target[kCbPath] = "";
        if (usys.MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wide, kCbPath) &&
            SUCCEEDED(file->Load(wide, STGM_READ)) &&
            SUCCEEDED(link->GetPath(target, sizeof target, nullptr, SLGP_RAWPATH)))
            matches = usys.lstrcmpiA(target, mainExe) == 0;
        file->Release();
    }
    link->Release();
    return matches;
}

void RemoveShortcuts(const char *mainExe, Outcome *outcome)
{
    Ole32 ole;
    if (!LoadOle32(usys, &ole))
        return;
    if (SUCCEEDED(ole.coInitialize(nullptr))) {
        ForEachShortcutPath(usys, nullptr, [&](const char *path) {
            if (IsFile(path) && LinksTo(ole.coCreateInstance, path, mainExe))
                RemoveFile(path, outcome);
        });
        ole.coUninitialize();
    }
    usys.FreeLibrary(ole.module);
}

// Deletes parent\name when it exists; a key that is not there is no failure.
// Failures are noted when outcome is given.
void RemoveKey(HKEY root, const char *parent, const char *name, Outcome *outcome)
{
    HKEY key;
    if (usys.RegOpenKeyExA(root, parent, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    LONG status = usys.RegDeleteKeyA(key, name);
    usys.RegCloseKey(key);
    if (outcome && status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        char item[kCbPath];
        if (JoinPath(item, sizeof item, parent, name))
            AddItem(&outcome->left, item);
    }
}

// Deletes parent\name only when it has neither subkeys nor values left.
void RemoveKeyIfEmpty(HKEY root, const char *parent, const char *name)
{
    char path[kCbPath];
    HKEY key;
    if (!JoinPath(path, sizeof path, parent, name) ||
        usys.RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 1, values = 1;
    LONG status = usys.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr,
                                        nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    usys.RegCloseKey(key);
    if (status == ERROR_SUCCESS && subkeys == 0 && values == 0)
        RemoveKey(root, parent, name, nullptr);
}

// Deletes the key at path when it has neither subkeys nor values left, then
// does the same for each key above it, up to and including top.
void RemoveEmptyKeysUpTo(HKEY root, const char *path, const char *top)
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
        RemoveKeyIfEmpty(root, key, slash + 1);
        if (last)
            return;
    }
}

void RemoveRegistryRecords(Outcome *outcome)
{
    RemoveKey(HKEY_LOCAL_MACHINE, kAppPathsKey, kMainExeName, outcome);
    RemoveKey(HKEY_LOCAL_MACHINE, kUninstallKey, kProductName, outcome);
    HKEY settings;
    if (usys.RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ | KEY_WRITE, &settings) ==
        ERROR_SUCCESS) {
        static const char *const kValues[] = {"Installed", "Path"};
        for (const char *value : kValues) {
            LONG status = usys.RegDeleteValueA(settings, value);
            if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
                AddItem(&outcome->left, "the Quillarix settings in the registry");
        }
        usys.RegCloseKey(settings);
    }
    // The settings key, then each key above it up to the vendor's, when
    // nothing else is left in it.
    RemoveEmptyKeysUpTo(HKEY_CURRENT_USER, kSettingsKey, kVendorKey);
}

// The uninstaller's own file when it runs from the Windows folder.
void RemoveSelfFromWindowsFolder(const char *self, Outcome *outcome)
{
    char windows[kCbPath], expected[kCbPath];
    if (!ReadWindowsFolder(usys, windows) ||
        !JoinPath(expected, sizeof expected, windows, kUninstallerName) ||
        usys.lstrcmpiA(expected, self) != 0)
        return;
    RemoveSelf(self, outcome);
}

}  // namespace

UninstallResult RunUninstall()
{
    if (usys.MessageBoxA(nullptr, "Remove Quillarix and all of its components?", kCaption,
                         MB_YESNO | MB_ICONQUESTION) != IDYES)
        return kDeclined;

    char folder[kCbPath], mainExe[kCbPath];
    if (!FindInstallation(folder, mainExe)) {
        usys.MessageBoxA(nullptr, "No installation of Quillarix was found.  Nothing was removed.",
                         kCaption, MB_OK | MB_ICONINFORMATION);
        return kNotInstalled;
    }
    if (ProbeUnshared(usys, mainExe) == FileUse::kHeldElsewhere) {
        usys.MessageBoxA(nullptr,
                         "Quillarix is running.  Close it and start the removal again.  "
                         "Nothing was removed.",
                         kCaption, MB_OK | MB_ICONEXCLAMATION);
        return kRunning;
    }

    char self[kCbPath];
    DWORD cchSelf = usys.GetModuleFileNameA(nullptr, self, sizeof self);
    if (cchSelf == 0 || cchSelf >= sizeof self)
        self[0] = '\0';

    Outcome outcome;
    StartList(&outcome.scheduled, "Quillarix will be completely removed when Windows restarts.  "
                                  "These items are in use and will be deleted then:");
    StartList(&outcome.left, "These items could not be removed:");
    RemoveShortcuts(mainExe, &outcome);  // before the target goes: links are matched by it
    RemoveInstalledFiles(folder, self, &outcome);
    if (outcome.left.count != 0) {
        // What a second removal needs stays: the registry records (the
        // line in the list of installed programs, the settings' Path) and
        // the uninstaller itself, as the main executable did.
        AppendText(outcome.left.text, sizeof outcome.left.text,
                   "\r\n\r\nQuillarix stays in the list of installed programs.  When these items "
                   "are no longer in use, remove it again to finish.");
        usys.MessageBoxA(nullptr, outcome.left.text, kCaption, MB_OK | MB_ICONEXCLAMATION);
        return kPartlyRemoved;
    }
    RemoveRegistryRecords(&outcome);
    if (outcome.left.count == 0)
        RemoveSelfFromWindowsFolder(self, &outcome);  // the registry no longer points at it
    if (outcome.left.count != 0) {
        usys.MessageBoxA(nullptr, outcome.left.text, kCaption, MB_OK | MB_ICONEXCLAMATION);
        return kPartlyRemoved;
    }
    if (outcome.scheduled.count != 0) {
        usys.MessageBoxA(nullptr, outcome.scheduled.text, kCaption, MB_OK | MB_ICONINFORMATION);
        return kRemovedAtRestart;
    }
    usys.MessageBoxA(nullptr, "Quillarix has been removed from your computer.", kCaption,
                     MB_OK | MB_ICONINFORMATION);
    return kRemoved;
}
