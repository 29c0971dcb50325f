// The setup sequence, step by step. Every operation returns its result here and the sequence
// decides whether to go on; the exit code says how it ended. A silent run shows no window: it takes
// the proposed (or given) folder, accepts the licence and starts nothing at the end.
#include "setup/sequence.h"

#include "base/closeapp.h"
#include "base/cmdline.h"
#include "base/errors.h"
#include "base/exitcodes.h"
#include "base/logfile.h"
#include "base/pathtext.h"
#include "base/product.h"
#include "base/report.h"
#include "base/runframe.h"
#include "base/plan.h"
#include "base/syscalls.h"
#include "base/widetext.h"
#include "base/workfolder.h"
#include "location/location.h"
#include "payload/catalogue.h"
#include "payload/mainexe.h"
#include "payload/manifest.h"
#include "payload/pending.h"
#include "payload/store.h"
#include "registration/registration.h"
#include "registration/registry.h"
#include "registration/settings.h"
#include "setup/launch.h"
#include "ui/ui.h"

#include <cstring>

// Start-up: the settings key must be usable, then the system folders, the run's private working
// folder and the proposed location are found. False when the setup cannot proceed.
static bool StartUp(InstallPlan *plan, char *proposed)
{
    HKEY key;
    LONG status = OpenSettingsKey(&key);
    if (status != ERROR_SUCCESS) {
        ReportSystemError(plan->silent, static_cast<DWORD>(status), errcode::kSettingsKeyStartup);
        ReportError(plan->silent, "Unable to proceed with installation", errcode::kCannotProceed);
        return false;
    }
    CloseKey(key);

    FindWindowsFolder(plan);
    FindTempFolder(plan);
    FindProgramFilesFolder(plan);
    if (plan->tempFolder[0] == '\0')
        PathRoot(plan->tempFolder, kCbPath, plan->programFilesFolder);
    // Files are expanded through a staging file there, out of every user's
    // reach: without it nothing could be installed safely.
    // Where none can be made and held there (a temp folder behind a link, say), the Windows
    // folder's temp folder takes it.
    DWORD error;
    char windowsTemp[kCbPath];
    if (!CreateWorkFolder(sys, plan->tempFolder, plan->workFolder, &plan->heldWorkFolder, &error)) {
        DWORD first = error;
        if (!ReadWindowsTempFolder(sys, windowsTemp) ||
            !CreateWorkFolder(sys, windowsTemp, plan->workFolder, &plan->heldWorkFolder, &error)) {
            ReportWithSystemText(plan->silent,
                                 "Unable to create a private working folder in the temp folder.",
                                 first, errcode::kNoWorkFolder);
            return false;
        }
        LogLine({"No private working folder could be made in ", plan->tempFolder, ": it is made in ",
                 windowsTemp});
    }
    plan->existingInstall = ProposeLocation(*plan, proposed);
    return true;
}

// Validation, then taking the folder, then the room on its drive, for the plan's install folder,
// which validation puts in its canonical form; a refusal is reported. *held: the folder held open
// while it is accepted (null otherwise), closed by the caller.
static bool LocationAccepted(InstallPlan *plan, HANDLE *held)
{
    Telling how = TellingOf(plan->silent);
    if (!ValidateLocation(plan->installFolder, how) ||
        !TakeLocation(plan->installFolder, plan->programFilesFolder, held, how))
        return false;
    if (HasRoomToInstall(plan->installFolder, BytesToInstall(plan->installFolder), plan->silent))
        return true;
    sys.CloseHandle(*held);
    *held = nullptr;
    return false;
}

// The location the user confirmed, or in a silent run the proposed one, into the plan's install
// folder: kDone when it was accepted (and is held in *held), else the run's exit code.
static int ChooseLocation(InstallPlan *plan, const char *proposed, HANDLE *held)
{
    // Each pass starts from the proposed location.
    for (;;) {
        FolderChoice choice;
        CopyText(choice.folder, sizeof choice.folder, proposed);
        choice.canChange = !plan->existingInstall;
        if (!plan->silent) {
            INT_PTR result = RunLocationDialog(plan->backdrop, &choice);
            if (result == -1) {
                ReportError(false, "Unable to initialize", errcode::kCannotInitialize);
                return exitcode::kFailed;
            }
            if (result != IDOK)
                return exitcode::kCancelled;
        }
        CopyText(plan->installFolder, kCbPath, choice.folder);
        if (LocationAccepted(plan, held))
            return exitcode::kDone;
        if (plan->silent)
            return exitcode::kFailed;
    }
}

