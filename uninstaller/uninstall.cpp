// The uninstall sequence: ask, find the installation, refuse while the application runs, then
// remove the shortcuts that point at this installation, the data files, the main executable, the
// registry records that name it, the uninstaller's own traces and the install folder if it is left
// empty. A file in use is deleted when Windows next starts. Whatever cannot be removed stops the
// removal while the installation can still be found (the main executable and the records that name
// its folder go together), so that running the removal again finishes.
#include "uninstaller/uninstall.h"

#include "base/closeapp.h"
#include "base/exitcodes.h"
#include "base/fileuse.h"
#include "base/heldfolder.h"
#include "base/levels.h"
#include "base/pathtext.h"
#include "base/product.h"
#include "base/registry_read.h"
#include "base/widetext.h"
#include "uninstaller/removal.h"
#include "uninstaller/ucalls.h"

// The uninstaller's own traces, once the installation is gone: the Windows folder's copy, its own
// file (now, or by the caller once the process it was started from has ended), the empty keys, and
// last the line in the list of installed programs. folder may be null. Where the Windows folder
// cannot be told, its copy is reported as left.
static void RemoveOwnTraces(const char *self, const char *folder, bool deferred, bool *selfToGo,
                            Outcome *outcome)
{
    // One user's installation has no copy there: every user's stays as it is.
    char windowsCopy[kCbPath] = "";
    if (outcome->records == HKEY_CURRENT_USER)
        ;
    else if (!PlacedInWindows(windowsCopy))
        AddItem(&outcome->left, kUninstallerName);
    else if (!SamePath(windowsCopy, self))
        RemoveFile(windowsCopy, outcome);
    if (IsPlaced(self, folder, windowsCopy)) {
        if (deferred)
            *selfToGo = true;
        else
            RemoveSelf(self, outcome);
    }
    RemoveOwnKeys(self, folder, windowsCopy, outcome);
}

// The removal of the installation found in folder, which the caller holds open in held, closed here
// before the folder itself goes: the shortcuts that point at it, the data files, the main
// executable and the records that name it, then the uninstaller's traces and the empty folder. The
// data files go whatever became of the shortcuts; from the main executable on, each step goes on
// only when nothing is left: until the main executable goes, a second removal finds the
// installation by it and the records of its folder, and is started from the list of installed
// programs.
static UninstallResult RemoveInstallation(const RunMode &mode, const char *self, const char *folder,
                                          const char *mainExe, HANDLE held, bool deferred,
                                          bool *selfToGo, Outcome *outcome)
{
    // A running Quillarix is asked to close where the person agrees (a
    // silent removal only when told to), and asked again whether a copy
    // runs. A file that another program only holds open goes at the restart.
    const Talk talk = mode.talk;
    AppClosing closing = AppClosing::kNotFound;
    if (ProbeInUse(usys, mainExe) == FileUse::kRunning &&
        (((closing = CloseRunningApp(usys, mainExe, mode,
                                     "Quillarix is running.  Close it and continue the removal?",
                                     nullptr)) != AppClosing::kClosed &&
          closing != AppClosing::kNotFound) ||
         IsAppRunning(usys, mainExe))) {
        usys.CloseHandle(held);
        Tell(talk, "Quillarix is running.  Close it and start the removal again.  "
             "Nothing was removed.",
             MB_OK | MB_ICONEXCLAMATION);
        return kRunning;
    }
    RemoveShortcuts(mainExe, outcome);  // before the target goes: links are matched by it
    RemoveDataFiles(folder, self, outcome);
    if (outcome->left.count == 0)
        RemoveFile(mainExe, outcome);
    if (outcome->left.count == 0)
        RemoveAppPaths(folder, mainExe, outcome);
    if (outcome->left.count == 0)
        RemoveSettingsValues(outcome);
    usys.CloseHandle(held);
    if (outcome->left.count != 0)
        return Report(talk, *outcome);
    RemoveOwnTraces(self, folder, deferred, selfToGo, outcome);
    RemoveInstallFolder(folder, outcome->restartAllowed);  // after its files, also at the next start
    return Report(talk, *outcome);
}

