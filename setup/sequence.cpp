// The setup sequence, step by step. Every operation returns its result here
// and the sequence decides whether to go on; the exit code says how it
// ended. A silent run shows no window: it takes the proposed (or given)
// folder, accepts the licence and starts nothing at the end.
#include "setup/sequence.h"

#include "base/closeapp.h"
#include "base/cmdline.h"
#include "base/errors.h"
#include "base/exitcodes.h"
#include "base/logfile.h"
#include "base/pathtext.h"
#include "base/product.h"
#include "base/report.h"
#include "base/runlock.h"
#include "base/state.h"
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
#include "ui/launch.h"
#include "ui/ui.h"

#include <cstring>

// Start-up: the settings key must be usable, then the system folders, the
// run's private working folder and the proposed location are found. False
// when the setup cannot proceed.
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
    // Files are expanded through a staging file there, out of every user's
    // reach: without it nothing could be installed safely.
    DWORD error;
    if (!CreateWorkFolder(sys, g_setup.tempFolder, g_setup.workFolder, &error)) {
        ReportWithSystemText("Unable to create a private working folder in the temp folder.",
                             error, errcode::kNoWorkFolder);
        return false;
    }
    g_setup.existingInstall = ProposeLocation(proposed);
    return true;
}

// Validation, then taking the folder, then the room on its drive, for the
// install folder; a refusal is reported. *held: the folder held open while
// it is accepted (null otherwise), closed by the caller.
static bool LocationAccepted(HANDLE *held)
{
    if (!ValidateLocation(g_setup.installFolder, true) ||
        !TakeLocation(g_setup.installFolder, g_setup.programFilesFolder, held, true))
        return false;
    if (HasRoomToInstall(g_setup.installFolder, BytesToInstall(g_setup.installFolder)))
        return true;
    sys.CloseHandle(*held);
    *held = nullptr;
    return false;
}

// The location the user confirmed, or in a silent run the proposed one:
// kDone when it was accepted (and is held in *held), else the run's exit
// code.
static int ChooseLocation(const char *proposed, HANDLE *held)
{
    // Each pass starts from the proposed location.
    for (;;) {
        CopyText(g_setup.installFolder, kCbPath, proposed);
        if (g_setup.silent)
            return LocationAccepted(held) ? exitcode::kDone : exitcode::kFailed;
        INT_PTR result = RunLocationDialog(g_setup.backdrop);
        if (result == -1) {
            ReportError("Unable to initialize", errcode::kCannotInitialize);
            return exitcode::kFailed;
        }
        if (result != IDOK)
            return exitcode::kCancelled;
        if (LocationAccepted(held))
            return exitcode::kDone;
    }
}

// Records the installation and places the uninstaller. False when any of
// it is missing: the installation then cannot be found or removed as it
// should, which a deployment must learn from the exit code.
static bool Register()
{
    // Without the Windows folder the uninstaller has no place where the
    // entry's command finds it.
    bool whole = RecordSetupPath() && g_setup.windowsFolder[0] != '\0';
    // App Paths first, then the user's record of the folder; either missing
    // is one failure to the person installing.
    bool appPaths = RecordApplicationPaths();
    if (!RecordInstallFolder() || !appPaths) {
        ReportError("Error encountered while writing to the system registry.",
                    errcode::kAppPathsFailed);
        whole = false;
    }
    // Where the Windows folder is unknown, the install folder (never a name
    // relative to whatever the current directory is).
    const char *uninstallerFolder =
        g_setup.windowsFolder[0] != '\0' ? g_setup.windowsFolder : g_setup.installFolder;
    // An entry without the values that deployment tools detect an
    // installation by (logged) makes the run fail, though nobody is shown
    // a message for it.
    bool complete = false;
    if (!RecordUninstallEntry(static_cast<unsigned long>((InstalledBytes() + 1023) / 1024),
                              &complete)) {
        ReportError("Unable to register uninstall program.", errcode::kUninstallFailed);
        uninstallerFolder = g_setup.installFolder;
    }
    whole = whole && complete;
    char folder[kCbPath];
    CopyText(folder, sizeof folder, uninstallerFolder);
    // The person installing is not told (there is nothing they can do);
    // the log says it.
    DWORD error = 0;
    if (!ExpandPayload(IDF_UNINSTALLER, folder, kUninstallerName, &error)) {
        LogFileError(kUninstallerName, error);
        whole = false;
    }
    return whole;
}

