// The programs' common frame: command line, log, usage, and the lock file that keeps a second
// setup or removal from running beside this one.
#include "base/runframe.h"

#include "base/exitcodes.h"
#include "base/logfile.h"
#include "base/pathtext.h"
#include "base/product.h"
#include "base/widetext.h"

#include <cstring>

// The lock file: full control for SYSTEM and Administrators, nothing else; for one user's
// installation also for its owner, that user (who cannot make a file owned by Administrators).
static constexpr char kRunLockSddl[] = "O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)";
static constexpr char kUserRunLockSddl[] = "D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FA;;;OW)";

// The user's local application data folder, as the shell names it, into path (kCbPath bytes).
static bool LocalAppDataFolder(const SharedCalls &calls, char *path)
{
    LPITEMIDLIST items = nullptr;
    WCHAR wide[kCchPath];
    if (calls.SHGetSpecialFolderLocation(nullptr, CSIDL_LOCAL_APPDATA, &items) != S_OK)
        return false;
    bool named = calls.SHGetPathFromIDListW(items, wide) &&
                 AnsiFromWide(calls, wide, path, kCbPath) == Conversion::kExact;
    calls.ILFree(items);
    return named;
}

RunLock TakeRunLock(const SharedCalls &calls, Scope scope, HANDLE *lock, DWORD *error)
{
    *lock = nullptr;
    char path[kCbPath];
    UINT cch = 0;
    if (scope == Scope::kThisUser) {
        cch = LocalAppDataFolder(calls, path) ? static_cast<UINT>(std::strlen(path)) : 0;
        if (cch == 0) {
            *error = ERROR_PATH_NOT_FOUND;
            return RunLock::kFailed;
        }
    } else if ((cch = calls.GetWindowsDirectoryA(path, sizeof path)) == 0 || cch >= sizeof path) {
        *error = cch == 0 ? calls.GetLastError() : ERROR_FILENAME_EXCED_RANGE;
        return RunLock::kFailed;
    }
    if (!JoinPath(path, sizeof path, path, kRunLockName)) {
        *error = ERROR_FILENAME_EXCED_RANGE;
        return RunLock::kFailed;
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!calls.ConvertStringSecurityDescriptorToSecurityDescriptorA(
            scope == Scope::kThisUser ? kUserRunLockSddl : kRunLockSddl, SDDL_REVISION_1,
            &descriptor, nullptr)) {
        *error = calls.GetLastError();
        return RunLock::kFailed;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    HANDLE file = calls.CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, &attributes,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    *error = file == INVALID_HANDLE_VALUE ? calls.GetLastError() : ERROR_SUCCESS;
    calls.LocalFree(descriptor);
    if (file != INVALID_HANDLE_VALUE) {
        *lock = file;
        return RunLock::kTaken;
    }
    return *error == ERROR_SHARING_VIOLATION ? RunLock::kBusy : RunLock::kFailed;
}

// Expands the environment names in the paths of args (/LOG= and, where it is a path, the rest of
// the line) in place, as the system holds the environment; false, with the name in missing, where
// one is not set (the log's path then empty: the default log, if any, says which). A path too long
// once expanded stays as given, and is refused as any overlong path is.
static bool ExpandPaths(const SharedCalls &calls, bool restIsPath, CommandLine *args,
                        char *missing, std::size_t cbMissing)
{
    auto lookup = [&calls](const char *name, char *value, std::size_t cbValue) {
        WCHAR wideName[kCbPath], wide[kCbPath];
        DWORD cch = 0;
        return calls.MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, -1, wideName,
                                         kCbPath) != 0 &&
               (cch = calls.GetEnvironmentVariableW(wideName, wide, kCbPath)) != 0 &&
               cch < kCbPath && AnsiFromWide(calls, wide, value, cbValue) == Conversion::kExact;
    };
    char expanded[kCbPath];
    if (ExpandNames(args->log, expanded, sizeof expanded, lookup, missing, cbMissing))
        CopyText(args->log, sizeof args->log, expanded);
    else if (missing[0] != '\0')
        args->log[0] = '\0';
    if (missing[0] == '\0' && restIsPath && args->rest &&
        ExpandNames(args->rest, expanded, sizeof expanded, lookup, missing, cbMissing)) {
        CopyText(args->quotedRest, sizeof args->quotedRest, expanded);
        args->rest = args->quotedRest;
    }
    return missing[0] == '\0';
}

bool EnterFrame(const SharedCalls &calls, const char *commandLine, const ProgramFrame &frame,
                CommandLine *args, HANDLE *lock, int *code)
{
    SetPathCodePage(calls.GetACP());
    const char *line = commandLine ? commandLine : "(too long)";
    bool understood =
        ParseCommandLine(commandLine ? commandLine : "", frame.restSwitch, args) && commandLine;
    if (understood && args->rest && frame.bare) {
        *code = frame.bare(*args);
        return false;
    }
    char missing[kCbPath] = "";
    bool expanded = ExpandPaths(calls, frame.restIsPath, args, missing, sizeof missing);
    OpenRunLog(calls, args->log, args->mode, frame.logName);
    LogLine({frame.title, ", command line: ", line});
    if (understood && !expanded) {
        LogLine({"The command line names %", missing, "%, which is not set"});
        understood = false;
    }
    if (!understood || args->help) {
        LogLine({frame.usage});
        if (ShowsWindows(args->mode))
            ShowMessageBox(calls, nullptr, frame.usage, kProductName,
                           MB_OK | (understood ? MB_ICONINFORMATION : MB_ICONERROR));
        *code = understood ? exitcode::kDone : exitcode::kBadCommandLine;
        return false;
    }
    if (frame.settle && (*code = frame.settle(calls, args)) >= 0)
        return false;
    DWORD error = 0;
    RunLock taken = TakeRunLock(calls, args->mode.scope, lock, &error);
    if (taken == RunLock::kTaken)
        return true;
    frame.refuse(args->mode.talk, taken, error);
    *code = taken == RunLock::kBusy ? exitcode::kBusy : exitcode::kFailed;
    return false;
}

int LeaveFrame(const SharedCalls &calls, HANDLE lock, int code)
{
    if (lock)
        calls.CloseHandle(lock);
    CloseLogFile(code);
    return code;
}
