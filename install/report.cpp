// Error and system-error message boxes.
#include "install/report.h"

#include "base/logfile.h"
#include "base/pathtext.h"
#include "base/product.h"
#include "install/syscalls.h"
#include "base/widetext.h"
#include "resources/resource.h"

#include <commctrl.h>

#include <cstring>

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

void ReportNotice(Talk talk, HWND owner, std::initializer_list<const char *> parts)
{
    char text[kCbPath + 512] = "";
    for (const char *part : parts)
        AppendText(text, sizeof text, part);
    LogLine({text});
    if (talk == Talk::kWindows)
        ShowMessageBox(sys, owner, text, kProductName, MB_OK | MB_ICONINFORMATION);
}

void StartProgress(HWND progress, int steps)
{
    if (!progress)
        return;
    sys.SendDlgItemMessageA(progress, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, steps);
    sys.SendDlgItemMessageA(progress, IDC_PROGRESS_BAR, PBM_SETSTEP, 1, 0);
    StepDone(nullptr);  // shown, and painted, before the first step
}

void StepDone(HWND progress)
{
    if (progress)
        sys.SendDlgItemMessageA(progress, IDC_PROGRESS_BAR, PBM_STEPIT, 0, 0);
    MSG msg;
    while (sys.PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {  // for the loop that asked for it, not this one
            sys.PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (progress && sys.IsDialogMessageW(progress, &msg))
            continue;
        sys.TranslateMessage(&msg);
        sys.DispatchMessageW(&msg);
    }
}

// Appends the system's text for number to dst (without its closing line break when trim is set):
// asked in UTF-16, in US English first (a language pack other than the system's locale would give
// text that the 8-bit forms turn into question marks), else in the default language; "System error
// N." when the system has none. (printf is kept out of the executable: it would be most of its size.)
static void AppendSystemText(char *dst, std::size_t cbDst, std::uint32_t number, bool trim)
{
    WCHAR *text = nullptr;
    DWORD cch = 0;
    for (LANGID language : {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                            MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT)})
        if (cch == 0 || !text)
            cch = sys.FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM,
                                     nullptr, number, language, reinterpret_cast<WCHAR *>(&text),
                                     0, nullptr);
    char converted[512];
    if (cch == 0 || text == nullptr ||
        AnsiFromWide(sys, text, converted, sizeof converted) == Conversion::kTooLong) {
        if (text)
            sys.LocalFree(text);
        char fallback[48] = "System error ";
        AppendDecimal(fallback, sizeof fallback, number, false);
        AppendText(fallback, sizeof fallback, ".");
        AppendText(dst, cbDst, fallback);
        return;
    }
    sys.LocalFree(text);
    std::size_t cb = std::strlen(converted);
    while (trim && cb > 0 && (converted[cb - 1] == '\r' || converted[cb - 1] == '\n' ||
                              converted[cb - 1] == ' '))
        converted[--cb] = '\0';
    AppendText(dst, cbDst, converted);
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
