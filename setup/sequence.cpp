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
#include "install/report.h"
#include "base/runframe.h"
#include "install/plan.h"
#include "install/syscalls.h"
#include "base/widetext.h"
#include "base/workfolder.h"
#include "location/location.h"
#include "base/catalogue.h"
#include "payload/mainexe.h"
#include "payload/manifest.h"
#include "payload/pending.h"
#include "payload/store.h"
#include "registration/registration.h"
#include "registration/registry.h"
#include "registration/settings.h"
#include "setup/launch.h"
#include "setup/scope.h"
#include "ui/ui.h"

#include <cstring>

// Start-up: the settings key must be usable, then the system folders, the run's private working
// folder and, unless the folder was given (proposed null), the proposed location are found. False
// when the setup cannot proceed.
static bool StartUp(InstallPlan *plan, char *proposed)
{
    HKEY key;
    LONG status = OpenSettingsKey(&key);
    if (status != ERROR_SUCCESS) {
        ReportSystemError(plan->mode.talk, static_cast<DWORD>(status), errcode::kSettingsKeyStartup);
        ReportError(plan->mode.talk, "Unable to proceed with installation", errcode::kCannotProceed);
        return false;
    }
    CloseKey(key);

    FindWindowsFolder(plan);
    FindTempFolder(plan);
    FindProgramFilesFolder(plan);
    if (plan->tempFolder[0] == '\0')
        PathRoot(plan->tempFolder, kCbPath, plan->programFilesFolder);
    // Files are expanded through a staging file there, out of every user's reach: without it
    // nothing could be installed safely. Where none can be made and held in the temp folder (one
    // behind a link, say), the Windows folder's temp folder takes it.
    DWORD error;
    char windowsTemp[kCbPath];
    if (!CreateWorkFolder(sys, plan->mode.scope, plan->tempFolder, plan->workFolder,
                          &plan->heldWorkFolder, &error)) {
        DWORD first = error;
        if (!ReadWindowsTempFolder(sys, windowsTemp) ||
            !CreateWorkFolder(sys, plan->mode.scope, windowsTemp, plan->workFolder,
                              &plan->heldWorkFolder, &error)) {
            ReportWithSystemText(plan->mode.talk,
                                 "Unable to create a private working folder in the temp folder.",
                                 first, errcode::kNoWorkFolder);
            return false;
        }
        LogLine({"No private working folder could be made in ", plan->tempFolder, ": it is made in ",
                 windowsTemp});
    }
    if (proposed)
        plan->existingInstall = ProposeLocation(*plan, proposed);
    return true;
}

// Validation, then taking the folder, then the room on its drive, for the plan's install folder,
// which validation puts in its canonical form; a refusal is reported. *held: the folder held open
// while it is accepted (null otherwise), closed by the caller.
static bool LocationAccepted(InstallPlan *plan, HANDLE *held)
{
    Talk how = plan->mode.talk;
    if (!ValidateLocation(plan->installFolder, how) ||
        !TakeLocation(plan->installFolder, plan->programFilesFolder, plan->mode.scope, held, how))
        return false;
    if (HasRoomToInstall(plan->installFolder, BytesToInstall(plan->installFolder), how))
        return true;
    sys.CloseHandle(*held);
    *held = nullptr;
    return false;
}

// The location the user confirmed, or in a silent run the one proposed or given, as the plan's
// install folder, which the location dialog edits in place: kDone when it was accepted (and is held
// in *held), else the run's exit code. Each pass of the dialog starts from the proposed location.
static int ChooseLocation(InstallPlan *plan, const char *proposed, HANDLE *held)
{
    for (;;) {
        if (proposed)
            CopyText(plan->installFolder, kCbPath, proposed);
        if (ShowsWindows(plan->mode)) {
            FolderChoice choice = {plan->installFolder, !plan->existingInstall};
            INT_PTR result = RunLocationDialog(plan->backdrop, &choice);
            if (result == -1) {
                ReportError(Talk::kWindows, "Unable to initialize", errcode::kCannotInitialize);
                return exitcode::kFailed;
            }
            if (result != IDOK) {
                LogLine({"The location dialog was cancelled"});
                return exitcode::kCancelled;
            }
            LogLine({"Folder confirmed in the location dialog: ", plan->installFolder});
        }
        if (LocationAccepted(plan, held))
            return exitcode::kDone;
        LogLine({"Folder refused: ", plan->installFolder, " (the reason is above)"});
        if (!ShowsWindows(plan->mode))
            return exitcode::kFailed;
    }
}

