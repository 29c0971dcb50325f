// The uninstaller as a program: its command line, the lock against a second
// setup or removal, the usage text, the log, and the choice between the
// first process (which has a temporary copy remove) and that copy. The
// exit code says how the removal went, in the numbers deployment tools know.
#include "uninstaller/uninstall.h"

#include "base/cmdline.h"
#include "base/errors.h"
#include "base/exitcodes.h"
#include "base/logfile.h"
#include "base/product.h"
#include "base/runlock.h"
#include "uninstaller/removal.h"
#include "uninstaller/tempcopy.h"
#include "uninstaller/ucalls.h"

namespace {

constexpr char kUsage[] =
    "qlxuins1 [/S] [/CLOSEAPPLICATIONS] [/LOG=file]\r\n\r\n"
    "/S\tRemoves Quillarix with no window and no question.\r\n"
    "/CLOSEAPPLICATIONS\tWith /S, closes a running Quillarix instead of stopping.\r\n"
    "/LOG=file\tWrites a log; with /S, by default %TEMP%\\" QLX_UNINSTALL_LOG ".";

// The removal where the first process runs it: from a temporary copy, which
// writes into this process's log, or in place where none can be made.
int RunFirstProcess(bool silent)
{
    int code = 0;
    if (RunFromTemporaryCopy(silent, &code))
        return code;
    return ExitCodeOf(RunUninstall());  // in place: its own file goes at the next start
}

}  // namespace

int RunUninstaller(const char *commandLine)
{
    SetPathCodePage(usys.GetACP());
    CommandLine args;
    // A command line too long for the program's text is not understood.
    const char *line = commandLine ? commandLine : "(too long)";
    bool understood = ParseCommandLine(commandLine ? commandLine : "", kCopySwitch, &args) &&
                      commandLine;
    g_silent = args.silent;
    g_closeApplications = args.closeApplications;
    if (understood && args.rest)
        return RunAsTemporaryCopy(args.rest);
    OpenRunLog(usys, args.log, args.silent, kUninstallLogName);
    LogAction({kProductName, " removal " QLX_VERSION_TEXT ", command line: ", line});
    int code;
    HANDLE lock = nullptr;
    DWORD error = 0;
    RunLock taken = RunLock::kFailed;
    if (!understood || args.help) {
        Tell(kUsage, MB_OK | (understood ? MB_ICONINFORMATION : MB_ICONERROR));
        code = understood ? exitcode::kDone : exitcode::kBadCommandLine;
    } else if ((taken = TakeRunLock(usys, &lock, &error)) == RunLock::kBusy) {
        Tell(kAnotherRunText, MB_OK | MB_ICONEXCLAMATION);
        code = exitcode::kBusy;
    } else if (taken == RunLock::kFailed) {
        LogAction({"System error ", DecimalText(error).text});
        Tell(kRunLockFailedText, MB_OK | MB_ICONEXCLAMATION);
        code = exitcode::kFailed;
    } else {
        code = RunFirstProcess(args.silent);
        usys.CloseHandle(lock);
    }
    CloseLogFile(usys, code);
    return code;
}
