// Error and system-error message boxes.
#include "base/report.h"

#include "base/pathtext.h"
#include "base/syscalls.h"


void ReportError(const char *text, const char *code)
{
    char caption[kCbPath] = "ERROR ";
    AppendText(caption, sizeof caption, code);
    sys.MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR);
}

void ReportSystemError(std::uint32_t number, const char *code)
{
    if (number == 0)
        return;
    char *text = nullptr;
    DWORD cch = sys.FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, number,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char *>(&text), 0, nullptr);
    if (cch == 0 || text == nullptr) {
        // "System error " + decimal number + "."; printf is kept out of the
        // executable, it would be most of its size.
        char digits[12];
        char *p = digits + sizeof digits;
        *--p = '\0';
        do {
            *--p = static_cast<char>('0' + number % 10);
            number /= 10;
        } while (number != 0);
        char fallback[48] = "System error ";
        AppendText(fallback, sizeof fallback, p);
        AppendText(fallback, sizeof fallback, ".");
        ReportError(fallback, code);
        return;
    }
    ReportError(text, code);
    sys.LocalFree(text);
}
