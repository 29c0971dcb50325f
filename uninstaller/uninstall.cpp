// The uninstall sequence: ask, find the installation through the registry,
// refuse while the application runs, then remove the installed files, the
// install folder if it is left empty, the shortcuts that point at this
// installation, the registry records, and finally the uninstaller itself.
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

// What could not be removed, one item a line, shown at the end.
struct Failures {
    char text[2048];
    int count;
};

void NoteFailure(Failures *failures, const char *item)
{
    ++failures->count;
    // A list too long for the box ends with what fitted.
    if (AppendText(failures->text, sizeof failures->text, "\r\n") &&
        !AppendText(failures->text, sizeof failures->text, item))
        AppendText(failures->text, sizeof failures->text, "...");
}

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

// Deletes a file the setup installed (clearing read-only first). A file
// that is already gone is not a failure.
void RemoveFile(const char *path, Failures *failures)
{
    if (usys.GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return;
    usys.SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (!usys.DeleteFileA(path))
        NoteFailure(failures, path);
}

// The running uninstaller cannot always delete its own file: then it is
// deleted when Windows next starts.
void RemoveSelf(const char *self, Failures *failures)
{
    usys.SetFileAttributesA(self, FILE_ATTRIBUTE_NORMAL);
    if (!usys.DeleteFileA(self) &&
        !usys.MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        NoteFailure(failures, self);
}

void RemoveInstalledFiles(const char *folder, const char *self, Failures *failures)
{
    char path[kCbPath];
    for (const ManifestRow &row : kManifest)
        if (JoinPath(path, sizeof path, folder, row.fileName))
            RemoveFile(path, failures);
    if (JoinPath(path, sizeof path, folder, kMainExeName))
        RemoveFile(path, failures);
    // The uninstaller lies here when the setup could not register it.
    if (JoinPath(path, sizeof path, folder, kUninstallerName) && IsFile(path)) {
        if (usys.lstrcmpiA(path, self) == 0)
            RemoveSelf(path, failures);
        else
            RemoveFile(path, failures);
    }
    // Only an empty folder goes: whatever the user put there stays, and so
    // does the folder then. If the uninstaller itself is still in it, the
    // folder follows it at the next start.
    if (!usys.RemoveDirectoryA(folder))
        usys.MoveFileExA(folder, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
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

void RemoveShortcuts(const char *mainExe, Failures *failures)
{
    Ole32 ole;
    if (!LoadOle32(usys, &ole))
        return;
    if (SUCCEEDED(ole.coInitialize(nullptr))) {
        ForEachShortcutPath(usys, nullptr, [&](const char *path) {
            if (IsFile(path) && LinksTo(ole.coCreateInstance, path, mainExe) &&
                !usys.DeleteFileA(path))
                NoteFailure(failures, path);
        });
        ole.coUninitialize();
    }
    usys.FreeLibrary(ole.module);
}

// Deletes parent\name when it exists; a key that is not there is no failure.
// Failures are noted when failures is given.
void RemoveKey(HKEY root, const char *parent, const char *name, Failures *failures)
{
    HKEY key;
    if (usys.RegOpenKeyExA(root, parent, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    LONG status = usys.RegDeleteKeyA(key, name);
    usys.RegCloseKey(key);
    if (failures && status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        char item[kCbPath];
        if (JoinPath(item, sizeof item, parent, name))
            NoteFailure(failures, item);
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

void RemoveRegistryRecords(Failures *failures)
{
    RemoveKey(HKEY_LOCAL_MACHINE, kAppPathsKey, kMainExeName, failures);
    RemoveKey(HKEY_LOCAL_MACHINE, kUninstallKey, kProductName, failures);
    HKEY settings;
    if (usys.RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ | KEY_WRITE, &settings) ==
        ERROR_SUCCESS) {
        static const char *const kValues[] = {"Installed", "Path"};
        for (const char *value : kValues) {
            LONG status = usys.RegDeleteValueA(settings, value);
            if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
                NoteFailure(failures, "the Quillarix settings in the registry");
        }
        usys.RegCloseKey(settings);
    }
    // The settings key, then each key above it up to the vendor's, when
    // nothing else is left in it.
    RemoveEmptyKeysUpTo(HKEY_CURRENT_USER, kSettingsKey, kVendorKey);
}

// The uninstaller's own file when it runs from the Windows folder.
void RemoveSelfFromWindowsFolder(const char *self, Failures *failures)
{
    char windows[kCbPath], expected[kCbPath];
    if (!ReadWindowsFolder(usys, windows) ||
        !JoinPath(expected, sizeof expected, windows, kUninstallerName) ||
        usys.lstrcmpiA(expected, self) != 0)
        return;
    RemoveSelf(self, failures);
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

    Failures failures;
    CopyText(failures.text, sizeof failures.text, "These items could not be removed:");
    failures.count = 0;
    RemoveShortcuts(mainExe, &failures);  // before the target goes: links are matched by it
    RemoveInstalledFiles(folder, self, &failures);
    RemoveRegistryRecords(&failures);
    RemoveSelfFromWindowsFolder(self, &failures);

    if (failures.count == 0) {
        usys.MessageBoxA(nullptr, "Quillarix has been removed from your computer.", kCaption,
                         MB_OK | MB_ICONINFORMATION);
        return kRemoved;
    }
    usys.MessageBoxA(nullptr, failures.text, kCaption, MB_OK | MB_ICONEXCLAMATION);
    return kPartlyRemoved;
}
