// Location discovery: the Windows, temp and program files folders, and the folder proposed.
#include "location/location.h"

#include "base/errors.h"
#include "base/fileuse.h"
#include "base/pathtext.h"
#include "base/widetext.h"
#include "base/product.h"
#include "install/report.h"
#include "install/plan.h"
#include "install/syscalls.h"
#include "base/workfolder.h"
#include "registration/registry.h"
#include "registration/settings.h"

#include <cstring>

void FindWindowsFolder(InstallPlan *plan)
{
    if (!ReadWindowsFolder(sys, plan->windowsFolder))
        ReportError(plan->mode.talk, "Unable to locate Windows directory", errcode::kNoWindowsFolder);
}

void FindTempFolder(InstallPlan *plan)
{
    bool fellBack = false;
    if (!FindTempFolderOrWindows(sys, true, plan->tempFolder, &fellBack))
        ReportError(plan->mode.talk, "Unable to locate temp path.", errcode::kNoTempFolder);
    else if (fellBack)
        LogTempFallback(plan->tempFolder);
}

// Reads ProgramFilesDir from the first of the two CurrentVersion keys that opens. True when it gave
// a usable folder (longer than 2 characters, with room left for "\Quillarix").
static bool ReadProgramFilesDir(char *folder)
{
    HKEY key;
    if (CreateOrOpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                        KEY_READ, &key) != ERROR_SUCCESS &&
        CreateOrOpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                        KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    bool found = false;
    if (ReadRegistryText(sys, key, nullptr, "ProgramFilesDir", folder, kCbPath) == ERROR_SUCCESS) {
        std::size_t cch = std::strlen(folder);
        if (cch > 2) {
            if (folder[cch - 1] == '\\')
                folder[--cch] = '\0';
            found = PathUnits(folder) + PathUnits(kProductFolder) < kCchPath;
        }
    }
    CloseKey(key);
    return found;
}

// The folder the shell names for a known folder id (or, with id null, for csidl) into folder
// (kCbPath bytes), exactly as it names it in UTF-16.
static bool ShellFolder(const KNOWNFOLDERID *id, int csidl, char *folder)
{
    PIDLIST_ABSOLUTE items = nullptr;
    if ((id ? sys.SHGetKnownFolderIDList(*id, 0, nullptr, &items)
            : sys.SHGetSpecialFolderLocation(nullptr, csidl, &items)) != S_OK || !items)
        return false;
    WCHAR wide[kCchPath];
    bool named = sys.SHGetPathFromIDListW(items, wide) &&
                 AnsiFromWide(sys, wide, folder, kCbPath) == Conversion::kExact;
    sys.ILFree(items);
    return named;
}

// One user's programs folder (FOLDERID_UserProgramFiles, which an administrator may redirect),
// else %LOCALAPPDATA%\Programs, which is where Windows keeps it by default.
static bool FindUserProgramsFolder(char *folder)
{
    static const KNOWNFOLDERID kUserProgramFiles = {
        0x5cd7aee2, 0x2219, 0x4a67, {0xb8, 0x5d, 0x6c, 0x9c, 0xe1, 0x56, 0x60, 0xcb}};
    return (ShellFolder(&kUserProgramFiles, 0, folder) ||
            (ShellFolder(nullptr, CSIDL_LOCAL_APPDATA, folder) &&
             JoinPath(folder, kCbPath, folder, "Programs"))) &&
           PathUnits(folder) + PathUnits(kProductFolder) < kCchPath;
}

void FindProgramFilesFolder(InstallPlan *plan)
{
    char *folder = plan->programFilesFolder;
    if (!ForTheMachine(plan->mode) ? FindUserProgramsFolder(folder) : ReadProgramFilesDir(folder))
        return;
    CopyText(folder, kCbPath, "C:\\Program Files");
    char root[] = "C:\\";
    DWORD drives = sys.GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(drives & (1u << i)))
            continue;
        folder[0] = root[0] = static_cast<char>('A' + i);
        if (sys.GetDriveTypeA(root) == DRIVE_FIXED)
            return;
    }
    folder[0] = 'C';
}

bool ProbeMainExecutable(const char *folder)
{
    char path[kCbPath];
    return JoinPath(path, sizeof path, folder, kMainExeName) &&
           ProbeInUse(sys, path) != FileUse::kAbsent;
}

// Reads the recorded install folder into proposed: in an interactive run the per-user settings'
// `Path`, which the person sees before installing; in a silent run, with nobody to see it, only the
// folder an administrator recorded (the App Paths entry's `Path`, machine-wide), never the per-user
// record that the user's own programs can rewrite. Opens the App Paths entry without creating it.
static LONG ReadRecordedFolder(const RunMode &mode, char *proposed)
{
    if (TrustsOnlyTheMachineRecord(mode))
        return ReadRegistryText(sys, HKEY_LOCAL_MACHINE, kAppPathsEntry, "Path", proposed, kCbPath);
    HKEY key;
    LONG status = OpenSettingsKey(&key);
    if (status != ERROR_SUCCESS)
        return status;
    status = ReadRegistryText(sys, key, nullptr, "Path", proposed, kCbPath);
    CloseKey(key);
    return status;
}

bool ProposeLocation(const InstallPlan &plan, char *proposed)
{
    if (ReadRecordedFolder(plan.mode, proposed) == ERROR_SUCCESS && proposed[0] != ':') {
        if (!ValidateLocation(proposed, Talk::kNothing))
            return false;
        return ProbeMainExecutable(proposed);
    }
    CopyText(proposed, kCbPath, plan.programFilesFolder);
    AppendText(proposed, kCbPath, kProductFolder);
    return false;
}