// Records the installation and places the uninstaller. False when any of
// it is missing: the installation then cannot be found or removed as it
// should, which a deployment must learn from the exit code.
static bool Register(const InstallPlan &plan)
{
    // Without the Windows folder the uninstaller has no place where the entry's command finds it.
    bool whole = RecordSetupPath(plan) && plan.windowsFolder[0] != '\0';
    // App Paths first, then the user's record of the folder; either missing
    // is one failure to the person installing.
    bool appPaths = RecordApplicationPaths(plan);
    if (!RecordInstallFolder(plan) || !appPaths) {
        ReportError(plan.silent, "Error encountered while writing to the system registry.",
                    errcode::kAppPathsFailed);
        whole = false;
    }
    // Where the Windows folder is unknown, the install folder (never a name
    // relative to whatever the current directory is).
    const char *uninstallerFolder =
        plan.windowsFolder[0] != '\0' ? plan.windowsFolder : plan.installFolder;
    // An entry without the values that deployment tools detect an installation by (logged) makes
    // the run fail, though nobody is shown a message for it.
    bool complete = false;
    if (!RecordUninstallEntry(plan, static_cast<unsigned long>((InstalledBytes() + 1023) / 1024),
                              &complete)) {
        ReportError(plan.silent, "Unable to register uninstall program.",
                    errcode::kUninstallFailed);
        uninstallerFolder = plan.installFolder;
    }
    whole = whole && complete;
    char folder[kCbPath];
    CopyText(folder, sizeof folder, uninstallerFolder);
    // The person installing is not told (there is nothing they can do); the log says it.
    DWORD error = 0;
    if (!ExpandPayload(IDF_UNINSTALLER, plan.workFolder, folder, kUninstallerName, &error)) {
        LogFileError(kUninstallerName, error);
        whole = false;
    }
    return whole;
}

// Installs from the main executable to the shortcuts. False when nothing was installed (pending
// deletions in the way, the main executable refused or not written) or a data file could not be
// written (the main executable may be the new one by then); *code is the run's exit code (kDone
// only when everything was written). A running Quillarix is asked to close first where the person
// agrees, or an unattended run was told to.
static bool Install(const InstallPlan &plan, int *code)
{
    *code = exitcode::kFailed;
    // What an earlier removal scheduled for the next start of Windows must
    // not delete what is written now.
    if (!ClearPendingDeletions(plan.installFolder, plan.windowsFolder)) {
        ReportError(plan.silent, "An earlier removal of Quillarix is finished only when Windows restarts.  "
                    "Restart Windows, then run the setup again.",
                    errcode::kPendingDeletions);
        return false;
    }
    MainExeOutcome outcome = ReplaceMainExecutable(plan);
    if (outcome == MainExeOutcome::kRunning &&
        CloseRunningApp(sys, plan.mainExePath,
                        !plan.silent              ? AppCloseMode::kAsk
                        : plan.closeApplications ? AppCloseMode::kClose
                                                 : AppCloseMode::kRefuse,
                        "Your existing copy of Quillarix is running.  "
                        "Close it and continue the installation?",
                        nullptr) == AppClosing::kClosed)
        outcome = ReplaceMainExecutable(plan);
    switch (outcome) {
    case MainExeOutcome::kInstalled:
        break;
    case MainExeOutcome::kRunning:
        ReportError(plan.silent, "Your existing copy of Quillarix is running.  Installation aborted.",
                    errcode::kMainExeRunning);
        DeleteInFolder(plan.installFolder, kStagingImageName);
        *code = exitcode::kInUse;
        return false;
    case MainExeOutcome::kNewerPresent:
        ReportError(plan.silent, "A more recent version of Quillarix already exists at the install "
                    "location.  Installation aborted.",
                    errcode::kMainExeNewer);
        DeleteInFolder(plan.installFolder, kStagingImageName);
        *code = exitcode::kNewerInstalled;
        return false;
    case MainExeOutcome::kFailed:
        DeleteInFolder(plan.installFolder, kStagingImageName);
        return false;
    }
    // A file that cannot be written ends the installation before anything
    // is recorded: what was written is whole, and a later run completes it.
    const ManifestRow *failed;
    DWORD error;
    if (!InstallManifest(plan, &failed, &error)) {
        ReportFileError(plan.silent, failed->fileName, error, errcode::kFileWriteFailed);
        return false;
    }
    bool whole = Register(plan);
    CreateShortcuts(plan);
    *code = whole ? exitcode::kDone : exitcode::kFailed;
    return true;
}

