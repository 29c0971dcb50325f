// Running from a temporary copy. Windows will not delete a running
// program's file, so an uninstaller cannot delete itself; scheduling that
// for the next start would delete the file that a reinstallation before
// then puts at the same path. So the first process copies itself to a
// fresh temporary file and starts the copy, which removes; the first
// process waits and ends with the removal's exit code (deployment tools and
// the list of installed programs wait on it). Once it has ended, the copy
// deletes the placed file, retrying for a few seconds, and schedules only
// its own temporary file for the next start.
//
// The copy's command line: "COPY" [/S] [/LOG="FILE"] /QLXCOPY PARENT DONE
// RESULT STARTED-FROM: the first process's switches (the log always named,
// since the copy writes it), three inherited handles in decimal (the first
// process, an event set when the removal is done, a mapping of 4 bytes
// holding its exit code) and the path the first process was started from,
// to the end of the line.
//
// Only the first process takes the lock against a second setup or removal,
// and holds it until the removal is done.
#include "uninstaller/uninstall.h"

#include "base/cmdline.h"
#include "base/errors.h"
#include "base/exitcodes.h"
#include "base/logfile.h"
#include "base/pathtext.h"
#include "base/product.h"
#include "base/runlock.h"
#include "uninstaller/removal.h"
#include "uninstaller/ucalls.h"

#include <cstring>

