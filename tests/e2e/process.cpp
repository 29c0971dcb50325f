// The end-to-end driver's process control: starting programs, holding
// their files as Windows does while they run, and watching a silent run for
// windows.
#include "driver.h"

// The process that started pid, 0 when it cannot be told.
DWORD ParentOf(DWORD pid)
{
    DWORD parent = 0;
    ForEachProcess([&](const PROCESSENTRY32 &entry) {
        if (entry.th32ProcessID == pid)
            parent = entry.th32ParentProcessID;
    });
    return parent;
}

// Starts a program; command is the whole command line, as the system would
// be given it. Under load Wine has refused a start once, right after the
// program's previous run ended, so a refused start is tried again until the
// deadline (the transcript gives the error); then the scenario fails.
void Spawn(std::string command, PROCESS_INFORMATION *started)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    DWORD refused = 0;
    if (!WaitUntil([&] {
            if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, started))
                return true;
            bool first = !refused;
            refused = GetLastError();
            if (first)
                Note("-> start refused, error %s", std::to_string(refused));
            return false;
        }))
        Fail(0, "cannot start " + command + " (error " + std::to_string(refused) + ")");
}

// Starts a program as the one the scenario follows.
void StartProgram(const std::string &command)
{
    Spawn(command, &g_setup);
    Note("== started %s", command);
}

// Windows' lock on a running program's file, which Wine lacks: while a
// process started from the watched file runs, the file is held open
// (reading shared, deleting not), so that it cannot be deleted; it is let
// go as soon as the process has ended. A thread of its own polls the
// processes every 10 ms.
std::string g_lockedImage;  // the file LockImages holds while it runs

DWORD WINAPI LockImages(LPVOID)
{
    std::map<DWORD, std::pair<HANDLE, HANDLE>> held;  // pid: process, file
    for (;;) {
        ForEachProcess([&](const PROCESSENTRY32 &entry) {
            if (held.count(entry.th32ProcessID))
                return;
            HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE,
                                         entry.th32ProcessID);
            char image[MAX_PATH];
            DWORD cch = sizeof image;
            if (process && QueryFullProcessImageNameA(process, 0, image, &cch) &&
                lstrcmpiA(image, g_lockedImage.c_str()) == 0) {
                HANDLE file = CreateFileA(image, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr);
                held[entry.th32ProcessID] = {process, file};
                Note(file != INVALID_HANDLE_VALUE ? "-> %s locked: process %s runs from it"
                                                  : "-> %s could not be locked (process %s)",
                     image, std::to_string(entry.th32ProcessID));
            } else if (process) {
                CloseHandle(process);
            }
        });
        for (auto it = held.begin(); it != held.end();) {
            if (WaitForSingleObject(it->second.first, 0) == WAIT_OBJECT_0) {
                if (it->second.second != INVALID_HANDLE_VALUE)
                    CloseHandle(it->second.second);
                CloseHandle(it->second.first);
                it = held.erase(it);
            } else {
                ++it;
            }
        }
        Sleep(10);
    }
}

void StartSetup(const std::string &args)
{
    StartProgram("\"" + g_setupPath + "\"" + (args.empty() ? "" : " " + args));
}

// A silent run shows no window at all: a thread of its own looks every
// 10 ms for a visible window of a setup started alongside and, in a
// scenario with a "# quiet" line, of the followed program (or of one it
// started). The first one it sees fails the scenario.
bool g_quiet;
volatile DWORD g_alongside;     // the process of an "alongside" step while it runs
volatile LONG g_windowSeen;     // set once g_seenWindow is written
std::string g_seenWindow;

DWORD WINAPI WatchWindows(LPVOID)
{
    for (;;) {
        for (HWND window : TopWindows()) {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if (!IsWindowVisible(window) || g_windowSeen || pid == GetCurrentProcessId())
                continue;
            if (pid == g_alongside ||
                (g_quiet && (pid == g_setup.dwProcessId || ParentOf(pid) == g_setup.dwProcessId))) {
                g_seenWindow = "\"" + WindowText(window) + "\" (" + ClassOf(window) +
                               ") of process " + std::to_string(pid);
                InterlockedExchange(&g_windowSeen, 1);
            }
        }
        Sleep(10);
    }
}
