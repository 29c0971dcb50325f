// The setup sequence, step by step. Every operation returns its result here
// and the sequence decides whether to go on; it always ends with 0.
#include "setup/sequence.h"

#include "base/errors.h"
#include "base/pathtext.h"
#include "base/product.h"
#include "base/report.h"
#include "base/state.h"
#include "base/syscalls.h"
#include "location/location.h"
#include "payload/catalogue.h"
#include "payload/mainexe.h"
#include "payload/manifest.h"
#include "payload/pending.h"
#include "payload/store.h"
#include "registration/registration.h"
#include "registration/registry.h"
#include "registration/settings.h"
#include "ui/ui.h"

// Start-up: the settings key must be usable, then the system folders and
// the proposed location are found. False when the setup cannot proceed.
static bool StartUp(char *proposed)
{
    HKEY key;
    LONG status = OpenSettingsKey(&key);
    if (status != ERROR_SUCCESS) {
        ReportSystemError(static_cast<DWORD>(status), errcode::kSettingsKeyStartup);
        ReportError("Unable to proceed with installation", errcode::kCannotProceed);
        return false;
    }
    CloseKey(key);

    FindWindowsFolder();
    FindTempFolder();
    FindProgramFilesFolder();
    if (g_setup.tempFolder[0] == '\0')
        PathRoot(g_setup.tempFolder, kCbPath, g_setup.programFilesFolder);
    g_setup.existingInstall = ProposeLocation(proposed);
    return true;
}

// The location loop: each pass starts from the proposed location. True when
// the user pressed Install on a folder that validation accepted.
static bool ChooseLocation(const char *proposed)
{
    for (;;) {
        CopyText(g_setup.installFolder, kCbPath, proposed);
        INT_PTR result = RunLocationDialog(g_setup.backdrop);
        if (result == -1)
            ReportError("Unable to initialize", errcode::kCannotInitialize);
        if (result != IDOK)
            return false;
        if (ValidateLocation(g_setup.installFolder, true) &&
            HasRoomToInstall(g_setup.installFolder, BytesToInstall(g_setup.installFolder)))
            return true;
    }
}

// Records the installation and places the uninstaller.
static void Register()
{
    RecordSetupPath();
    if (!RecordApplicationPaths())
        ReportError("Error encountered while writing to the system registry.",
                    errcode::kAppPathsFailed);
    const char *uninstallerFolder = g_setup.windowsFolder;
    if (!RecordUninstallEntry(static_cast<unsigned long>((InstalledBytes() + 1023) / 1024))) {
        ReportError("Unable to register uninstall program.", errcode::kUninstallFailed);
        uninstallerFolder = g_setup.installFolder;
    }
    char folder[kCbPath];
    CopyText(folder, sizeof folder, uninstallerFolder);
    ExpandPayload(IDF_UNINSTALLER, folder, kUninstallerName);
}

// Installs from the main executable to the shortcuts. False when the main
// executable could not be installed and nothing else was written.
static bool Install()
{
    // What an earlier removal scheduled for the next start of Windows must
    // not delete what is written now.
    if (!ClearPendingDeletions(g_setup.installFolder, g_setup.windowsFolder)) {
        ReportError("An earlier removal of Quillarix is finished only when Windows restarts.  "
                    "Restart Windows, then run the setup again.",
                    errcode::kPendingDeletions);
        return false;
    }
    switch (ReplaceMainExecutable()) {
    case MainExeOutcome::kInstalled:
        break;
    case MainExeOutcome::kRunning:
        ReportError("Your existing copy of Quillarix is running.  Installation aborted.",
                    errcode::kMainExeRunning);
        DeleteInFolder(g_setup.installFolder, kStagingImageName);
        return false;
    case MainExeOutcome::kNewerPresent:
        ReportError("A more recent version of Quillarix already exists at the install "
                    "location.  Installation aborted.",
                    errcode::kMainExeNewer);
        DeleteInFolder(g_setup.installFolder, kStagingImageName);
        return false;
    case MainExeOutcome::kFailed:
        DeleteInFolder(g_setup.installFolder, kStagingImageName);
        return false;
    }
    // A file that cannot be written ends the installation before anything
    // is recorded: what was written is whole, and a later run completes it.
    const ManifestRow *failed;
    DWORD error;
    if (!InstallManifest(g_setup.installFolder, &failed, &error)) {
        ReportFileError(failed->fileName, error, errcode::kFileWriteFailed);
        return false;
    }
    Register();
    CreateShortcuts();
    return true;
}

static void Launch()
{
    char directory[kCbPath];
    DirectoryPath(directory, sizeof directory, g_setup.installFolder);
    sys.SetCurrentDirectoryA(directory);
    sys.ShellExecuteA(g_setup.backdrop, "open", kMainExeName, "", directory, SW_SHOWDEFAULT);
}

int RunSetup(HINSTANCE instance)
{
    ResetSetupState(instance);
    g_setup.backdrop = CreateBackdropWindow(instance);

    char proposed[kCbPath] = "";
    if (!StartUp(proposed) || !ChooseLocation(proposed))
        return 0;
    if (!JoinPath(g_setup.mainExePath, kCbPath, g_setup.installFolder, kMainExeName))
        return 0;  // cannot happen: validation keeps the folder short enough
    if (RunLicenceDialog(g_setup.backdrop) != IDOK)
        return 0;

    HWND progress = CreateProgressDialog(g_setup.backdrop);
    if (Install())
        Launch();
    if (progress)
        sys.DestroyWindow(progress);
    return 0;
}
