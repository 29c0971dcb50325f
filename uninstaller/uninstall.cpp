// The uninstall sequence: ask, find the installation through the registry,
// refuse while the application runs, then remove the shortcuts that point
// at this installation, the data files, the machine-wide registry records,
// the main executable, the install folder if it is left empty, the
// settings, and finally the uninstaller itself. A file in use is deleted
// when Windows next starts. Whatever cannot be removed stops the removal
// while the installation can still be found by it (the main executable and
// the settings' Path go late), so that running the removal again finishes.
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

// A failure that means the thing is not there, rather than that it could
// not be reached.
bool IsAbsence(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// A registry status that reports a failure other than the key's or value's
// absence.
bool IsRegistryFailure(LONG status)
{
    return status != ERROR_SUCCESS && !IsAbsence(static_cast<DWORD>(status));
}

// True when path may be there: it is, or asking failed for another reason
// than its absence (then it is looked at all the same).
bool MayBePresent(const char *path)
{
    return usys.GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES ||
           !IsAbsence(usys.GetLastError());
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
    usys.SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (usys.DeleteFileA(path) || IsAbsence(usys.GetLastError()))
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

// The data files, and an uninstaller that lies in the folder when the setup
// could not register it (unless it is this one, which goes last).
void RemoveDataFiles(const char *folder, const char *self, Outcome *outcome)
{
    char path[kCbPath];
    for (const ManifestRow &row : kManifest)
        if (JoinPath(path, sizeof path, folder, row.fileName))
            RemoveFile(path, outcome);
    if (JoinPath(path, sizeof path, folder, kUninstallerName) && usys.lstrcmpiA(path, self) != 0)
        RemoveFile(path, outcome);
    // What an interrupted installation may have left: its staging files.
    static const char *const kStaging[] = {kStagingFileName, kStagingImageName};
    for (const char *staging : kStaging)
        if (JoinPath(path, sizeof path, folder, staging))
            RemoveFile(path, outcome);
}

// Only an empty folder goes: whatever the user put there stays, and so does
// the folder then. One that still holds files of the installation (or this
// uninstaller) follows them at the next start; scheduling a folder that the
// user's files keep fails harmlessly then.
void RemoveInstallFolder(const char *folder)
{
    if (!usys.RemoveDirectoryA(folder))
        ScheduleDeletion(folder);
}

enum class LinkKind { kOurs, kForeign, kUnknown };

// Whether the file at linkPath is a shell link whose target is mainExe. A
// file that the shell link object cannot load is no link of ours; when the
// object cannot be made or asked, that is unknown.
LinkKind ReadLink(CoCreateInstanceFn coCreateInstance, const char *linkPath, const char *mainExe)
{
    IShellLinkA *link = nullptr;
    if (FAILED(coCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkA,
                                reinterpret_cast<void **>(&link))))
        return LinkKind::kUnknown;
    LinkKind kind = LinkKind::kUnknown;
    IPersistFile *file = nullptr;
    if (SUCCEEDED(link->QueryInterface(kIidPersistFile, reinterpret_cast<void **>(&file)))) {
        WCHAR wide[kCbPath];
        char target[kCbPath] = "";
        if (usys.MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wide, kCbPath)) {
            if (FAILED(file->Load(wide, STGM_READ)))
                kind = LinkKind::kForeign;
            else if (SUCCEEDED(link->GetPath(target, sizeof target, nullptr, SLGP_RAWPATH)))
                kind = usys.lstrcmpiA(target, mainExe) == 0 ? LinkKind::kOurs : LinkKind::kForeign;
        }
        file->Release();
    }
    link->Release();
    return kind;
}

// Deletes the two shortcuts when they are links to this installation's
// main executable. One that cannot be looked at is left (and reported):
// a shortcut of another program must never go.
void RemoveShortcuts(const char *mainExe, Outcome *outcome)
{
    Ole32 ole;
    bool loaded = LoadOle32(usys, &ole);
    bool initialised = loaded && SUCCEEDED(ole.coInitialize(nullptr));
    ForEachShortcutPath(
        usys, nullptr,
        [&](const char *path) {
            if (!MayBePresent(path))
                return;
            LinkKind kind = initialised ? ReadLink(ole.coCreateInstance, path, mainExe)
                                        : LinkKind::kUnknown;
            if (kind == LinkKind::kOurs)
                RemoveFile(path, outcome);
            else if (kind == LinkKind::kUnknown)
                AddItem(&outcome->left, path);
        },
        [&](int csidl) {
            AddItem(&outcome->left, csidl == CSIDL_STARTMENU
                                        ? "the Quillarix shortcut in the Start menu"
                                        : "the Quillarix shortcut on the desktop");
        });
    if (initialised)
        ole.coUninitialize();
    if (loaded)
        usys.FreeLibrary(ole.module);
}

// Notes parent\name as left when status is a failure other than absence.
void NoteKeyFailure(LONG status, const char *parent, const char *name, Outcome *outcome)
{
    if (!IsRegistryFailure(status))
        return;
    char item[kCbPath];
    if (JoinPath(item, sizeof item, parent, name))
        AddItem(&outcome->left, item);
}

// Deletes parent\name when it exists; a key that is not there is no failure.
void RemoveKey(HKEY root, const char *parent, const char *name, Outcome *outcome)
{
    HKEY key;
    LONG status = usys.RegOpenKeyExA(root, parent, 0, kAccessReadWrite, &key);
    if (status == ERROR_SUCCESS) {
        status = usys.RegDeleteKeyA(key, name);
        usys.RegCloseKey(key);
    }
    NoteKeyFailure(status, parent, name, outcome);
}