// Installs from the main executable to the shortcuts. False when the main
// executable could not be installed and nothing else was written; *code is
// the run's exit code (kDone only when everything was written). A running
// Quillarix is asked to close first where the person agrees, or an
// unattended run was told to (closeApplications).
static bool Install(bool closeApplications, int *code)
{
    *code = exitcode::kFailed;
    // What an earlier removal scheduled for the next start of Windows must
    // not delete what is written now.
    if (!ClearPendingDeletions(g_setup.installFolder, g_setup.windowsFolder)) {
        ReportError("An earlier removal of Quillarix is finished only when Windows restarts.  "
                    "Restart Windows, then run the setup again.",
                    errcode::kPendingDeletions);
        return false;
    }
    MainExeOutcome outcome = ReplaceMainExecutable();
    if (outcome == MainExeOutcome::kRunning &&
        CloseRunningApp(sys, g_setup.mainExePath,
                        !g_setup.silent     ? AppCloseMode::kAsk
                        : closeApplications ? AppCloseMode::kClose
                                            : AppCloseMode::kRefuse,
                        "Your existing copy of Quillarix is running.  "
                        "Close it and continue the installation?",
                        nullptr) == AppClosing::kClosed)
        outcome = ReplaceMainExecutable();
    switch (outcome) {
    case MainExeOutcome::kInstalled:
        break;
    case MainExeOutcome::kRunning:
        ReportError("Your existing copy of Quillarix is running.  Installation aborted.",
                    errcode::kMainExeRunning);
        DeleteInFolder(g_setup.installFolder, kStagingImageName);
        *code = exitcode::kInUse;
        return false;
    case MainExeOutcome::kNewerPresent:
        ReportError("A more recent version of Quillarix already exists at the install "
                    "location.  Installation aborted.",
                    errcode::kMainExeNewer);
        DeleteInFolder(g_setup.installFolder, kStagingImageName);
        *code = exitcode::kNewerInstalled;
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
    bool whole = Register();
    CreateShortcuts();
    *code = whole ? exitcode::kDone : exitcode::kFailed;
    return true;
}

// The install folder given on the command line, trailing blanks aside, as
// the proposed one. False (reported) when it does not fit the path text.
static bool TakeGivenFolder(char *proposed, const char *given)
{
    if (!CopyText(proposed, kCbPath, given)) {
        ReportError("Folder name too long", errcode::kFolderTooLong);
        return false;
    }
    for (std::size_t cch = std::strlen(proposed); cch > 0 && proposed[cch - 1] == ' ';)
        proposed[--cch] = '\0';
    g_setup.existingInstall = false;  // the folder is the administrator's choice, not a record
    return true;
}

// The installation from the backdrop to the launch; the run's exit code.
static int RunSequence(const char *givenFolder, bool closeApplications)
{
    if (!g_setup.silent)
        g_setup.backdrop = CreateBackdropWindow(g_setup.instance);

    char proposed[kCbPath] = "";
    if (!StartUp(proposed) || (givenFolder && !TakeGivenFolder(proposed, givenFolder)))
        return exitcode::kFailed;
    HANDLE held = nullptr;
    int code = ChooseLocation(proposed, &held);
    if (code != exitcode::kDone)
        return code;
    LogLine({"Install folder ", g_setup.installFolder});
    HWND progress = nullptr;
    bool installed = false;
    INT_PTR accepted = IDOK;
    // Using the silent switch accepts the licence.
    if (!JoinPath(g_setup.mainExePath, kCbPath, g_setup.installFolder, kMainExeName)) {
        code = exitcode::kFailed;  // cannot happen: validation keeps the folder short enough
    } else if (!g_setup.silent && (accepted = RunLicenceDialog(g_setup.backdrop)) != IDOK) {
        code = accepted == -1 ? exitcode::kFailed : exitcode::kCancelled;
    } else {
        progress = g_setup.silent ? nullptr : CreateProgressDialog(g_setup.backdrop);
        installed = Install(closeApplications, &code);
    }
    // The folder was held from its acceptance to the last file written: no
    // level of its name could be moved or replaced meanwhile.
    sys.CloseHandle(held);
    // A deployment starts nothing under the account it runs as.
    if (installed && !g_setup.silent)
        LaunchApplication();
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

int RunSetup(HINSTANCE instance, const char *commandLine)
{
    ResetSetupState(instance);
    SetPathCodePage(sys.GetACP());
    CommandLine args;
    // A command line too long for the program's text is not understood.
    const char *line = commandLine ? commandLine : "(too long)";
    bool understood = ParseCommandLine(commandLine ? commandLine : "", kSwitchFolder, &args) &&
                      commandLine;
    g_setup.silent = args.silent;
    OpenRunLog(sys, args.log, args.silent, kSetupLogName);
    LogLine({kProductName, " Setup " QLX_VERSION_TEXT ", command line: ", line});

    int code;
    HANDLE lock = nullptr;
    DWORD error = 0;
    RunLock taken = RunLock::kFailed;
    if (!understood || args.help) {
        LogLine({kUsage});
        if (!args.silent)
            ShowMessageBox(sys, nullptr, kUsage, kProductName,
                            MB_OK | (understood ? MB_ICONINFORMATION : MB_ICONERROR));
        code = understood ? exitcode::kDone : exitcode::kBadCommandLine;
    } else if ((taken = TakeRunLock(sys, &lock, &error)) == RunLock::kBusy) {
        ReportError(kAnotherRunText, errcode::kAnotherRun);
        code = exitcode::kBusy;
    } else if (taken == RunLock::kFailed) {
        ReportWithSystemText(kRunLockFailedText, error, errcode::kRunLockFailed);
        code = exitcode::kFailed;
    } else {
        code = RunSequence(args.rest, args.closeApplications);
        RemoveWorkFolder(sys, g_setup.workFolder);
        sys.CloseHandle(lock);
    }
    CloseLogFile(sys, code);
    return code;
}
