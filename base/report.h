// Error reporting: every failure the user is told about is a message box whose caption names its
// error code ("ERROR 12"), and a line in the log. A silent run shows nothing: the log is all it
// says. Whether the run is silent is handed to every call: it is the run's, not this file's.
#pragma once
#include "base/logfile.h"

#include <cstdint>

// How a step tells of a failure: not at all (its caller decides what to
// say), in the log only (a silent run), or in the log and a box.
enum class Telling { kNothing, kLog, kLogAndBox };
inline Telling TellingOf(bool silent)
{
    return silent ? Telling::kLog : Telling::kLogAndBox;
}

// Shows text in an error box captioned "ERROR " + code, with no owner,
// unless silent, and logs it after the caption.
void ReportError(bool silent, const char *text, const char *code);

// Shows the system's text for number with ReportError; nothing for 0. When
// the system has no text for the number, says "System error N." instead.
void ReportSystemError(bool silent, std::uint32_t number, const char *code);

// Shows what, then (unless number is 0) two blanks and the system's text for number: ReportError.
void ReportWithSystemText(bool silent, const char *what, std::uint32_t number, const char *code);

// Shows "Unable to write NAME.  " + the system's text for number (left out
// for 0) + "  Installation aborted." with ReportError: always one message.
void ReportFileError(bool silent, const char *fileName, std::uint32_t number, const char *code);

// Logs "Unable to write NAME.  " + the system's text, and shows nothing: for
// a file whose failure the person installing is not told about.
void LogFileError(const char *fileName, std::uint32_t number);
