// Running from a temporary copy. Windows will not delete a running program's file, so an
// uninstaller cannot delete itself; scheduling that for the next start would delete the file that a
// reinstallation before then puts at the same path. So the first process copies itself into a
// private folder made for the run (base/workfolder.h: out of every user's reach, so nobody can swap
// the copy before it starts) and starts the copy, which removes; the first process waits and ends
// with the removal's exit code (deployment tools and the list of installed programs wait on it).
// Once it has ended (or after kParentWaitMs, when it has not), the copy deletes the placed file,
// retrying for a few seconds, only while its size and time are as they were, and schedules its own
// file, then its folder, for the next start. The copy holds no lock against a second run: its last
// steps run after the first process, which held it, has ended.
//
// The copy's command line: "COPY" [/S] [/CLOSEAPPLICATIONS] /QLXCOPY PARENT DONE RESULT LOG STARTED-FROM: four inherited
// handles in decimal (the first process, an event set when the removal is done, a mapping of 4
// bytes holding its exit code, and the first process's log or 0 for none) and the path the first
// process was started from, to the end of the line. The log is handed over open, never by name.
#include "uninstaller/tempcopy.h"

#include "base/cmdline.h"
#include "base/exitcodes.h"
#include "base/logfile.h"
#include "base/pathtext.h"
#include "base/product.h"
#include "base/widetext.h"
#include "base/workfolder.h"
#include "uninstaller/removal.h"
#include "uninstaller/ucalls.h"
#include "uninstaller/uninstall.h"

#include <cstring>

