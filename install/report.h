// Error reporting: every failure the user is told about is a message box whose caption names its
// error code ("ERROR 12"), and a line in the log. A silent run shows nothing: the log is all it
// says. How the run talks is handed to every call: it is the run's, not this file's.
#pragma once
#include "base/logfile.h"
#include "base/runmode.h"

#include <cstdint>

// Logs text after the caption "ERROR " + code and, when the run talks through windows, shows it in
// an error box so captioned, with no owner; with Talk::kNothing, does neither.
void ReportError(Talk talk, const char *text, const char *code);

// Logs the parts joined as one text and, when the run talks through windows, shows it in an
// information box captioned with the product's name over owner: news that is no failure.
void ReportNotice(Talk talk, HWND owner, std::initializer_list<const char *> parts);

// Shows the system's text for number with ReportError; nothing for 0. When
// the system has no text for the number, says "System error N." instead.
void ReportSystemError(Talk talk, std::uint32_t number, const char *code);

// Shows what, then (unless number is 0) two blanks and the system's text for number: ReportError.
void ReportWithSystemText(Talk talk, const char *what, std::uint32_t number, const char *code);

// Shows "Unable to write NAME.  " + the system's text for number (left out
// for 0) + "  Installation aborted." with ReportError: always one message.
void ReportFileError(Talk talk, const char *fileName, std::uint32_t number, const char *code);

// The progress dialog's bar (an interactive run's; nothing for a null dialog): made to count
// steps, then moved on by one at each step done. Between steps the windows are given the
// messages that reached them meanwhile (painting, keys, the system asking whether they answer),
// so that a slow disk never leaves them grey and marked as not responding.
void StartProgress(HWND progress, int steps);
void StepDone(HWND progress);

// Logs "Unable to write NAME.  " + the system's text, and shows nothing: for
// a file whose failure the person installing is not told about.
void LogFileError(const char *fileName, std::uint32_t number);
