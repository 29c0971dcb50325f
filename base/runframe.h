// The frame both programs run in: the switches parsed, the log opened, the usage shown for /? or a
// line not understood, the lock against a second setup or removal taken (or the person told why
// not), the program's own run under the lock, and the log ended with the exit code.
#pragma once
#include "base/cmdline.h"
#include "base/sharedcalls.h"

// One Quillarix setup or removal at a time: each program's first process takes the same lock at
// start and holds it until it ends, however it ends (the uninstaller's temporary copy, whose last
// steps run after that, holds none).
//
// The lock is a file in the Windows folder, made once and kept, opened without sharing. Only
// administrators can create a file there, and the file itself lets in Administrators and SYSTEM
// only, so no user without those rights can take the lock first or open it to hold it. What any
// user may still open is what listing the folder grants on its files (FILE_READ_ATTRIBUTES), and
// such a handle takes part in no sharing check: it cannot make the share-0 open fail. The file is
// never deleted, on close or otherwise: a file deleted while such a handle is open stays "delete
// pending", and every later open of its name is denied until that user lets go. A named mutex
// cannot give that: any user can create "Global\..." first, with a DACL that keeps every later run
// waiting or denies it the mutex altogether; and private namespaces, which would keep such a name
// out of users' reach, are missing on older systems and Wine.
enum class RunLock { kTaken, kBusy, kFailed };

// Takes the lock of scope into *lock (closed with CloseHandle by the caller; null unless taken): for
// every user's installation in the Windows folder, for one user's in that user's local application
// data (only they, SYSTEM and Administrators may open it), so that a person without administrator
// rights is never refused for the Windows folder. kBusy when another setup or removal holds it open
// (a sharing violation). kFailed, with *error the system error, when it cannot be taken otherwise,
// "access denied" included: the run must not go on.
RunLock TakeRunLock(const SharedCalls &calls, Scope scope, HANDLE *lock, DWORD *error);

struct ProgramFrame {
    const char *restSwitch;  // the switch that takes the rest of the line
    const char *logName;     // the default log's name in the temp folder
    const char *title;       // the log's first words: the program and its version
    const char *usage;       // shown for /? and for a line not understood
    // Tells that another run holds the lock (kBusy) or that it could not be taken (kFailed, with
    // the system's error): each program in its own words and box.
    void (*refuse)(Talk talk, RunLock why, DWORD error);
    // Where set, runs instead of all the rest when the rest-of-line switch is given (a program
    // started by its own first process, which keeps the log and the lock).
    int (*bare)(const CommandLine &args);
    bool restIsPath;  // the rest of the line is a path: %NAME%s in it are expanded, as in /LOG=
    // Settles the run's scope in args, before the lock of that scope is taken, and where the run
    // needs administrator rights it has not got, has an elevated copy do it: -1 to go on, else
    // the run's exit code.
    int (*settle)(const SharedCalls &calls, CommandLine *args);
};

// The frame's parts around a program's run: EnterFrame parses the whole command line (the program's
// name first; null: too long for the program's text, which is then not understood) into *args,
// opens the log and takes the lock into *lock; false, with the exit code in *code, where the run
// ends there (usage, a line not understood, a refusal, or the bare run done). LeaveFrame ends the
// log with the exit code and lets the lock go.
bool EnterFrame(const SharedCalls &calls, const char *commandLine, const ProgramFrame &frame,
                CommandLine *args, HANDLE *lock, int *code);
int LeaveFrame(const SharedCalls &calls, HANDLE lock, int code);

// Runs a program in its frame, through calls: run(args) with the lock held, which returns the exit
// code; returns the exit code.
template <typename Run>
int RunInFrame(const SharedCalls &calls, const char *commandLine, const ProgramFrame &frame, Run run)
{
    CommandLine args;
    HANDLE lock = nullptr;
    int code = 0;
    if (EnterFrame(calls, commandLine, frame, &args, &lock, &code))
        code = run(static_cast<const CommandLine &>(args));
    return LeaveFrame(calls, lock, code);
}
