// The programs' common frame: command line, log, usage, lock.
#include "base/runframe.h"

#include "base/exitcodes.h"
#include "base/logfile.h"
#include "base/pathtext.h"
#include "base/product.h"
#include "base/widetext.h"

int RunInFrame(const SharedCalls &calls, const char *commandLine, const ProgramFrame &frame)
{
    SetPathCodePage(calls.GetACP());
    CommandLine args;
    const char *line = commandLine ? commandLine : "(too long)";
    bool understood =
        ParseCommandLine(commandLine ? commandLine : "", frame.restSwitch, &args) && commandLine;
    if (understood && args.rest && frame.bare)
        return frame.bare(args);
    OpenRunLog(calls, args.log, args.silent, frame.logName);
    LogLine({frame.title, ", command line: ", line});
    int code;
    HANDLE lock = nullptr;
    DWORD error = 0;
    RunLock taken = RunLock::kFailed;
    if (!understood || args.help) {
        LogLine({frame.usage});
        if (!args.silent)
            ShowMessageBox(calls, nullptr, frame.usage, kProductName,
                           MB_OK | (understood ? MB_ICONINFORMATION : MB_ICONERROR));
        code = understood ? exitcode::kDone : exitcode::kBadCommandLine;
    } else if ((taken = TakeRunLock(calls, &lock, &error)) != RunLock::kTaken) {
        frame.refuse(args.silent, taken, error);
        code = taken == RunLock::kBusy ? exitcode::kBusy : exitcode::kFailed;
    } else {
        code = frame.run(args, frame.context);
        calls.CloseHandle(lock);
    }
    CloseLogFile(code);
    return code;
}
