// Finding a running Quillarix and asking it to close.
#include "base/closeapp.h"

#include "base/logfile.h"
#include "base/pathtext.h"
#include "base/product.h"
#include "base/widetext.h"

namespace {

constexpr int kMaxAppCopies = 8;  // copies dealt with at once

// The running copies found: a handle to each (synchronize and query), which
// the finder's caller closes, and whether the Restart Manager listed it.
struct AppCopies {
    HANDLE process[kMaxAppCopies];
    DWORD id[kMaxAppCopies];
    bool listed[kMaxAppCopies];
    int count;
};

bool HasAppCopy(const AppCopies &copies, DWORD id)
{
    for (int i = 0; i < copies.count; ++i)
        if (copies.id[i] == id)
            return true;
    return false;
}

// Adds the process id (its handle taken over) to copies, or closes the
// handle where there is no room.
void AddAppCopy(const SharedCalls &calls, AppCopies *copies, HANDLE process, DWORD id, bool listed)
{
    if (copies->count == kMaxAppCopies) {
        calls.CloseHandle(process);
        return;
    }
    copies->process[copies->count] = process;
    copies->id[copies->count] = id;
    copies->listed[copies->count] = listed;
    ++copies->count;
}

// Starts a Restart Manager session with exe registered and adds the processes it lists to copies.
// True when a session was started: the caller ends it (RmEndSession) after any shutdown through it.
bool ListAppCopiesByRestartManager(const SharedCalls &calls, const WCHAR *exe, DWORD *session,
                                   AppCopies *copies)
{
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (calls.RmStartSession(session, 0, key) != ERROR_SUCCESS) {
        LogLine({"The Restart Manager is not available"});
        return false;
    }
    LPCWSTR files[] = {exe};
    RM_PROCESS_INFO info[kMaxAppCopies] = {};
    UINT cNeeded = 0, cInfo = kMaxAppCopies;
    DWORD reasons = 0;
    // Only what both counts promise is read: a list that says it filled
    // more than it needed (or needed more than there is room for: then it
    // fails with ERROR_MORE_DATA) is not trusted beyond that.
    if (calls.RmRegisterResources(*session, 1, files, 0, nullptr, 0, nullptr) != ERROR_SUCCESS ||
        calls.RmGetList(*session, &cNeeded, &cInfo, info, &reasons) != ERROR_SUCCESS)
        cInfo = 0;
    if (cNeeded < cInfo)
        cInfo = cNeeded;
    for (UINT i = 0; i < cInfo && i < kMaxAppCopies; ++i) {
        DWORD id = info[i].Process.dwProcessId;
        HANDLE process =
            calls.OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
        if (process && !HasAppCopy(*copies, id))
            AddAppCopy(calls, copies, process, id, true);
        else if (process)
            calls.CloseHandle(process);
    }
    LogLine({"The Restart Manager lists ", DecimalText(cInfo).text, " programs using ",
             kMainExeName});
    return true;
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
        WCHAR image[kCbPath];
        DWORD cchImage = kCbPath;
        if (calls.QueryFullProcessImageNameW(process, 0, image, &cchImage) &&
            calls.CompareStringOrdinal(image, -1, exe, -1, TRUE) == CSTR_EQUAL)
            AddAppCopy(calls, copies, process, entry.th32ProcessID, false);
        else
            calls.CloseHandle(process);
    }
    calls.CloseHandle(snapshot);
}

// Asks the top-level windows of one process to close, as Windows does at the end of a session for
// one application (ENDSESSION_CLOSEAPP): first WM_QUERYENDSESSION to each; if every one agrees,
// WM_ENDSESSION (TRUE), then WM_CLOSE. A refusal or no answer within kAppAnswerMs is respected: its
// windows are told that nothing ends (WM_ENDSESSION, FALSE).
struct AppWindows {
    enum Phase { kQuery, kEnd, kCancel };
    const SharedCalls *calls;
    DWORD id;
    Phase phase;
    int windows;
    bool refused;

