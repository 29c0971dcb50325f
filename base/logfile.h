// A run's log: a plain-text file with one line per action and one per
// failure, for whoever deploys the program and cannot watch it. Each
// program keeps one through its own call table; without one open, every
// call here does nothing.
#pragma once
#include "base/pathtext.h"
#include "base/win.h"

#include <cstring>
#include <initializer_list>

// The open log; null when there is none (zero-initialised: the setup has
// no static constructors).
inline HANDLE g_logFile;

// Creates (or empties) the log at path; none for an empty path. A log that
// cannot be made is no reason to stop: the run goes on without one.
template <typename Calls> void OpenLogFile(const Calls &calls, const char *path)
{
    if (path[0] == '\0')
        return;
    HANDLE file = calls.CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    g_logFile = file == INVALID_HANDLE_VALUE ? nullptr : file;
}

// Where the run's log goes, into logPath (kCbPath bytes): the given path,
// or where none is given and the run is silent, the temp folder's
// defaultName (a silent run always leaves a log). False, with logPath
// empty, for a run without a log.
template <typename Calls>
bool RunLogPath(const Calls &calls, const char *given, bool silent, const char *defaultName,
                char *logPath)
{
    logPath[0] = '\0';
    if (given[0] != '\0')
        return CopyText(logPath, kCbPath, given);
    char temp[kCbPath];
    DWORD cch = silent ? calls.GetTempPathA(sizeof temp, temp) : 0;
    return cch != 0 && cch < sizeof temp && JoinPath(logPath, kCbPath, temp, defaultName);
}

// Writes the parts, then a line break.
template <typename Calls>
void WriteLogLine(const Calls &calls, std::initializer_list<const char *> parts)
{
    if (!g_logFile)
        return;
    DWORD written;
    for (const char *part : parts)
        calls.WriteFile(g_logFile, part, static_cast<DWORD>(std::strlen(part)), &written, nullptr);
    calls.WriteFile(g_logFile, "\r\n", 2, &written, nullptr);
}

// Ends the log with the run's exit code, and closes it.
template <typename Calls> void CloseLogFile(const Calls &calls, int exitCode)
{
    WriteLogLine(calls, {"Exit code ", DecimalText(static_cast<unsigned>(exitCode)).text});
    if (g_logFile)
        calls.CloseHandle(g_logFile);
    g_logFile = nullptr;
}