namespace {

constexpr char kCopySwitch[] = "/QLXCOPY ";
constexpr DWORD kParentWaitMs = 30000;
constexpr int kDeleteTries = 50;  // 5 s: the first process's file is let go as it ends
constexpr DWORD kDeleteRetryMs = 100;

struct CopyHandles {
    HANDLE parent, done, result;
};

bool ParseHandle(const char **p, HANDLE *handle)
{
    ULONG_PTR value = 0;
    const char *start = *p;
    while (**p >= '0' && **p <= '9')
        value = value * 10 + static_cast<ULONG_PTR>(*(*p)++ - '0');
    if (*p == start || **p != ' ')
        return false;
    ++*p;
    *handle = reinterpret_cast<HANDLE>(value);
    return true;
}

// Parses what follows the copy's switch.
bool ParseCopyLine(const char *p, CopyHandles *handles, char *startedFrom)
{
    return ParseHandle(&p, &handles->parent) && ParseHandle(&p, &handles->done) &&
           ParseHandle(&p, &handles->result) && CopyText(startedFrom, kCbPath, p) &&
           startedFrom[0] != '\0';
}

// True when the file at path is still the one described by before: a
// reinstallation may have put a new uninstaller there meanwhile, which
// must stay.
bool Unchanged(const char *path, const WIN32_FILE_ATTRIBUTE_DATA &before)
{
    WIN32_FILE_ATTRIBUTE_DATA now;
    return usys.GetFileAttributesExA(path, GetFileExInfoStandard, &now) &&
           now.nFileSizeLow == before.nFileSizeLow && now.nFileSizeHigh == before.nFileSizeHigh &&
           now.ftLastWriteTime.dwLowDateTime == before.ftLastWriteTime.dwLowDateTime &&
           now.ftLastWriteTime.dwHighDateTime == before.ftLastWriteTime.dwHighDateTime;
}

// The removal in the copy, then the started-from file once its process has
// ended, and this copy's own file at the next start.
int RunAsCopy(const CopyHandles &handles, const char *startedFrom)
{
    WIN32_FILE_ATTRIBUTE_DATA before;
    bool known = usys.GetFileAttributesExA(startedFrom, GetFileExInfoStandard, &before);
    bool startedFromToGo = false;
    LONG code = ExitCodeOf(RunUninstall(startedFrom, &startedFromToGo));
    if (void *view = usys.MapViewOfFile(handles.result, FILE_MAP_WRITE, 0, 0, sizeof code)) {
        std::memcpy(view, &code, sizeof code);
        usys.UnmapViewOfFile(view);
    }
    usys.SetEvent(handles.done);
    usys.WaitForSingleObject(handles.parent, kParentWaitMs);
    usys.CloseHandle(handles.parent);
    usys.CloseHandle(handles.done);
    usys.CloseHandle(handles.result);
    if (startedFromToGo && known) {
        bool deleted = false;
        for (int i = 0; i < kDeleteTries && !deleted && Unchanged(startedFrom, before); ++i) {
            usys.SetFileAttributesA(startedFrom, FILE_ATTRIBUTE_NORMAL);
            deleted = usys.DeleteFileA(startedFrom) || IsAbsence(usys.GetLastError());
            if (!deleted)
                usys.Sleep(kDeleteRetryMs);
        }
        if (!deleted && Unchanged(startedFrom, before))
            ScheduleDeletion(startedFrom);
    }
    char self[kCbPath];
    DWORD cch = usys.GetModuleFileNameA(nullptr, self, sizeof self);
    if (cch != 0 && cch < sizeof self)
        ScheduleDeletion(self);
    return code;
}

// Appends handle in decimal and a blank.
bool AppendHandle(char *line, std::size_t cbLine, HANDLE handle)
{
    return AppendDecimal(line, cbLine, reinterpret_cast<ULONG_PTR>(handle), false) &&
           AppendText(line, cbLine, " ");
}

// Starts the copy at copyPath with switches and waits for its removal;
// *code is its exit code. False (and nothing started) when it cannot be
// started.
bool RunCopyAndWait(const char *copyPath, const char *switches, const char *self, int *code)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE process = usys.GetCurrentProcess();
    CopyHandles handles = {nullptr, nullptr, nullptr};
    bool started = false;
    PROCESS_INFORMATION child = {};
    char line[4 * kCbPath] = "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!usys.DuplicateHandle(process, process, process, &handles.parent, SYNCHRONIZE, TRUE, 0))
        handles.parent = nullptr;
    handles.done = usys.CreateEventA(&inherit, TRUE, FALSE, nullptr);
    handles.result = usys.CreateFileMappingA(INVALID_HANDLE_VALUE, &inherit, PAGE_READWRITE, 0,
                                             sizeof(LONG), nullptr);
    if (!handles.parent || !handles.done || !handles.result)
        goto done;
    if (!AppendText(line, sizeof line, copyPath) || !AppendText(line, sizeof line, "\" ") ||
        !AppendText(line, sizeof line, switches) || !AppendText(line, sizeof line, kCopySwitch) ||
        !AppendHandle(line, sizeof line, handles.parent) ||
        !AppendHandle(line, sizeof line, handles.done) ||
        !AppendHandle(line, sizeof line, handles.result) || !AppendText(line, sizeof line, self))
        goto done;
    if (!usys.CreateProcessA(copyPath, line, nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                             &startup, &child))
        goto done;
    started = true;
    {
        HANDLE waited[2] = {handles.done, child.hProcess};
        DWORD which = usys.WaitForMultipleObjects(2, waited, FALSE, INFINITE);
        DWORD exitCode = exitcode::kFailed;
        LONG reported = exitcode::kFailed;
        void *view = nullptr;
        if (which == WAIT_OBJECT_0 &&
            (view = usys.MapViewOfFile(handles.result, FILE_MAP_READ, 0, 0, sizeof reported))) {
            std::memcpy(&reported, view, sizeof reported);
            usys.UnmapViewOfFile(view);
            exitCode = static_cast<DWORD>(reported);
        } else if (which == WAIT_OBJECT_0 + 1) {
            usys.GetExitCodeProcess(child.hProcess, &exitCode);  // the copy ended early
        }
        *code = static_cast<int>(exitCode);
    }
    usys.CloseHandle(child.hThread);
    usys.CloseHandle(child.hProcess);
done:
    if (handles.result)
        usys.CloseHandle(handles.result);
    if (handles.done)
        usys.CloseHandle(handles.done);
    if (handles.parent)
        usys.CloseHandle(handles.parent);
    return started;
}