// Deletes parent\name only when it has neither subkeys nor values left (the
// vendor's other products keep theirs).
void RemoveKeyIfEmpty(HKEY root, const char *parent, const char *name, Outcome *outcome)
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
void RemoveEmptyKeysUpTo(HKEY root, const char *path, const char *top, Outcome *outcome)
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

// The settings values the setup wrote, `Path` last: by it (and the main
// executable) the installation is found.
void RemoveSettingsValues(Outcome *outcome)
{
    HKEY settings;
    LONG status =
        usys.RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, kAccessReadWrite, &settings);
    if (status == ERROR_SUCCESS) {
        static const char *const kValues[] = {"Installed", "Path"};
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

// True when self is the uninstaller the setup placed (in the install
// folder, or in the Windows folder). Where it cannot tell, its file is
// noted as left.
bool IsPlaced(const char *self, const char *folder, Outcome *outcome)
{
    char windows[kCbPath], expected[kCbPath];
    if (self[0] == '\0') {
        AddItem(&outcome->left, kUninstallerName);
        return false;
    }
    if (JoinPath(expected, sizeof expected, folder, kUninstallerName) &&
        usys.lstrcmpiA(expected, self) == 0)
        return true;
    if (!ReadWindowsFolder(usys, windows)) {
        AddItem(&outcome->left, self);
        return false;
    }
    return JoinPath(expected, sizeof expected, windows, kUninstallerName) &&
           usys.lstrcmpiA(expected, self) == 0;
}

// What is left once the installation cannot be found any more: the
// uninstaller's own file, the vendor's keys that are empty now, and last,
// while nothing else is left, the line in the list of installed programs
// (by it a second removal is started, and finishes these).
void RemoveOwnTraces(const char *self, bool placed, Outcome *outcome)
{
    if (placed)
        RemoveSelf(self, outcome);
    RemoveEmptyKeysUpTo(HKEY_CURRENT_USER, kSettingsKey, kVendorKey, outcome);
    if (outcome->left.count == 0)
        RemoveKey(HKEY_LOCAL_MACHINE, kUninstallKey, kProductName, outcome);
}

// True when a removal that did not finish left only the uninstaller's own
// traces: no record names an install folder any more, and the line in the
// list of installed programs starts this uninstaller.
bool OnlyOwnTracesLeft(const char *self)
{
    char text[kCbPath];
    return self[0] != '\0' && !ReadRegistryText(HKEY_CURRENT_USER, kSettingsKey, "Path", text) &&
           !ReadRegistryText(HKEY_LOCAL_MACHINE, kAppPathsEntry, "Path", text) &&
           ReadRegistryText(HKEY_LOCAL_MACHINE, kUninstallEntry, "UninstallString", text) &&
           usys.lstrcmpiA(text, self) == 0;
}

UninstallResult Report(const Outcome &outcome)
{
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

}  // namespace

UninstallResult RunUninstall()
{
    if (usys.MessageBoxA(nullptr, "Remove Quillarix and all of its components?", kCaption,
                         MB_YESNO | MB_ICONQUESTION) != IDYES)
        return kDeclined;

    char self[kCbPath];
    DWORD cchSelf = usys.GetModuleFileNameA(nullptr, self, sizeof self);
    if (cchSelf == 0 || cchSelf >= sizeof self)
        self[0] = '\0';
    Outcome outcome;
    StartList(&outcome.scheduled, "Quillarix will be completely removed when Windows restarts.  "
                                  "These items are in use and will be deleted then:");
    StartList(&outcome.left, "These items could not be removed:");

    char folder[kCbPath], mainExe[kCbPath];
    if (!FindInstallation(folder, mainExe)) {
        if (OnlyOwnTracesLeft(self)) {
            RemoveOwnTraces(self, true, &outcome);
            return Report(outcome);
        }
        usys.MessageBoxA(nullptr, "No installation of Quillarix was found.  Nothing was removed.",
                         kCaption, MB_OK | MB_ICONINFORMATION);
        return kNotInstalled;
    }
    if (ProbeInUse(usys, mainExe) == FileUse::kHeldElsewhere) {
        usys.MessageBoxA(nullptr,
                         "Quillarix is running.  Close it and start the removal again.  "
                         "Nothing was removed.",
                         kCaption, MB_OK | MB_ICONEXCLAMATION);
        return kRunning;
    }

    // Each step goes on only when nothing is left: until the main executable
    // goes, a second removal finds the installation by it and the settings'
    // Path (or the App Paths entry), and is started from the list of
    // installed programs.
    RemoveShortcuts(mainExe, &outcome);  // before the target goes: links are matched by it
    RemoveDataFiles(folder, self, &outcome);
    if (outcome.left.count == 0)
        RemoveKey(HKEY_LOCAL_MACHINE, kAppPathsKey, kMainExeName, &outcome);
    if (outcome.left.count == 0)
        RemoveSettingsValues(&outcome);
    if (outcome.left.count != 0) {
        AppendText(outcome.left.text, sizeof outcome.left.text,
                   "\r\n\r\nQuillarix stays in the list of installed programs.  When these items "
                   "are no longer in use, remove it again to finish.");
        return Report(outcome);
    }
    RemoveFile(mainExe, &outcome);
    if (outcome.left.count == 0)
        RemoveOwnTraces(self, IsPlaced(self, folder, &outcome), &outcome);
    RemoveInstallFolder(folder);  // after the files in it, also at the next start
    return Report(outcome);
}
