// The end-to-end driver's pieces, one file a job: process control
// (process.cpp), dialog inspection (windows.cpp), screen capture
// (screen.cpp), and the steps of a scenario with the program's entry
// (driver.cpp). Everything here is the driver's own: one process, one
// scenario.
#pragma once
#include <windows.h>
#include <sddl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

// The run's state, set by main and the steps (driver.cpp).
extern std::FILE *g_transcript;
extern PROCESS_INFORMATION g_setup;  // the program the scenario follows
extern HWND g_current;               // the dialog or box the last "expect" found
extern HWND g_hidden;                // the window a "hide" step took away
extern std::map<std::string, HANDLE> g_held;  // the files "hold" keeps open
extern std::string g_shots;
extern std::string g_setupPath;
extern std::string g_programFiles;
extern REGSAM g_registryView;        // KEY_WOW64_32KEY or KEY_WOW64_64KEY, the setup's
extern int g_dpi;                    // the screen's scale for programs started from now on
extern int g_titleHeight96;          // the backdrop title's height at 96 DPI, once seen

inline constexpr DWORD kDeadlineMs = 60000;
inline constexpr DWORD kPollMs = 50;

// Polls holds() until it is true (returns true) or the deadline passes.
template <typename Holds> bool WaitUntil(Holds holds, DWORD deadlineMs = kDeadlineMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (holds())
            return true;
        if (GetTickCount() - start >= deadlineMs)
            return false;
        Sleep(kPollMs);
    }
}

// One line of the transcript: format with a and b for its two %s.
void Note(const char *format, const std::string &a = "", const std::string &b = "");
// Ends the run at scenario line with what did not hold, and what the
// screen showed.
[[noreturn]] void Fail(int line, const std::string &what);

// process.cpp: starting programs, following them and their windows.
// Calls visit(entry) for every process that runs now.
template <typename Visit> void ForEachProcess(Visit visit)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        visit(entry);
    CloseHandle(snapshot);
}
// The process that started pid, 0 when it cannot be told.
DWORD ParentOf(DWORD pid);
// Starts a program (command: the whole command line), trying again under
// load until the deadline.
void Spawn(std::string command, PROCESS_INFORMATION *started);
// Starts a program as the one the scenario follows.
void StartProgram(const std::string &command);
// Starts the setup under test with args, holding its file as Windows would.
void StartSetup(const std::string &args = "");
// Holds g_lockedImage's file open while a process started from it runs.
extern std::string g_lockedImage;
DWORD WINAPI LockImages(LPVOID);
// Fails the scenario on any window of a silent run (see process.cpp).
extern bool g_quiet;
extern volatile DWORD g_alongside;  // the process of an "alongside" step while it runs
extern volatile LONG g_windowSeen;  // set once g_seenWindow is written
extern std::string g_seenWindow;
DWORD WINAPI WatchWindows(LPVOID);

// windows.cpp: the followed program's windows, their kinds and texts.
std::string WindowText(HWND window);
std::wstring Wide(const std::string &text);
std::string Utf8(const WCHAR *wide);
std::wstring WindowTextW(HWND window);
std::string ClassOf(HWND window);
std::vector<HWND> Children(HWND parent);
HWND Child(HWND parent, int id);
std::vector<HWND> TopWindows();
bool OwnedBySetup(HWND window);
std::string KindOf(HWND window);
HWND FindKind(const std::string &kind);
std::string ScreenContents();
bool Dismissed(HWND window);
bool Responsive(HWND window);
void Describe(HWND window, const std::string &kind);
std::string MessageText(HWND box);
HWND FocusOf(HWND window);

// screen.cpp: the screen as pixels, and what the backdrop and the scaled
// dialogs must look like on it.
// The whole screen as 24-bit pixels, bottom-up rows of cbRow bytes.
struct Pixels {
    int width = 0, height = 0;
    DWORD cbRow = 0;
    std::vector<char> bytes;
    COLORREF At(int x, int y) const
    {
        const unsigned char *p = reinterpret_cast<const unsigned char *>(bytes.data()) +
                                 (height - 1 - y) * cbRow + x * 3;
        return RGB(p[2], p[1], p[0]);
    }
};
BITMAPINFOHEADER ScreenHeader(const Pixels &shot);
Pixels CaptureScreen();
Pixels SettledScreen();
bool SaveScreen(const std::string &path);
std::string BackdropFault(const Pixels &shot);
std::string ScaledDialogFault(const Pixels &shot);