// Copies this program to a fresh temporary file and runs the removal there.
// False when that cannot be done; a copy made but not started is deleted.
bool RunFromTemporaryCopy(const char *switches, int *code)
{
    char self[kCbPath], longSelf[kCbPath], temp[kCbPath], copy[kCbPath];
    DWORD cch = usys.GetModuleFileNameA(nullptr, self, sizeof self);
    if (cch == 0 || cch >= sizeof self)
        return false;
    // The long form: the copy compares it with the recorded paths.
    cch = usys.GetLongPathNameA(self, longSelf, sizeof longSelf);
    if (cch == 0 || cch >= sizeof longSelf)
        CopyText(longSelf, sizeof longSelf, self);
    cch = usys.GetTempPathA(sizeof temp, temp);
    if (cch == 0 || cch >= sizeof temp || !usys.GetTempFileNameA(temp, "qlx", 0, copy))
        return false;  // GetTempFileNameA wants MAX_PATH bytes: copy has them
    if (usys.CopyFileA(self, copy, FALSE) && RunCopyAndWait(copy, switches, longSelf, code))
        return true;
    usys.DeleteFileA(copy);
    return false;
}

constexpr char kUsage[] =
    "qlxuins1 [/S] [/LOG=file]\r\n\r\n"
    "/S\tRemoves Quillarix with no window and no question.\r\n"
    "/LOG=file\tWrites a log; with /S, by default %TEMP%\\" QLX_UNINSTALL_LOG ".";

// Opens the log at path (none for an empty one), starting it with the
// command line the removal was started with.
void StartLog(const char *path, const char *commandLine)
{
    OpenLogFile(usys, path);
    LogAction({kProductName, " removal " QLX_VERSION_TEXT ", command line: ", commandLine});
}

// The removal where the first process runs it: from a temporary copy, or
// in place where none can be made.
int RunFirstProcess(const CommandLine &args, const char *commandLine)
{
    // Room for both switches with any path: nothing is cut off.
    char log[kCbPath] = "";
    char switches[2 * kCbPath] = "";
    if (args.silent)
        AppendText(switches, sizeof switches, "/S ");
    if (RunLogPath(usys, args.log, args.silent, kUninstallLogName, log)) {
        AppendText(switches, sizeof switches, "/LOG=\"");
        AppendText(switches, sizeof switches, log);
        AppendText(switches, sizeof switches, "\" ");
    }
    int code = 0;
    if (RunFromTemporaryCopy(switches, &code))
        return code;
    StartLog(log, commandLine);
    code = ExitCodeOf(RunUninstall());  // in place: its own file goes at the next start
    CloseLogFile(usys, code);
    return code;
}

}  // namespace

int ExitCodeOf(UninstallResult result)
{
    switch (result) {
    case kRemoved:
        return exitcode::kDone;
    case kDeclined:
        return exitcode::kCancelled;
    case kRemovedAtRestart:
        return exitcode::kRestartNeeded;
    case kPartlyRemoved:
    case kNotInstalled:
    case kRunning:
        break;
    }
    return exitcode::kFailed;
}

int RunUninstaller(const char *commandLine)
{
    CommandLine args;
    bool understood = ParseCommandLine(commandLine, kCopySwitch, &args);
    g_silent = args.silent;
    CopyHandles handles;
    char startedFrom[kCbPath];
    if (understood && args.rest) {
        if (!ParseCopyLine(args.rest, &handles, startedFrom))
            return exitcode::kBadCommandLine;
        StartLog(args.log, commandLine);
        int code = RunAsCopy(handles, startedFrom);
        CloseLogFile(usys, code);
        return code;
    }
    int code;
    HANDLE lock = nullptr;
    char log[kCbPath] = "";
    bool busy = understood && !args.help && !TakeRunLock(usys, &lock);
    if (!understood || args.help || busy) {
        RunLogPath(usys, args.log, args.silent, kUninstallLogName, log);
        StartLog(log, commandLine);
    }
    if (!understood || args.help) {
        Tell(kUsage, MB_OK | (understood ? MB_ICONINFORMATION : MB_ICONERROR));
        code = understood ? exitcode::kDone : exitcode::kBadCommandLine;
    } else if (busy) {
        Tell(kAnotherRunText, MB_OK | MB_ICONEXCLAMATION);
        code = exitcode::kBusy;
    } else {
        code = RunFirstProcess(args, commandLine);
        if (lock)
            usys.CloseHandle(lock);
        return code;
    }
    CloseLogFile(usys, code);
    return code;
}
