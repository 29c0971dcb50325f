// Settling the setup's scope, and handing every user's installation over to an elevated copy.
#include "setup/scope.h"

#include "base/elevation.h"
#include "base/errors.h"
#include "base/exitcodes.h"
#include "base/pathtext.h"
#include "base/product.h"
#include "base/registry_read.h"
#include "install/report.h"
#include "install/syscalls.h"
#include "ui/ui.h"

#include "resources/resource.h"

// The scope of an installation already there, and its folder: every user's by the machine's App
// Paths entry, one user's by theirs. False where neither names a folder.
static bool InstalledScope(Scope *scope, char *folder)
{
    for (Scope each : {Scope::kAllUsers, Scope::kThisUser}) {
        if (ReadRegistryText(sys, RecordsOf(each), kAppPathsEntry, "Path", folder, kCbPath) ==
            ERROR_SUCCESS) {
            *scope = each;
            return true;
        }
    }
    return false;
}

int SettleSetupScope(const SharedCalls &calls, CommandLine *args)
{
    RunMode &mode = args->mode;
    Standing standing = ReadStanding(calls);
    Scope installed = Scope::kAllUsers;
    char folder[kCbPath];
    bool found = InstalledScope(&installed, folder);
    if (args->scopeGiven && found && installed != mode.scope) {
        char text[kCbPath + 160];
        CopyText(text, sizeof text,
                 installed == Scope::kAllUsers
                     ? "Quillarix is installed for every user of this computer, in "
                     : "Quillarix is installed for you alone, in ");
        AppendText(text, sizeof text, folder);
        AppendText(text, sizeof text, ".  Remove that installation first, or install it the same "
                                      "way again.");
        ReportError(mode.talk, text, errcode::kOtherScopeInstalled);
        return exitcode::kFailed;
    }
    if (!args->scopeGiven) {
        if (found) {
            mode.scope = installed;  // an installation already there keeps its scope
        } else if (ShowsWindows(mode) && !standing.administrator) {
            INT_PTR chosen = RunScopeDialog(nullptr);
            LogLine({chosen == IDOK            ? "Installing only for the person running the setup"
                     : chosen == IDC_ALL_USERS ? "Installing for every user"
                                               : "The choice of for whom was cancelled"});
            if (chosen != IDOK && chosen != IDC_ALL_USERS)
                return chosen == -1 ? exitcode::kFailed : exitcode::kCancelled;
            mode.scope = chosen == IDOK ? Scope::kThisUser : Scope::kAllUsers;
        }
    }
    if (mode.scope == Scope::kThisUser && standing.system) {
        ReportError(mode.talk, "Quillarix cannot be installed for the SYSTEM account alone.  "
                               "Install it for every user (/ALLUSERS).",
                    errcode::kSystemAlone);
        return exitcode::kFailed;
    }
    if (mode.scope == Scope::kAllUsers && standing.elevated && ShowsWindows(mode) &&
        !ShellIsOurs(calls)) {
        LogLine({"The desktop is another account's: the shortcuts are made for every user"});
        mode.onAnotherDesktop = true;
    }
    if (mode.scope == Scope::kThisUser || standing.elevated)
        return -1;
    // Every user's installation without administrator rights: an elevated copy does it. One that
    // was started so and still has none (UAC off for a person without those rights) refuses.
    if (args->elevatedCopy) {
        ReportError(mode.talk, "Installing Quillarix for every user needs administrator rights.  "
                               "Install it only for yourself, or ask an administrator.",
                    errcode::kNotElevated);
        return exitcode::kFailed;
    }
    return RunElevatedCopy(calls, kSwitchFolder);
}
