// Finding a running Quillarix and asking it to close.
#include "base/closeapp.h"

#include "base/logfile.h"
#include "base/pathtext.h"
#include "base/product.h"
#include "base/widetext.h"

namespace {

constexpr int kMaxAppCopies = 8;  // copies dealt with at once

// The running copies found: a handle to each (synchronize and query), which the finder's caller
// closes, and where the Restart Manager listed it, the process as it names it (its id and start
// time, which no later process of the same id has).
struct AppCopies {
    HANDLE process[kMaxAppCopies];
    DWORD id[kMaxAppCopies];
    bool listed[kMaxAppCopies];
    RM_UNIQUE_PROCESS unique[kMaxAppCopies];
    int count;
};

bool HasAppCopy(const AppCopies &copies, DWORD id)
{
    for (int i = 0; i < copies.count; ++i)
        if (copies.id[i] == id)
            return true;
    return false;
}

// Adds the process id (its handle taken over; unique where the Restart Manager listed it) to
// copies, or closes the handle where there is no room.
void AddAppCopy(const SharedCalls &calls, AppCopies *copies, HANDLE process, DWORD id,
                const RM_UNIQUE_PROCESS *unique)
{
    if (copies->count == kMaxAppCopies) {
        calls.CloseHandle(process);
        return;
    }
    copies->process[copies->count] = process;
    copies->id[copies->count] = id;
    copies->listed[copies->count] = unique != nullptr;
    if (unique)
        copies->unique[copies->count] = *unique;
    ++copies->count;
}

// Whether the process open as process runs from exe (ordinal, ignoring case, as the file system
// compares names).
bool RunsFrom(const SharedCalls &calls, HANDLE process, const WCHAR *exe)
{
    WCHAR image[kCbPath];
    DWORD cchImage = kCbPath;
    return calls.QueryFullProcessImageNameW(process, 0, image, &cchImage) &&
           calls.CompareStringOrdinal(image, -1, exe, -1, TRUE) == CSTR_EQUAL;
}

// Asks the Restart Manager which processes use exe, in a session of its own, and adds them to
// copies, to be shut down through it, but only where every one it lists is a copy of Quillarix with
// a window (a main or other window, whose image is exe): the list may name Explorer, a service or
// a critical process that has the file open, and those are never shut down.
void ListAppCopiesByRestartManager(const SharedCalls &calls, const WCHAR *exe, AppCopies *copies)
{
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (calls.RmStartSession(&session, 0, key) != ERROR_SUCCESS) {
        LogLine({"The Restart Manager is not available"});
        return;
    }
    LPCWSTR files[] = {exe};
    RM_PROCESS_INFO info[kMaxAppCopies] = {};
    UINT cNeeded = 0, cInfo = kMaxAppCopies;
    DWORD reasons = 0;
    // Only what both counts promise is read: a list that says it filled
    // more than it needed (or needed more than there is room for: then it
    // fails with ERROR_MORE_DATA) is not trusted beyond that.
    if (calls.RmRegisterResources(session, 1, files, 0, nullptr, 0, nullptr) != ERROR_SUCCESS ||
        calls.RmGetList(session, &cNeeded, &cInfo, info, &reasons) != ERROR_SUCCESS)
        cInfo = 0;
    calls.RmEndSession(session);
    if (cNeeded < cInfo)
        cInfo = cNeeded;
    HANDLE process[kMaxAppCopies] = {};
    bool onlyCopies = true;
    for (UINT i = 0; i < cInfo && i < kMaxAppCopies; ++i) {
        RM_APP_TYPE type = info[i].ApplicationType;
        process[i] = calls.OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                       info[i].Process.dwProcessId);
        onlyCopies = onlyCopies && process[i] && (type == RmMainWindow || type == RmOtherWindow) &&
                     RunsFrom(calls, process[i], exe);
    }
    for (UINT i = 0; i < cInfo && i < kMaxAppCopies; ++i) {
        DWORD id = info[i].Process.dwProcessId;
        if (onlyCopies && !HasAppCopy(*copies, id))
            AddAppCopy(calls, copies, process[i], id, &info[i].Process);
        else if (process[i])
            calls.CloseHandle(process[i]);
    }
    LogLine({"The Restart Manager lists ", DecimalText(cInfo).text, " programs using ",
             kMainExeName, onlyCopies ? "" : ", not all of them Quillarix: none is shut down through it"});
}

