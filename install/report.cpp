// Error and system-error message boxes.
#include "install/report.h"

#include "base/logfile.h"
#include "base/pathtext.h"
#include "install/syscalls.h"
#include "base/widetext.h"

void ReportError(Talk talk, const char *text, const char *code)
{
    if (talk == Talk::kNothing)
        return;
    char caption[kCbPath] = "ERROR ";
    AppendText(caption, sizeof caption, code);
    LogLine({caption, ": ", text});
    if (talk == Talk::kWindows)
        ShowMessageBox(sys, nullptr, text, caption, MB_OK | MB_ICONERROR);
}

// Appends the system's text for number to dst (without its closing line
// break when trim is set); "System error N." when the system has none.
// (printf is kept out of the executable: it would be most of its size.)
static void AppendSystemText(char *dst, std::size_t cbDst, std::uint32_t number, bool trim)
{
    char *text = nullptr;
    DWORD cch = sys.FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, number,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char *>(&text), 0, nullptr);
    if (cch == 0 || text == nullptr) {
        char fallback[48] = "System error ";
        AppendDecimal(fallback, sizeof fallback, number, false);
        AppendText(fallback, sizeof fallback, ".");
        AppendText(dst, cbDst, fallback);
        return;
    }
    while (trim && cch > 0 && (text[cch - 1] == '\r' || text[cch - 1] == '\n' || text[cch - 1] == ' '))
        text[--cch] = '\0';
    AppendText(dst, cbDst, text);
    sys.LocalFree(text);
}

void ReportSystemError(Talk talk, std::uint32_t number, const char *code)
{
    if (number == 0)
        return;
    char text[512] = "";
    AppendSystemText(text, sizeof text, number, false);
    ReportError(talk, text, code);
}

void ReportWithSystemText(Talk talk, const char *what, std::uint32_t number, const char *code)
{
    char text[512];
    CopyText(text, sizeof text, what);
    if (number != 0) {
        AppendText(text, sizeof text, "  ");
        AppendSystemText(text, sizeof text, number, true);
    }
    ReportError(talk, text, code);
}

// "Unable to write NAME." and, unless number is 0, two blanks and the system's text for it.
static void FileErrorText(char *text, std::size_t cbText, const char *fileName,
                          std::uint32_t number)
{
    CopyText(text, cbText, "Unable to write ");
    AppendText(text, cbText, fileName);
    AppendText(text, cbText, ".");
    if (number != 0) {
        AppendText(text, cbText, "  ");
        AppendSystemText(text, cbText, number, true);
    }
}

void ReportFileError(Talk talk, const char *fileName, std::uint32_t number, const char *code)
{
    char text[512];
    FileErrorText(text, sizeof text, fileName, number);
    AppendText(text, sizeof text, "  Installation aborted.");
    ReportError(talk, text, code);
}

void LogFileError(const char *fileName, std::uint32_t number)
{
    char text[512];
    FileErrorText(text, sizeof text, fileName, number);
    LogLine({text});
}
