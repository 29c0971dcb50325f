// The uninstaller as a program: its command line, the lock against a second setup or removal, the
// usage text, the log, and the choice between the first process (which has a temporary copy remove)
// and that copy. The exit code says how the removal went, in the numbers deployment tools know.
#include "uninstaller/uninstall.h"

#include "base/cmdline.h"
#include "base/elevation.h"
#include "base/errors.h"
#include "base/exitcodes.h"
#include "base/logfile.h"
#include "base/product.h"
#include "base/runframe.h"
#include "uninstaller/removal.h"
#include "uninstaller/tempcopy.h"
#include "uninstaller/ucalls.h"

namespace {

constexpr char kUsage[] =
    "qlxuins1 [/S] [/CLOSEAPPLICATIONS] [/LOG=file] [/CURRENTUSER]\r\n\r\n"
    "/S\tRemoves Quillarix with no window and no question.\r\n"
    "/CLOSEAPPLICATIONS\tWith /S, closes a running Quillarix instead of stopping.\r\n"
    "/LOG=file\tWrites a log; with /S, by default %TEMP%\\" QLX_UNINSTALL_LOG ".\r\n"
    "/CURRENTUSER\tRemoves the installation of the person running it, not every user's.";

// Tells that another setup or removal runs, or that the lock could not be
// taken, in a "Quillarix" box.
void RefuseRemoval(Talk talk, RunLock why, DWORD error)
{
    if (why == RunLock::kFailed)
        LogLine({"System error ", DecimalText(error).text});
    Tell(talk, why == RunLock::kBusy ? kAnotherRunText : kRunLockFailedText,
         MB_OK | MB_ICONEXCLAMATION);
}

// Every user's installation is removed with administrator rights: without them, by an elevated
// copy of the uninstaller (one started so that still has none refuses). One user's needs none.
int SettleRemoval(const SharedCalls &calls, CommandLine *args)
{
    if (!ForTheMachine(args->mode) || ReadStanding(calls).elevated)
        return -1;
    if (args->elevatedCopy) {
        Tell(args->mode.talk, "Removing Quillarix for every user needs administrator rights.  "
                              "Nothing was removed.",
             MB_OK | MB_ICONEXCLAMATION);
        return exitcode::kFailed;
    }
    return RunElevatedCopy(calls, kSwitchCopy);
}

// The temporary copy, started by the first process with the rest of its line.
int RunAsCopy(const CommandLine &args)
{
    return RunAsTemporaryCopy(args.rest, args.mode);
}

}  // namespace

int RunUninstaller(const char *commandLine)
{
    static constexpr ProgramFrame kFrame = {kSwitchCopy, kUninstallLogName,
                                            QLX_PRODUCT " removal " QLX_VERSION_TEXT, kUsage,
                                            RefuseRemoval, RunAsCopy, false, SettleRemoval};
    // The first process removes through a temporary copy, which writes into this process's log,
    // or in place where none can be made (its own file then goes at the next start).
    return RunInFrame(usys, commandLine, kFrame, [](const CommandLine &args) {
        int code = 0;
        if (RunFromTemporaryCopy(args.mode, &code))
            return code;
        return ExitCodeOf(RunUninstall(args.mode));
    });
}
