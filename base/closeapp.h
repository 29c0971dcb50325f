// Finding and closing a running Quillarix: the setup before it replaces Quillarix.exe, the
// uninstaller before it removes it. A running copy is a process that the Restart Manager lists as
// using the file, or a process whose image is the file. It is asked to close through the Restart
// Manager where that lists it, else through its own top-level windows, as Windows asks programs at
// the end of a session, and waited for a bounded time. Nothing is ever ended by force. Each program
// asks through its own call table; the Restart Manager's entries are bound late (rstrtmgr.dll is no
// known system library) and fail where it is missing.
#pragma once
#include "base/runmode.h"
#include "base/sharedcalls.h"

enum class AppClosing {
    kNotFound,      // no running copy found: the file is held some other way
    kClosed,        // every running copy found has ended
    kDeclined,      // the person answered No
    kLeftRunning,   // an unattended run not told to close it: found, and left alone
    kStillRunning,  // asked to close, and still running (refused, no answer, or the wait ran out)
};

inline constexpr DWORD kAppCloseWaitMs = 30000;  // for the whole close: asking and waiting
inline constexpr UINT kAppAnswerMs = 5000;       // for each window's answer

// Whether a process runs from exePath: a running copy of Quillarix, as against a program that only
// holds the file open (a virus scanner, an indexer, a user's reader), which ends by itself or at the
// restart and is never asked to close.
bool IsAppRunning(const SharedCalls &calls, const char *exePath);

// Finds the running copies of the program at exePath and deals with them as the run's mode says:
// interactively asks the person (question, a Yes/No box over owner) and closes them on Yes; an
// unattended run closes them only where told to (closeApplications), and otherwise leaves them.
// Leaves nothing open. Logs what it found and what came of it.
AppClosing CloseRunningApp(const SharedCalls &calls, const char *exePath, const RunMode &mode,
                           const char *question, HWND owner);
