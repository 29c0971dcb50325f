// The uninstaller as a program: its command line, the lock against a second setup or removal, the
// usage text, the log, and the choice between the first process (which has a temporary copy remove)
// and that copy. The exit code says how the removal went, in the numbers deployment tools know.
#include "uninstaller/uninstall.h"

#include "base/cmdline.h"
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
    "qlxuins1 [/S] [/CLOSEAPPLICATIONS] [/LOG=file]\r\n\r\n"
    "/S\tRemoves Quillarix with no window and no question.\r\n"
    "/CLOSEAPPLICATIONS\tWith /S, closes a running Quillarix instead of stopping.\r\n"
    "/LOG=file\tWrites a log; with /S, by default %TEMP%\\" QLX_UNINSTALL_LOG ".";

// Tells that another setup or removal runs, or that the lock could not be
// taken, in a "Quillarix" box.
void RefuseRemoval(bool silent, RunLock why, DWORD error)
{
    if (why == RunLock::kFailed)
        LogLine({"System error ", DecimalText(error).text});
    Tell(silent, why == RunLock::kBusy ? kAnotherRunText : kRunLockFailedText,
         MB_OK | MB_ICONEXCLAMATION);
}

// The removal where the first process runs it, with the lock held: from a temporary copy, which
// writes into this process's log, or in place where none can be made.
int RunFirstProcess(const CommandLine &args, void *)
{
    int code = 0;
    const RemovalPlan plan = {args.silent, args.closeApplications};
    if (RunFromTemporaryCopy(plan, &code))
        return code;
    return ExitCodeOf(RunUninstall(plan));  // in place: its own file goes at the next start
}

// The temporary copy, started by the first process with the rest of its line.
int RunAsCopy(const CommandLine &args)
{
    return RunAsTemporaryCopy(args.rest, {args.silent, args.closeApplications});
}

}  // namespace

int RunUninstaller(const char *commandLine)
{
    const ProgramFrame frame = {kCopySwitch, kUninstallLogName,
                                QLX_PRODUCT " removal " QLX_VERSION_TEXT, kUsage, RefuseRemoval,
                                RunFirstProcess, RunAsCopy, nullptr};
    return RunInFrame(usys, commandLine, frame);
}
