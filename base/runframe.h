// The frame both programs run in, from the command line to the exit code: the switches parsed, the
// log opened, the usage shown for /? or a line not understood, the lock against a second setup or
// removal taken (or the person told why not), the program's own run while the lock is held, and the
// log ended with the exit code.
#pragma once
#include "base/cmdline.h"
#include "base/runlock.h"
#include "base/sharedcalls.h"

struct ProgramFrame {
    const char *restSwitch;  // the switch that takes the rest of the line
    const char *logName;     // the default log's name in the temp folder
    const char *title;       // the log's first words: the program and its version
    const char *usage;       // shown for /? and for a line not understood
    // Tells that another run holds the lock (kBusy) or that it could not be taken (kFailed, with
    // the system's error): each program in its own words and box.
    void (*refuse)(bool silent, RunLock why, DWORD error);
    // The program's run, with the lock held; returns the exit code.
    int (*run)(const CommandLine &args, void *context);
    // Where set, runs instead of all the above when the rest-of-line switch is given (a program
    // started by its own first process, which keeps the log and the lock).
    int (*bare)(const CommandLine &args);
    void *context;  // handed to run
};

// Runs a program in its frame, through calls, given its whole command line
// with the program's name first (null: too long for the program's text,
// which is then not understood); returns the exit code.
int RunInFrame(const SharedCalls &calls, const char *commandLine, const ProgramFrame &frame);