namespace {

constexpr DWORD kParentWaitMs = 30000;
constexpr int kDeleteTries = 50;  // 5 s: the first process's file is let go as it ends
constexpr DWORD kDeleteRetryMs = 100;

struct CopyHandles {
    HANDLE parent, done, result, log;
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
           ParseHandle(&p, &handles->result) && ParseHandle(&p, &handles->log) &&
           CopyText(startedFrom, kCbPath, p) && startedFrom[0] != '\0';
}

// True when the file at path is still the one described by before: a reinstallation may have put a
// new uninstaller there meanwhile, which must stay.
bool Unchanged(const char *path, const WIN32_FILE_ATTRIBUTE_DATA &before)
{
    WIN32_FILE_ATTRIBUTE_DATA now;
    return usys.GetFileAttributesExA(path, GetFileExInfoStandard, &now) &&
           now.nFileSizeLow == before.nFileSizeLow && now.nFileSizeHigh == before.nFileSizeHigh &&
           now.ftLastWriteTime.dwLowDateTime == before.ftLastWriteTime.dwLowDateTime &&
           now.ftLastWriteTime.dwHighDateTime == before.ftLastWriteTime.dwHighDateTime;
}

// Schedules this copy's file for the next start, then its folder where it
// is a private working folder (the only place the first process starts a
// copy from): the deletions run in order, so the folder is empty by then.
// Removing one user's installation schedules nothing: the copy stays in
// that user's temp folder.
void ScheduleOwnFiles(const RunMode &mode)
{
    char self[kCbPath];
    if (!ForTheMachine(mode) || !ModuleFileText(usys, self, sizeof self))
        return;
    ScheduleDeletion(self, true);
    char *name = FindLastSeparator(self);
    if (!name)
        return;
    *name = '\0';
    const char *folder = FindLastSeparator(self);
    if (folder && std::strncmp(folder + 1, kWorkFolderPrefix, sizeof kWorkFolderPrefix - 1) == 0)
        ScheduleDeletion(self, true);
}

bool AppendHandle(char *line, std::size_t cbLine, HANDLE handle)
{
    return AppendDecimal(line, cbLine, reinterpret_cast<ULONG_PTR>(handle), false) &&
           AppendText(line, cbLine, " ");
}

// Starts the copy at copyPath with the command line line, handing it the handles in handles and no
// other: an elevated process holds handles that the copy has no business with (whatever a library
// it loaded opened inheritable), so the inheritance is limited to a list
// (PROC_THREAD_ATTRIBUTE_HANDLE_LIST). False, with nothing started, where the list cannot be made
// or the copy cannot be started.
bool StartCopy(const char *copyPath, char *line, const CopyHandles &handles,
               PROCESS_INFORMATION *child)
{
    HANDLE inherited[4] = {handles.parent, handles.done, handles.result, handles.log};
    DWORD count = handles.log ? 4 : 3;
    alignas(16) BYTE list[256];
    SIZE_T cbList = sizeof list;
    STARTUPINFOEXA startup = {};
    startup.StartupInfo.cb = sizeof startup;
    startup.lpAttributeList = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(list);
    if (!usys.InitializeProcThreadAttributeList(startup.lpAttributeList, 1, 0, &cbList))
        return false;
    bool started =
        usys.UpdateProcThreadAttribute(startup.lpAttributeList, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                       inherited, count * sizeof(HANDLE), nullptr, nullptr) &&
        usys.CreateProcessA(copyPath, line, nullptr, nullptr, TRUE, EXTENDED_STARTUPINFO_PRESENT,
                            nullptr, nullptr, &startup.StartupInfo, child);
    usys.DeleteProcThreadAttributeList(startup.lpAttributeList);
    return started;
}

// Starts the copy at copyPath and waits for its removal; *code is its exit
// code. False (and nothing started) when it cannot be started.
bool RunCopyAndWait(const char *copyPath, const RunMode &mode, const char *self, int *code)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE process = usys.GetCurrentProcess();
    CopyHandles handles = {nullptr, nullptr, nullptr, nullptr};
    bool started = false;
    PROCESS_INFORMATION child = {};
    char line[4 * kCbPath] = "\"";
    if (!usys.DuplicateHandle(process, process, process, &handles.parent, SYNCHRONIZE, TRUE, 0))
        handles.parent = nullptr;
    handles.done = usys.CreateEventA(&inherit, TRUE, FALSE, nullptr);
    handles.result = usys.CreateFileMappingA(INVALID_HANDLE_VALUE, &inherit, PAGE_READWRITE, 0,
                                             sizeof(LONG), nullptr);
    if (!handles.parent || !handles.done || !handles.result)
        goto done;
    // The copy writes into this process's log through an inheritable duplicate of its handle.
    if (g_logFile && !usys.DuplicateHandle(process, g_logFile, process, &handles.log, 0, TRUE,
                                           DUPLICATE_SAME_ACCESS))
        goto done;
    if (!AppendText(line, sizeof line, copyPath) || !AppendText(line, sizeof line, "\" ") ||
        (!ShowsWindows(mode) && (!AppendText(line, sizeof line, kSwitchSilent) ||
                                 !AppendText(line, sizeof line, " "))) ||
        (mode.closeApplications && (!AppendText(line, sizeof line, kSwitchCloseApps) ||
                                    !AppendText(line, sizeof line, " "))) ||
        (!ForTheMachine(mode) && (!AppendText(line, sizeof line, kSwitchCurrentUser) ||
                                  !AppendText(line, sizeof line, " "))) ||
        !AppendText(line, sizeof line, kSwitchCopy) ||
        !AppendHandle(line, sizeof line, handles.parent) ||
        !AppendHandle(line, sizeof line, handles.done) ||
        !AppendHandle(line, sizeof line, handles.result) ||
        !AppendHandle(line, sizeof line, handles.log) || !AppendText(line, sizeof line, self))
        goto done;
    if (!StartCopy(copyPath, line, handles, &child))
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
    if (handles.log)
        usys.CloseHandle(handles.log);
    if (handles.result)
        usys.CloseHandle(handles.result);
    if (handles.done)
        usys.CloseHandle(handles.done);
    if (handles.parent)
        usys.CloseHandle(handles.parent);
    return started;
}