// The install folder given on the command line, trailing blanks aside, as
// the proposed one. False (reported) when it does not fit the path text.
static bool TakeGivenFolder(InstallPlan *plan, char *proposed, const char *given)
{
    if (!CopyText(proposed, kCbPath, given)) {
        ReportError(plan->silent, "Folder name too long", errcode::kFolderTooLong);
        return false;
    }
    for (std::size_t cch = std::strlen(proposed); cch > 0 && proposed[cch - 1] == ' ';)
        proposed[--cch] = '\0';
    plan->existingInstall = false;  // the folder is the administrator's choice, not a record
    return true;
}

// The installation from the backdrop to the launch, by the plan that the command line began and
// start-up and the location complete; the run's exit code.
static int RunSequence(InstallPlan *plan, const char *givenFolder)
{
    if (!plan->silent)
        plan->backdrop = CreateBackdropWindow(ProgramModule());

    char proposed[kCbPath] = "";
    if (!StartUp(plan, proposed) ||
        (givenFolder && !TakeGivenFolder(plan, proposed, givenFolder)))
        return exitcode::kFailed;
    HANDLE held = nullptr;
    int code = ChooseLocation(plan, proposed, &held);
    if (code != exitcode::kDone)
        return code;
    LogLine({"Install folder ", plan->installFolder});
    HWND progress = nullptr;
    bool installed = false;
    INT_PTR accepted = IDOK;
    // Using the silent switch accepts the licence.
    if (!JoinPath(plan->mainExePath, kCbPath, plan->installFolder, kMainExeName)) {
        code = exitcode::kFailed;  // cannot happen: validation keeps the folder short enough
    } else if (!plan->silent && (accepted = RunLicenceDialog(plan->backdrop)) != IDOK) {
        code = accepted == -1 ? exitcode::kFailed : exitcode::kCancelled;
    } else {
        progress = plan->silent ? nullptr : CreateProgressDialog(plan->backdrop);
        installed = Install(*plan, &code);
    }
    // The folder was held from its acceptance to the last file written: no
    // level of its name could be moved or replaced meanwhile.
    sys.CloseHandle(held);
    // A deployment starts nothing under the account it runs as.
    if (installed && !plan->silent)
        LaunchApplication(*plan);
    if (progress)
        sys.DestroyWindow(progress);
    return code;
}

static constexpr char kUsage[] =
    "QuillarixSetup [/S] [/CLOSEAPPLICATIONS] [/LOG=file] [/D=folder]\r\n\r\n"
    "/S\tInstalls with no window, for all users, and does not start Quillarix.  "
    "Using it accepts the licence agreement.\r\n"
    "/LOG=file\tWrites a log; with /S, by default %TEMP%\\" QLX_SETUP_LOG ".\r\n"
    "/CLOSEAPPLICATIONS\tWith /S, closes a running Quillarix instead of stopping.\r\n"
    "/D=folder\tThe install folder.  Last; quoted or not.";

// Tells that another setup or removal runs, or that the lock could not be
// taken, as the setup reports errors.
static void RefuseSetup(bool silent, RunLock why, DWORD error)
{
    if (why == RunLock::kBusy)
        ReportError(silent, kAnotherRunText, errcode::kAnotherRun);
    else
        ReportWithSystemText(silent, kRunLockFailedText, error, errcode::kRunLockFailed);
}

// The setup with the lock held, by the plan in context.
static int RunLocked(const CommandLine &args, void *context)
{
    auto *plan = static_cast<InstallPlan *>(context);
    plan->silent = args.silent;
    plan->closeApplications = args.closeApplications;
    int code = RunSequence(plan, args.rest);
    RemoveWorkFolder(sys, plan->workFolder, plan->heldWorkFolder);
    return code;
}

int RunSetup(const char *commandLine, InstallPlan *plan)
{
    *plan = InstallPlan{};
    const ProgramFrame frame = {kSwitchFolder, kSetupLogName, QLX_PRODUCT " Setup " QLX_VERSION_TEXT,
                                kUsage,        RefuseSetup,   RunLocked, nullptr, plan};
    return RunInFrame(sys, commandLine, frame);
}