// Shuts the copies that the Restart Manager listed down through it, without forcing: in a session
// of their own, which names those very processes (id and start time), not the file, so that
// nothing that has come to use the file since is shut down. True when it reports success.
bool ShutDownListedCopies(const SharedCalls &calls, const AppCopies &copies)
{
    RM_UNIQUE_PROCESS listed[kMaxAppCopies];
    UINT count = 0;
    for (int i = 0; i < copies.count; ++i)
        if (copies.listed[i])
            listed[count++] = copies.unique[i];
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    DWORD status = calls.RmStartSession(&session, 0, key);
    if (status == ERROR_SUCCESS) {
        status = calls.RmRegisterResources(session, 0, nullptr, count, listed, 0, nullptr);
        if (status == ERROR_SUCCESS)
            status = calls.RmShutdown(session, 0, nullptr);
        calls.RmEndSession(session);
    }
    LogLine({"The Restart Manager's shutdown: status ", DecimalText(status).text});
    return status == ERROR_SUCCESS;
}

// Adds to copies every process whose image is exe: those whose file name is exe's are opened and
// their full image path compared (ordinal, ignoring case, as the file system compares names).
void FindAppCopiesByImage(const SharedCalls &calls, const WCHAR *exe, AppCopies *copies)
{
    const WCHAR *name = exe;
    for (const WCHAR *p = exe; *p; ++p)
        if (*p == L'\\')
            name = p + 1;
    HANDLE snapshot = calls.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE || !snapshot)
        return;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = calls.Process32FirstW(snapshot, &entry); more;
         more = calls.Process32NextW(snapshot, &entry)) {
        if (calls.CompareStringOrdinal(entry.szExeFile, -1, name, -1, TRUE) != CSTR_EQUAL ||
            HasAppCopy(*copies, entry.th32ProcessID))
            continue;
        HANDLE process = calls.OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                                           FALSE, entry.th32ProcessID);
        if (!process)
            continue;
        if (RunsFrom(calls, process, exe))
            AddAppCopy(calls, copies, process, entry.th32ProcessID, nullptr);
        else
            calls.CloseHandle(process);
    }
    calls.CloseHandle(snapshot);
}

// The milliseconds left until the tick count deadline, at most cap; 0 once it has passed.
DWORD Remaining(const SharedCalls &calls, DWORD deadline, DWORD cap)
{
    LONG left = static_cast<LONG>(deadline - calls.GetTickCount());
    return left <= 0 ? 0 : static_cast<DWORD>(left) < cap ? static_cast<DWORD>(left) : cap;
}

// Asks the top-level windows of one process to close, as Windows does at the end of a session for
// one application (ENDSESSION_CLOSEAPP): first WM_QUERYENDSESSION to each; if every one agrees,
// WM_ENDSESSION (TRUE), then WM_CLOSE. A refusal, or no answer within kAppAnswerMs or by the
// deadline of the whole close, is respected: its windows are told that nothing ends
// (WM_ENDSESSION, FALSE). A program with many windows, each answering just in time, cannot hold
// the run beyond the deadline. A window that does not answer may belong to a copy that is ending
// (its thread no longer takes messages): that is no refusal, and the copy is waited for.
struct AppWindows {
    enum Phase { kQuery, kEnd, kCancel };
    const SharedCalls *calls;
    DWORD id;
    DWORD deadline;
    Phase phase;
    int windows;
    bool refused, silent;  // a window said no / a window did not answer

    static BOOL CALLBACK Visit(HWND window, LPARAM param)
    {
        auto *self = reinterpret_cast<AppWindows *>(param);
        const SharedCalls &calls = *self->calls;
        DWORD id = 0;
        if (!calls.GetWindowThreadProcessId(window, &id) || id != self->id)
            return TRUE;
        DWORD_PTR answer = 0;
        DWORD wait = Remaining(calls, self->deadline, kAppAnswerMs);
        switch (self->phase) {
        case kQuery:
            ++self->windows;
            if (wait == 0 ||
                !calls.SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP,
                                           SMTO_ABORTIFHUNG, wait, &answer)) {
                self->silent = true;
                return FALSE;
            }
            if (!answer) {
                self->refused = true;
                return FALSE;
            }
            return TRUE;
        case kEnd:
            if (wait != 0)
                calls.SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP,
                                          SMTO_ABORTIFHUNG, wait, &answer);
            calls.PostMessageW(window, WM_CLOSE, 0, 0);
            return TRUE;
        case kCancel:
            // Owed whatever the time: past the deadline it is posted, not waited for.
            if (wait == 0 || !calls.SendMessageTimeoutW(window, WM_ENDSESSION, FALSE,
                                                        ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG,
                                                        wait, &answer))
                calls.PostMessageW(window, WM_ENDSESSION, FALSE, ENDSESSION_CLOSEAPP);
            return TRUE;
        }
        return TRUE;
    }

    enum Answer { kAgreed, kRefused, kNoAnswer, kNoWindow };

    // Whether the process's windows all agreed to close by the deadline, one refused, one did not
    // answer, or it has none to ask.
    static Answer AskToClose(const SharedCalls &calls, DWORD id, DWORD deadline)
    {
        AppWindows asked = {&calls, id, deadline, kQuery, 0, false, false};
        calls.EnumWindows(&Visit, reinterpret_cast<LPARAM>(&asked));
        bool agreed = asked.windows > 0 && !asked.refused && !asked.silent;
        asked.phase = agreed ? kEnd : kCancel;
        calls.EnumWindows(&Visit, reinterpret_cast<LPARAM>(&asked));
        return agreed           ? kAgreed
               : asked.refused  ? kRefused
               : asked.silent   ? kNoAnswer
                                : kNoWindow;
    }
};