// Records the installation and places the uninstaller. False when any of
// it is missing: the installation then cannot be found or removed as it
// should, which a deployment must learn from the exit code.
static bool Register(const InstallPlan &plan)
{
    // Without the Windows folder the uninstaller has no place where the entry's command finds it;
    // one user's uninstaller goes into the install folder, their own.
    bool machine = ForTheMachine(plan.mode);
    bool whole = RecordSetupPath(plan) && (!machine || plan.windowsFolder[0] != '\0');
    // App Paths first, then the user's record of the folder; either missing
    // is one failure to the person installing.
    bool appPaths = RecordApplicationPaths(plan);
    if (!RecordInstallFolder(plan) || !appPaths) {
        ReportError(plan.mode.talk, "Error encountered while writing to the system registry.",
                    errcode::kAppPathsFailed);
        whole = false;
    }
    // Where the Windows folder is unknown, the install folder (never a name
    // relative to whatever the current directory is).
    const char *uninstallerFolder =
        machine && plan.windowsFolder[0] != '\0' ? plan.windowsFolder : plan.installFolder;
    // An entry without the values that deployment tools detect an installation by (logged) makes
    // the run fail, though nobody is shown a message for it.
    bool complete = false;
    if (!RecordUninstallEntry(plan, static_cast<unsigned long>((InstalledBytes() + 1023) / 1024),
                              &complete)) {
        ReportError(plan.mode.talk, "Unable to register uninstall program.",
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
    // What an earlier removal scheduled for the next start of Windows must not delete what is
    // written now. (One user's installation schedules nothing: that needs administrator rights.)
    if (ForTheMachine(plan.mode) && !ClearPendingDeletions(plan.installFolder, plan.windowsFolder)) {
        ReportError(plan.mode.talk, "An earlier removal of Quillarix is finished only when Windows restarts.  "
                    "Restart Windows, then run the setup again.",
                    errcode::kPendingDeletions);
        return false;
    }
    MainExeOutcome outcome = ReplaceMainExecutable(plan);
    AppClosing closing = AppClosing::kNotFound;
    // Closed, or gone by itself meanwhile: the file is asked again (a copy
    // that has just ended may hold its image a moment longer).
    if (outcome == MainExeOutcome::kRunning &&
        ((closing = CloseRunningApp(sys, plan.mainExePath, plan.mode,
                                    "Your existing copy of Quillarix is running.  "
                                    "Close it and continue the installation?",
                                    nullptr)) == AppClosing::kClosed ||
         closing == AppClosing::kNotFound))
        outcome = ReplaceMainExecutable(plan);
    StepDone(plan.progress);
    switch (outcome) {
    case MainExeOutcome::kInstalled:
    case MainExeOutcome::kScheduled:
        break;
    case MainExeOutcome::kRunning:
        ReportError(plan.mode.talk, "Your existing copy of Quillarix is running.  Installation aborted.",
                    errcode::kMainExeRunning);
        DeleteInFolder(plan.installFolder, kStagingImageName);
        *code = exitcode::kInUse;
        return false;
    case MainExeOutcome::kNewerPresent:
        ReportError(plan.mode.talk, "A more recent version of Quillarix already exists at the install "
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
        ReportFileError(plan.mode.talk, failed->fileName, error, errcode::kFileWriteFailed);
        return false;
    }
    bool whole = Register(plan);
    StepDone(plan.progress);
    CreateShortcuts(plan);
    StepDone(plan.progress);
    *code = !whole ? exitcode::kFailed
            : outcome == MainExeOutcome::kScheduled ? exitcode::kRestartNeeded
                                                    : exitcode::kDone;
    if (outcome == MainExeOutcome::kScheduled)
        ReportNotice(plan.mode.talk, plan.backdrop, {plan.mainExePath, kReplacedAtRestartText});
    return true;
}

// Whether text, widened again as the program's code page reads it, occurs in the command line as
// the system holds it: false where a character of it lay beyond the code page (it came as '?').
static bool CameWholeFromCommandLine(const char *text)
{
    WCHAR wide[kCbPath];
    if (sys.MultiByteToWideChar(sys.GetACP(), 0, text, -1, wide, kCbPath) == 0)
        return false;
    for (const WCHAR *line = sys.GetCommandLineW(); *line; ++line) {
        int i = 0;
        while (wide[i] != 0 && line[i] == wide[i])
            ++i;
        if (wide[i] == 0)
            return true;
    }
    return wide[0] == 0;
}

// The install folder given on the command line, trailing blanks aside, as the plan's install
// folder; interactively, the folder the dialog proposes (into proposed). False (reported) when it
// does not fit the path text, or has characters that the code page could not hold.
static bool TakeGivenFolder(InstallPlan *plan, const char *given, char *proposed)
{
    char *folder = plan->installFolder;
    if (!CopyText(folder, kCbPath, given)) {
        ReportError(plan->mode.talk, "Folder name too long", errcode::kFolderTooLong);
        return false;
    }
    if (std::strchr(folder, '?') && !CameWholeFromCommandLine(folder)) {
        ReportError(plan->mode.talk, kFolderBeyondCodePageText, errcode::kFolderBeyondCodePage);
        folder[0] = '\0';
        return false;
    }
    for (std::size_t cch = std::strlen(folder); cch > 0 && folder[cch - 1] == ' ';)
        folder[--cch] = '\0';
    return !ShowsWindows(plan->mode) || CopyText(proposed, kCbPath, folder);
}

// The installation from the backdrop to the launch, by the plan that the command line began and
// start-up and the location complete; the run's exit code.
static int RunSequence(InstallPlan *plan, const char *givenFolder)
{
    if (ShowsWindows(plan->mode))
        plan->backdrop = CreateBackdropWindow(ProgramModule());

    // A folder given is the administrator's choice: no record is read or probed for one.
    char proposed[kCbPath] = "";
    bool given = givenFolder != nullptr;
    if (!StartUp(plan, given ? nullptr : proposed) ||
        (given && !TakeGivenFolder(plan, givenFolder, proposed)))
        return exitcode::kFailed;
    HANDLE held = nullptr;
    int code = ChooseLocation(plan, proposed[0] ? proposed : nullptr, &held);
    if (code != exitcode::kDone)
        return code;
    LogLine({"Install folder ", plan->installFolder});
    HWND progress = nullptr;
    bool installed = false;
    INT_PTR accepted = IDOK;
    // Using the silent switch accepts the licence.
    if (!JoinPath(plan->mainExePath, kCbPath, plan->installFolder, kMainExeName)) {
        code = exitcode::kFailed;  // cannot happen: validation keeps the folder short enough
    } else if (ShowsWindows(plan->mode) && (accepted = RunLicenceDialog(plan->backdrop)) != IDOK) {
        LogLine({accepted == -1 ? "The licence dialog could not be shown"
                                : "The licence agreement was declined"});
        code = accepted == -1 ? exitcode::kFailed : exitcode::kCancelled;
    } else {
        LogLine({ShowsWindows(plan->mode) ? "The licence agreement was accepted"
                                          : "The licence agreement is accepted by /S"});
        progress = ShowsWindows(plan->mode) ? CreateProgressDialog(plan->backdrop) : nullptr;
        // The steps: the main executable, each file of the manifest, the records, the shortcuts.
        // The backdrop takes no input meanwhile, as under a modal dialog.
        plan->progress = progress;
        if (progress && plan->backdrop)
            sys.EnableWindow(plan->backdrop, FALSE);
        StartProgress(progress, static_cast<int>(kManifestRows) + 3);
        installed = Install(*plan, &code);
        if (progress && plan->backdrop)
            sys.EnableWindow(plan->backdrop, TRUE);
        plan->progress = nullptr;
    }
    // The folder was held from its acceptance to the last file written: no
    // level of its name could be moved or replaced meanwhile.
    sys.CloseHandle(held);
    // A deployment starts nothing under the account it runs as.
    // Nor is the old copy started, whose replacement waits for the restart.
    if (installed && code != exitcode::kRestartNeeded && ShowsWindows(plan->mode))
        LaunchApplication(*plan);
    if (progress)
        sys.DestroyWindow(progress);
    return code;
}

static constexpr char kUsage[] =
    "QuillarixSetup [/S] [/ALLUSERS | /CURRENTUSER] [/CLOSEAPPLICATIONS] [/LOG=file] "
    "[/D=folder]\r\n\r\n"
    "/S\tInstalls with no window, for all users unless /CURRENTUSER, and does not start "
    "Quillarix.  Using it accepts the licence agreement.\r\n"
    "/ALLUSERS\tInstalls for every user of this computer: needs administrator rights.\r\n"
    "/CURRENTUSER\tInstalls only for you, with no administrator rights.\r\n"
    "/LOG=file\tWrites a log; with /S, by default %TEMP%\\" QLX_SETUP_LOG ".\r\n"
    "/CLOSEAPPLICATIONS\tWith /S, closes a running Quillarix instead of stopping.\r\n"
    "/D=folder\tThe install folder.  Last; quoted or not.";

// Tells that another setup or removal runs, or that the lock could not be
// taken, as the setup reports errors.
static void RefuseSetup(Talk talk, RunLock why, DWORD error)
{
    if (why == RunLock::kBusy)
        ReportError(talk, kAnotherRunText, errcode::kAnotherRun);
    else
        ReportWithSystemText(talk, kRunLockFailedText, error, errcode::kRunLockFailed);
}

int RunSetup(const char *commandLine, InstallPlan *plan)
{
    *plan = InstallPlan{};
    static constexpr ProgramFrame kFrame = {kSwitchFolder, kSetupLogName,
                                            QLX_PRODUCT " Setup " QLX_VERSION_TEXT, kUsage,
                                            RefuseSetup, nullptr, true, SettleSetupScope};
    return RunInFrame(sys, commandLine, kFrame, [plan](const CommandLine &args) {
        plan->mode = args.mode;
        int code = RunSequence(plan, args.rest);
        RemoveWorkFolder(sys, plan->workFolder, plan->heldWorkFolder);
        return code;
    });
}