    static BOOL CALLBACK Visit(HWND window, LPARAM param)
    {
        auto *self = reinterpret_cast<AppWindows *>(param);
        const SharedCalls &calls = *self->calls;
        DWORD id = 0;
        if (!calls.GetWindowThreadProcessId(window, &id) || id != self->id)
            return TRUE;
        DWORD_PTR answer = 0;
        switch (self->phase) {
        case kQuery:
            ++self->windows;
            if (!calls.SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP,
                                           SMTO_ABORTIFHUNG, kAppAnswerMs, &answer) ||
                !answer) {
                self->refused = true;
                return FALSE;
            }
            return TRUE;
        case kEnd:
            calls.SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP,
                                      SMTO_ABORTIFHUNG, kAppAnswerMs, &answer);
            calls.PostMessageW(window, WM_CLOSE, 0, 0);
            return TRUE;
        case kCancel:
            calls.SendMessageTimeoutW(window, WM_ENDSESSION, FALSE, ENDSESSION_CLOSEAPP,
                                      SMTO_ABORTIFHUNG, kAppAnswerMs, &answer);
            return TRUE;
        }
        return TRUE;
    }

    // True when the process had windows and all of them agreed to close.
    static bool AskToClose(const SharedCalls &calls, DWORD id)
    {
        AppWindows asked = {&calls, id, kQuery, 0, false};
        calls.EnumWindows(&Visit, reinterpret_cast<LPARAM>(&asked));
        bool agreed = asked.windows > 0 && !asked.refused;
        asked.phase = agreed ? kEnd : kCancel;
        calls.EnumWindows(&Visit, reinterpret_cast<LPARAM>(&asked));
        return agreed;
    }
};

// Asks every copy to close (through the Restart Manager those it listed, without forcing; the
// others through their windows) and waits for all of them to end. True when they have.
bool CloseAppCopies(const SharedCalls &calls, DWORD session, const AppCopies &copies)
{
    bool askedAll = true, anyListed = false;
    for (int i = 0; i < copies.count; ++i) {
        if (copies.listed[i])
            anyListed = true;
        else if (!AppWindows::AskToClose(calls, copies.id[i]))
            askedAll = false;  // it said no, did not answer, or has no window to ask
    }
    if (anyListed) {
        DWORD status = calls.RmShutdown(session, 0, nullptr);
        LogLine({"The Restart Manager's shutdown: status ", DecimalText(status).text});
        askedAll = askedAll && status == ERROR_SUCCESS;
    }
    if (!askedAll)
        return false;
    DWORD waited = calls.WaitForMultipleObjects(static_cast<DWORD>(copies.count), copies.process,
                                                TRUE, kAppCloseWaitMs);
    return waited < WAIT_OBJECT_0 + static_cast<DWORD>(copies.count);
}

}  // namespace

AppClosing CloseRunningApp(const SharedCalls &calls, const char *exePath, AppCloseMode mode,
                           const char *question, HWND owner)
{
    WCHAR exe[kCbPath];
    WidenForDisplay(calls, exePath, exe, kCbPath);
    AppCopies copies = {};
    DWORD session = 0;
    bool inSession = ListAppCopiesByRestartManager(calls, exe, &session, &copies);
    FindAppCopiesByImage(calls, exe, &copies);
    LogLine({DecimalText(static_cast<unsigned>(copies.count)).text, " running copies of ",
             exePath});
    AppClosing result;
    if (copies.count == 0)
        result = AppClosing::kNotFound;
    else if (mode == AppCloseMode::kRefuse)
        result = AppClosing::kLeftRunning;
    else if (mode == AppCloseMode::kAsk &&
             ShowMessageBox(calls, owner, question, kProductName, MB_YESNO | MB_ICONQUESTION) !=
                 IDYES)
        result = AppClosing::kDeclined;
    else
        result = CloseAppCopies(calls, session, copies) ? AppClosing::kClosed
                                                        : AppClosing::kStillRunning;
    for (int i = 0; i < copies.count; ++i)
        calls.CloseHandle(copies.process[i]);
    if (inSession)
        calls.RmEndSession(session);
    static constexpr const char *kOutcomes[] = {"none found", "closed", "declined",
                                                "left running", "still running"};
    LogLine({"Running copies: ", kOutcomes[static_cast<int>(result)]});
    return result;
}
