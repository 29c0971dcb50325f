// The token's standing, and the elevated copy of the running program.
#include "base/elevation.h"

#include "base/cmdline.h"
#include "base/exitcodes.h"
#include "base/levels.h"
#include "base/logfile.h"
#include "base/pathtext.h"

#include <cstring>
#include <cwchar>

Standing ReadStanding(const SharedCalls &calls)
{
    Standing standing = {};
    HANDLE token = nullptr;
    if (calls.OpenProcessToken(calls.GetCurrentProcess(), TOKEN_QUERY, &token)) {
        TOKEN_ELEVATION elevation = {};
        TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
        DWORD cb = 0;
        standing.elevated =
            calls.GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &cb) &&
            elevation.TokenIsElevated != 0;
        bool filtered =
            calls.GetTokenInformation(token, TokenElevationType, &type, sizeof type, &cb) &&
            type == TokenElevationTypeLimited;
        standing.administrator = standing.elevated || filtered;
        calls.CloseHandle(token);
    } else {
        LogLine({"Who runs this program cannot be told: it goes on as an administrator"});
        standing.elevated = standing.administrator = true;
    }
    char sid[192];
    standing.system = RunnerSid(calls, sid, sizeof sid) && std::strcmp(sid, "S-1-5-18") == 0;
    return standing;
}

bool ShellIsOurs(const SharedCalls &calls)
{
    DWORD id = 0;
    HWND shell = calls.GetShellWindow();
    if (!shell || !calls.GetWindowThreadProcessId(shell, &id) || id == 0)
        return true;
    HANDLE process = calls.OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!process)
        return true;
    TokenUserBytes theirs, ours;
    bool read = TokenUserOf(calls, process, &theirs) &&
                TokenUserOf(calls, calls.GetCurrentProcess(), &ours);
    calls.CloseHandle(process);
    return !read || calls.EqualSid(theirs.user.User.Sid, ours.user.User.Sid);
}

// The program's own file as the file system names it once every link is followed, without the
// "\\?\" that GetFinalPathNameByHandleW puts first, into path (kCchPath units).
static bool OwnFinalPath(const SharedCalls &calls, WCHAR *path)
{
    WCHAR module[kCchPath], final[kCchPath + 8];
    DWORD cch = calls.GetModuleFileNameW(nullptr, module, kCchPath);
    if (cch == 0 || cch >= kCchPath)
        return false;
    HANDLE self = calls.CreateFileW(module, FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (self == INVALID_HANDLE_VALUE)
        return false;
    cch = calls.GetFinalPathNameByHandleW(self, final, kCchPath + 8, VOLUME_NAME_DOS);
    calls.CloseHandle(self);
    if (cch == 0 || cch >= kCchPath + 8)
        return false;
    const WCHAR *from = final;
    bool unc = false;
    if (std::wcsncmp(final, L"\\\\?\\UNC\\", 8) == 0) {
        from = final + 6;  // "\\server\share\..."
        unc = true;
    } else if (std::wcsncmp(final, L"\\\\?\\", 4) == 0) {
        from = final + 4;
    }
    std::size_t length = std::wcslen(from);
    if (length >= kCchPath)
        return false;
    std::memcpy(path, from, (length + 1) * sizeof(WCHAR));
    if (unc)
        path[0] = L'\\';
    return true;
}

int RunElevatedCopy(const SharedCalls &calls, const char *restSwitch)
{
    static WCHAR arguments[32768];
    WCHAR file[kCchPath];
    if (!OwnFinalPath(calls, file) ||
        !RelaunchArguments(calls.GetCommandLineW(), restSwitch, arguments, 32768)) {
        LogLine({"This program's own path or command line could not be handed on"});
        return exitcode::kFailed;
    }
    SHELLEXECUTEINFOW run = {};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    run.lpVerb = L"runas";
    run.lpFile = file;
    run.lpParameters = arguments;
    run.nShow = SW_SHOWNORMAL;
    // The elevated copy writes the log from here on, under the same name.
    LogLine({"Starting this program again with administrator rights; its log follows"});
    HandOverLog();
    if (!calls.ShellExecuteExW(&run) || !run.hProcess) {
        DWORD error = calls.GetLastError();
        return error == ERROR_CANCELLED ? exitcode::kCancelled : exitcode::kFailed;
    }
    DWORD code = exitcode::kFailed;
    if (calls.WaitForSingleObject(run.hProcess, INFINITE) != WAIT_OBJECT_0 ||
        !calls.GetExitCodeProcess(run.hProcess, &code))
        code = exitcode::kFailed;
    calls.CloseHandle(run.hProcess);
    return static_cast<int>(code);
}
