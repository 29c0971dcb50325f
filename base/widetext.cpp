// Text the system hands over in UTF-16, converted exactly to the programs'
// 8-bit text, and 8-bit text widened for the screen and for comparisons.
#include "base/widetext.h"


Conversion AnsiFromWide(const SharedCalls &calls, const WCHAR *wide, char *text, std::size_t cbText)
{
    // For UTF-8 WideCharToMultiByte refuses the best-fit flag and the default-character report, and
    // puts U+FFFD for an unpaired surrogate without failing unless told WC_ERR_INVALID_CHARS.
    UINT codePage = calls.GetACP();
    bool utf8 = codePage == CP_UTF8;
    BOOL usedDefault = FALSE;
    int cb = calls.WideCharToMultiByte(codePage, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS,
                                       wide, -1, text,
                                       static_cast<int>(cbText), nullptr,
                                       utf8 ? nullptr : &usedDefault);
    if (cb == 0) {
        text[0] = '\0';
        return Conversion::kTooLong;
    }
    return usedDefault ? Conversion::kMarked : Conversion::kExact;
}

const char *CommandLineText(const SharedCalls &calls, char *line, std::size_t cbLine)
{
    return AnsiFromWide(calls, calls.GetCommandLineW(), line, cbLine) == Conversion::kTooLong
               ? nullptr
               : line;
}

bool FullPathText(const SharedCalls &calls, const char *path, char *full)
{
    WCHAR wide[kCbPath], resolved[kCbPath];
    DWORD cch = 0;
    if (calls.MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, wide, kCbPath) == 0 ||
        (cch = calls.GetFullPathNameW(wide, kCbPath, resolved, nullptr)) == 0 || cch >= kCbPath ||
        AnsiFromWide(calls, resolved, full, kCbPath) != Conversion::kExact) {
        full[0] = '\0';
        return false;
    }
    return true;
}

bool ModuleFileText(const SharedCalls &calls, char *path, std::size_t cbPath)
{
    WCHAR wide[kCbPath];
    DWORD cch = calls.GetModuleFileNameW(nullptr, wide, kCbPath);
    if (cch == 0 || cch >= kCbPath || AnsiFromWide(calls, wide, path, cbPath) != Conversion::kExact) {
        path[0] = '\0';
        return false;
    }
    return true;
}

void NarrowForDisplay(const SharedCalls &calls, const WCHAR *wide, char *text, std::size_t cbText)
{
    if (AnsiFromWide(calls, wide, text, cbText) != Conversion::kTooLong)
        return;
    std::size_t cb = 0;
    for (; wide[cb] != 0 && cb + 1 < cbText; ++cb)
        text[cb] = wide[cb] < 0x80 ? static_cast<char>(wide[cb]) : '?';
    text[cb] = '\0';
}

void WidenForDisplay(const SharedCalls &calls, const char *text, WCHAR *wide, int cchWide)
{
    if (calls.MultiByteToWideChar(CP_ACP, 0, text, -1, wide, cchWide) != 0)
        return;
    int i = 0;
    for (; text[i] != '\0' && i + 1 < cchWide; ++i)
        wide[i] = static_cast<unsigned char>(text[i]);
    wide[i] = 0;
}

int ShowMessageBox(const SharedCalls &calls, HWND owner, const char *text, const char *caption, UINT type)
{
    WCHAR wideText[4096], wideCaption[256];
    WidenForDisplay(calls, text, wideText, 4096);
    WidenForDisplay(calls, caption, wideCaption, 256);
    return calls.MessageBoxW(owner, wideText, wideCaption, type);
}

bool IsWithinFolderText(const SharedCalls &calls, const char *path, const char *folder)
{
    WCHAR widePath[kCbPath], wideFolder[kCbPath];
    WidenForDisplay(calls, path, widePath, kCbPath);
    WidenForDisplay(calls, folder, wideFolder, kCbPath);
    int cchPath = 0, cchFolder = 0;
    while (widePath[cchPath] != 0)
        ++cchPath;
    while (wideFolder[cchFolder] != 0)
        ++cchFolder;
    while (cchFolder > 0 && wideFolder[cchFolder - 1] == L'\\')
        --cchFolder;
    return cchFolder > 0 && cchPath >= cchFolder &&
           calls.CompareStringOrdinal(widePath, cchFolder, wideFolder, cchFolder, TRUE) == CSTR_EQUAL &&
           (widePath[cchFolder] == 0 || widePath[cchFolder] == L'\\');
}

bool IsSamePathText(const SharedCalls &calls, const char *a, const char *b)
{
    WCHAR wideA[kCbPath], wideB[kCbPath];
    WidenForDisplay(calls, a, wideA, kCbPath);
    WidenForDisplay(calls, b, wideB, kCbPath);
    return calls.CompareStringOrdinal(wideA, -1, wideB, -1, TRUE) == CSTR_EQUAL;
}
