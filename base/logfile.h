// A run's log: a plain-text file with one line per action and one per failure, for whoever deploys
// the program and cannot watch it. Each program opens one through its own call table, and it is
// written through that table; without one open, every call here does nothing. The process's one
// output channel, opened at start and closed at the end: process-wide, like standard error.
#pragma once
#include "base/runmode.h"
#include "base/sharedcalls.h"

#include <initializer_list>

// The open log; null when there is none (zero-initialised: the setup has no static constructors).
extern HANDLE g_logFile;

// Makes file, already open, the log, written through calls (the
// uninstaller's copy writes into the log its first process opened).
void UseLogFile(const SharedCalls &calls, HANDLE file);

// The log at path, which an administrator chose, made new under a random name beside it and renamed
// over path; where that name cannot be taken (a program holds it open), the log keeps its random
// name. None for an empty path. A log that cannot be made does not stop the run.
void OpenLogFile(const SharedCalls &calls, const char *path);

// Opens the run's log: the given path, or where none is given and the run writes one anyway (a
// silent run always leaves a log), a default log named defaultName in the temp folder. None
// otherwise.
void OpenRunLog(const SharedCalls &calls, const char *given, const RunMode &mode,
                const char *defaultName);

// Writes the parts, then a line break. The log is UTF-8 whatever the program's code page: on a
// system that leaves the programs in its own code page, each part is converted, piece by piece of
// whole characters, however long it is (a command line, a removal's list of items).
void LogLine(std::initializer_list<const char *> parts);

// ShowMessageBox, and for a Yes/No question the question with the person's answer in the log:
// what they answered is what the run did next.
int ShowLoggedBox(const SharedCalls &calls, HWND owner, const char *text, const char *caption,
                  UINT type);

// Says in the log that the temp folder had no name the program can use, and folder stood in.
void LogTempFallback(const char *folder);

// Closes the log without its exit code, for a copy of the program that writes its own under the
// same name (CloseLogFile then does nothing).
void HandOverLog();

// Ends the log with the run's exit code, and closes it.
void CloseLogFile(int exitCode);