// How often a copy with no window yet is asked again while the others are waited for.
constexpr DWORD kWindowlessLookMs = 250;

// Asks every copy to close (through the Restart Manager those it listed, without forcing; the
// others through their windows) and waits for all of them to end, all within kAppCloseWaitMs.
// Only a window that says no is a refusal. A copy whose window does not answer may be ending
// (measured under Wine: a copy whose window had just been closed still had one that no longer
// answered) and is waited for; a copy with no window may be ending or starting (a copy that a
// setup has just started makes its window a moment later), so it is waited for, and asked again
// every kWindowlessLookMs until it has a window to ask. True when every copy has ended.
bool CloseAppCopies(const SharedCalls &calls, const AppCopies &copies)
{
    DWORD deadline = calls.GetTickCount() + kAppCloseWaitMs;
    bool askedAll = true, anyListed = false;
    bool unasked[kMaxAppCopies] = {};
    for (int i = 0; i < copies.count; ++i) {
        if (copies.listed[i]) {
            anyListed = true;
        } else {
            AppWindows::Answer answer = AppWindows::AskToClose(calls, copies.id[i], deadline);
            askedAll = askedAll && answer != AppWindows::kRefused;
            unasked[i] = answer == AppWindows::kNoWindow;
        }
    }
    if (anyListed && askedAll)
        askedAll = ShutDownListedCopies(calls, copies);
    if (!askedAll)
        return false;
    for (;;) {
        bool waiting = false;
        for (int i = 0; i < copies.count; ++i)
            waiting = waiting || unasked[i];
        DWORD left = Remaining(calls, deadline, kAppCloseWaitMs);
        DWORD waited = calls.WaitForMultipleObjects(static_cast<DWORD>(copies.count),
                                                    copies.process, TRUE,
                                                    waiting && left > kWindowlessLookMs
                                                        ? kWindowlessLookMs
                                                        : left);
        if (waited < WAIT_OBJECT_0 + static_cast<DWORD>(copies.count))
            return true;
        if (waited != WAIT_TIMEOUT || left <= kWindowlessLookMs || !waiting)
            return false;
        for (int i = 0; i < copies.count; ++i) {
            if (!unasked[i] || calls.WaitForSingleObject(copies.process[i], 0) == WAIT_OBJECT_0)
                continue;
            AppWindows::Answer answer = AppWindows::AskToClose(calls, copies.id[i], deadline);
            if (answer == AppWindows::kRefused)
                return false;
            unasked[i] = answer == AppWindows::kNoWindow;
        }
    }
}

}  // namespace

bool IsAppRunning(const SharedCalls &calls, const char *exePath)
{
    WCHAR exe[kCbPath];
    WidenForDisplay(calls, exePath, exe, kCbPath);
    AppCopies copies = {};
    FindAppCopiesByImage(calls, exe, &copies);
    for (int i = 0; i < copies.count; ++i)
        calls.CloseHandle(copies.process[i]);
    return copies.count != 0;
}

AppClosing CloseRunningApp(const SharedCalls &calls, const char *exePath, const RunMode &mode,
                           const char *question, HWND owner)
{
    WCHAR exe[kCbPath];
    WidenForDisplay(calls, exePath, exe, kCbPath);
    AppCopies copies = {};
    ListAppCopiesByRestartManager(calls, exe, &copies);
    FindAppCopiesByImage(calls, exe, &copies);
    LogLine({DecimalText(static_cast<unsigned>(copies.count)).text, " running copies of ",
             exePath});
    AppClosing result;
    if (copies.count == 0)
        result = AppClosing::kNotFound;
    else if (!ShowsWindows(mode) && !mode.closeApplications)
        result = AppClosing::kLeftRunning;
    else if (ShowsWindows(mode) &&
             ShowLoggedBox(calls, owner, question, kProductName, MB_YESNO | MB_ICONQUESTION) !=
                 IDYES)
        result = AppClosing::kDeclined;
    else
        result = CloseAppCopies(calls, copies) ? AppClosing::kClosed : AppClosing::kStillRunning;
    for (int i = 0; i < copies.count; ++i)
        calls.CloseHandle(copies.process[i]);
    static constexpr const char *kOutcomes[] = {"none found", "closed", "declined",
                                                "left running", "still running"};
    LogLine({"Running copies: ", kOutcomes[static_cast<int>(result)]});
    return result;
}