UninstallResult RunUninstall(const RunMode &mode, const char *startedFrom,
                             bool *startedFromToGo)
{
    const Talk talk = mode.talk;
    bool ignored = false;
    bool *selfToGo = startedFromToGo ? startedFromToGo : &ignored;
    *selfToGo = false;
    if (Tell(talk, "Remove Quillarix and all of its components?", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return kDeclined;
    if (talk != Talk::kWindows)
        LogLine({"Unattended: Quillarix and all of its components are removed"});

    char self[kCbPath] = "";
    if (startedFrom) {
        CopyText(self, sizeof self, startedFrom);
    } else {
        ModuleFileText(usys, self, sizeof self);
    }
    Outcome outcome;
    outcome.records = RecordsOf(mode.scope);
    outcome.restartAllowed = ForTheMachine(mode);
    StartList(&outcome.scheduled, "Quillarix will be completely removed when Windows restarts.  "
                                  "These items are in use and will be deleted then:");
    StartList(&outcome.left, "These items could not be removed:");

    char folder[kCbPath], mainExe[kCbPath];
    if (!FindInstallation(self, outcome.records, folder, mainExe)) {
        if (!OnlyOwnTracesLeft(self, outcome.records)) {
            Tell(talk, "No installation of Quillarix was found.  Nothing was removed.",
                 MB_OK | MB_ICONINFORMATION);
            return kNotInstalled;
        }
        // A removal that stopped after the main executable had gone: records
        // that name its folder may be left, then the uninstaller's traces.
        bool named = folder[0] != '\0';
        if (named)
            RemoveAppPaths(folder, mainExe, &outcome);
        if (outcome.left.count == 0)
            RemoveSettingsValues(&outcome);
        if (outcome.left.count == 0)
            RemoveOwnTraces(self, named ? folder : nullptr, startedFrom != nullptr, selfToGo,
                            &outcome);
        return Report(talk, outcome);
    }
    LogLine({"Installation found in ", folder});
    // Everything is deleted by name in the folder: it is held open from here on, so that no level
    // of its name can be moved or replaced meanwhile, and only where no link leads to it.
    char directory[kCbPath];
    HANDLE held = nullptr;
    DWORD error = 0;
    FolderHold hold = DirectoryPath(directory, sizeof directory, folder)
                          ? HoldFolder(usys, directory, &held, &error)
                          : FolderHold::kFailed;
    if (hold != FolderHold::kHeld) {
        Tell(talk, hold == FolderHold::kLink
                 ? "The folder of the installation is a link to another place (a junction or "
                   "symbolic link), or lies inside one.  Nothing was removed."
                 : "The folder of the installation cannot be opened.  Nothing was removed.",
             MB_OK | MB_ICONEXCLAMATION);
        return kFolderRefused;
    }
    // Nothing is deleted in a folder that others may change, or below a level they may rename:
    // the names deleted, and those scheduled for the next start, might reach their files.
    char level[kCbPath];
    OpenTo way = LevelsAboveOpenTo(usys, folder, level);
    bool itself = way == OpenTo::kNobody && (way = FolderHeldOpenTo(usys, held)) != OpenTo::kNobody;
    if (way != OpenTo::kNobody) {
        usys.CloseHandle(held);
        char text[2 * kCbPath + 256] = "The folder ";
        if (itself)
            AppendText(text, sizeof text, "of the installation, ");
        AppendText(text, sizeof text, itself ? folder : level);
        if (!itself)
            AppendText(text, sizeof text, ", which holds the installation,");
        AppendText(text, sizeof text, " is not protected: ");
        AppendText(text, sizeof text, OpenToText(way));
        AppendText(text, sizeof text, ".  Nothing was removed.  Once only administrators can "
                                      "change it, remove Quillarix again.");
        Tell(talk, text, MB_OK | MB_ICONEXCLAMATION);
        return kFolderRefused;
    }
    return RemoveInstallation(mode, self, folder, mainExe, held, startedFrom != nullptr, selfToGo,
                              &outcome);
}

int ExitCodeOf(UninstallResult result)
{
    switch (result) {
    case kRemoved:
        return exitcode::kDone;
    case kDeclined:
        return exitcode::kCancelled;
    case kRemovedAtRestart:
        return exitcode::kRestartNeeded;
    case kRunning:
        return exitcode::kInUse;
    case kNotInstalled:
        return exitcode::kNotInstalled;
    case kPartlyRemoved:
    case kFolderRefused:
        break;
    }
    return exitcode::kFailed;
}