// Opens the copy at copy for reading, sharing only reading (nobody may write, rename or delete it
// while it is held: CreateProcess, which only reads and runs it, may still open it), into *held,
// and compares it byte for byte with this program's own file self. True when it is this program.
bool HoldCopyOfSelf(const char *self, const char *copy, HANDLE *held)
{
    *held = usys.CreateFileA(copy, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (*held == INVALID_HANDLE_VALUE) {
        *held = nullptr;
        return false;
    }
    HANDLE original = usys.CreateFileA(self, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (original == INVALID_HANDLE_VALUE)
        return false;
    bool same = true;
    for (DWORD cbA = 1, cbB = 1; same && (cbA != 0 || cbB != 0);) {
        char a[4096], b[4096];
        same = usys.ReadFile(original, a, sizeof a, &cbA, nullptr) &&
               usys.ReadFile(*held, b, sizeof b, &cbB, nullptr) && cbA == cbB &&
               std::memcmp(a, b, cbA) == 0;
    }
    usys.CloseHandle(original);
    return same;
}

}  // namespace

int RunAsTemporaryCopy(const char *rest, const RunMode &mode)
{
    CopyHandles handles;
    char startedFrom[kCbPath];
    if (!ParseCopyLine(rest, &handles, startedFrom))
        return exitcode::kBadCommandLine;
    UseLogFile(usys, handles.log);
    WIN32_FILE_ATTRIBUTE_DATA before;
    bool known = usys.GetFileAttributesExA(startedFrom, GetFileExInfoStandard, &before);
    bool startedFromToGo = false;
    LONG code = ExitCodeOf(RunUninstall(mode, startedFrom, &startedFromToGo));
    // The first process ends the log with the exit code.
    if (g_logFile)
        usys.CloseHandle(g_logFile);
    g_logFile = nullptr;
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
            ScheduleDeletion(startedFrom, ForTheMachine(mode));
        // One user's uninstaller lies in the install folder, which it leaves empty now.
        char folder[kCbPath];
        char *name = nullptr;
        if (deleted && !ForTheMachine(mode) && CopyText(folder, sizeof folder, startedFrom) &&
            (name = FindLastSeparator(folder)) != nullptr && name - folder > 2) {
            *name = '\0';
            usys.RemoveDirectoryA(folder);
        }
    }
    ScheduleOwnFiles(mode);
    return code;
}

bool RunFromTemporaryCopy(const RunMode &mode, int *code)
{
    char self[kCbPath], longSelf[kCbPath], temp[kCbPath], folder[kCbPath], copy[kCbPath];
    if (!ModuleFileText(usys, self, sizeof self))
        return false;
    // The long form: the copy compares it with the recorded paths.
    DWORD cch = usys.GetLongPathNameA(self, longSelf, sizeof longSelf);
    if (cch == 0 || cch >= sizeof longSelf)
        CopyText(longSelf, sizeof longSelf, self);
    // The private folder goes into the Windows folder's temp folder, whose children no user may
    // rename: the copy schedules its file and that folder for deletion at the next start, by
    // name, and a user's own temp folder would let them put a link there once the run is over.
    // Removing one user's installation, the copy is that user's, in their own temp folder: it
    // schedules nothing (that needs administrator rights), and its folder stays there.
    DWORD error;
    HANDLE held = nullptr;
    bool found = ForTheMachine(mode) ? ReadWindowsTempFolder(usys, temp)
                                     : FindTempFolderText(usys, false, temp);
    if (!found || !CreateWorkFolder(usys, mode.scope, temp, folder, &held, &error))
        return false;
    // Made anew in the new folder (CopyFileA fails where the name exists), then held and checked
    // to be this very program until it has been started.
    HANDLE heldCopy = nullptr;
    if (JoinPath(copy, sizeof copy, folder, kUninstallerName)) {
        bool ran = usys.CopyFileA(self, copy, TRUE) && HoldCopyOfSelf(self, copy, &heldCopy) &&
                   RunCopyAndWait(copy, mode, longSelf, code);
        if (heldCopy)
            usys.CloseHandle(heldCopy);
        if (ran) {
            usys.CloseHandle(held);  // the copy schedules the folder's deletion itself
            return true;
        }
        usys.DeleteFileA(copy);
    }
    RemoveWorkFolder(usys, folder, held);
    return false;
}
