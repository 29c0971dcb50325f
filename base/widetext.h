// Text the system hands over in UTF-16, as the programs' 8-bit text. Where
// the system honours the programs' manifests, that is UTF-8 and every
// character has a form. On older systems it is the system's code page, and
// the A functions would hand over a neighbour of a character the code page
// lacks ("Lodz" for "Łódź", "?" for "田"): a path that names another folder
// than the one meant. So the programs take such text in UTF-16 and convert
// it themselves, never with a neighbour. Each program calls these through
// its own call table.
#pragma once
#include "base/pathtext.h"
#include "base/win.h"

enum class Conversion { kExact, kMarked, kTooLong };

// Converts wide into text (cbText bytes) in the program's code page:
// kExact; kMarked where a character has no form there (it became '?',
// which no folder name may hold, never a neighbour); kTooLong, with text
// empty, where it does not fit: nothing is cut.
template <typename Calls>
Conversion AnsiFromWide(const Calls &calls, const WCHAR *wide, char *text, std::size_t cbText)
{
    // UTF-8 holds every character; WideCharToMultiByte refuses the best-fit
    // flag and the default-character report for it.
    UINT codePage = calls.GetACP();
    bool utf8 = codePage == CP_UTF8;
    BOOL usedDefault = FALSE;
    int cb = calls.WideCharToMultiByte(codePage, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide, -1, text,
                                       static_cast<int>(cbText), nullptr,
                                       utf8 ? nullptr : &usedDefault);
    if (cb == 0) {
        text[0] = '\0';
        return Conversion::kTooLong;
    }
    return usedDefault ? Conversion::kMarked : Conversion::kExact;
}

// The program's command line into line (cbLine bytes), converted as above:
// a character the code page lacks becomes '?'. Null where it does not fit:
// never the system's own 8-bit form, with neighbours for what its code page
// lacks. The programs refuse such a line as one they do not understand.
template <typename Calls> const char *CommandLineText(const Calls &calls, char *line, std::size_t cbLine)
{
    return AnsiFromWide(calls, calls.GetCommandLineW(), line, cbLine) == Conversion::kTooLong
               ? nullptr
               : line;
}

// The running program's own file into path (cbPath bytes), asked in UTF-16
// and converted exactly. False, with path empty, when it cannot be told,
// was cut short, or does not convert exactly.
template <typename Calls> bool ModuleFileText(const Calls &calls, char *path, std::size_t cbPath)
{
    WCHAR wide[kCbPath];
    DWORD cch = calls.GetModuleFileNameW(nullptr, wide, kCbPath);
    if (cch == 0 || cch >= kCbPath || AnsiFromWide(calls, wide, path, cbPath) != Conversion::kExact) {
        path[0] = '\0';
        return false;
    }
    return true;
}

// text in UTF-16 into wide (cchWide units), for the screen or a comparison;
// where it does not convert (or is too long), byte by byte as far as it
// fits, which keeps the messages' own text, all ASCII, whole.
template <typename Calls>
void WidenForDisplay(const Calls &calls, const char *text, WCHAR *wide, int cchWide)
{
    if (calls.MultiByteToWideChar(CP_ACP, 0, text, -1, wide, cchWide) != 0)
        return;
    int i = 0;
    for (; text[i] != '\0' && i + 1 < cchWide; ++i)
        wide[i] = static_cast<unsigned char>(text[i]);
    wide[i] = 0;
}

// Shows text in a message box captioned caption, both converted from the
// program's code page to UTF-16: the 8-bit box draws in the system's code
// page, whatever the program's. Texts longer than the box's buffers are
// cut at a character. Returns the answer.
template <typename Calls>
int ShowMessageBox(const Calls &calls, HWND owner, const char *text, const char *caption, UINT type)
{
    WCHAR wideText[4096], wideCaption[256];
    WidenForDisplay(calls, text, wideText, 4096);
    WidenForDisplay(calls, caption, wideCaption, 256);
    return calls.MessageBoxW(owner, wideText, wideCaption, type);
}

// Whether the paths a and b (the program's code page) name the same file or
// whether path lies in folder, compared as the file system compares names:
// ordinal on UTF-16, ignoring case, whole characters (never a byte of a
// double-byte character taken for a backslash). Text that does not convert
// is compared byte for byte (see WidenForDisplay), so that the same text is
// always the same path. False for an empty folder.
template <typename Calls> bool IsWithinFolderText(const Calls &calls, const char *path, const char *folder)
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

template <typename Calls> bool IsSamePathText(const Calls &calls, const char *a, const char *b)
{
    WCHAR wideA[kCbPath], wideB[kCbPath];
    WidenForDisplay(calls, a, wideA, kCbPath);
    WidenForDisplay(calls, b, wideB, kCbPath);
    return calls.CompareStringOrdinal(wideA, -1, wideB, -1, TRUE) == CSTR_EQUAL;
}
