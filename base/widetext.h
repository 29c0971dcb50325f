// Text the system hands over in UTF-16, as the programs' 8-bit text. Where
// the system honours the programs' manifests, that is UTF-8 and every
// character has a form. On older systems it is the system's code page, and
// the A functions would hand over a neighbour of a character the code page
// lacks ("Lodz" for "Łódź", "?" for "田"): a path that names another folder
// than the one meant. So the programs take such text in UTF-16 and convert
// it themselves, never with a neighbour. Each program calls these through
// its own call table.
#pragma once
#include "base/libraries.h"
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

// The temp folder into folder (kCbPath bytes), with its trailing backslash:
// where systemTemp is set, GetTempPath2W where the system has it (looked
// up, since older systems and Wine lack it; under SYSTEM it gives a folder
// only SYSTEM can use); else GetTempPathW, the user's %TEMP%. False, with
// folder empty, when there is none, it does not fit, or the code page
// cannot name it.
template <typename Calls> bool FindTempFolderText(const Calls &calls, bool systemTemp, char *folder)
{
    using GetTempPath2Fn = DWORD(WINAPI *)(DWORD, LPWSTR);
    GetTempPath2Fn getTempPath2 =
        systemTemp ? ImportedEntry<GetTempPath2Fn>(calls, "KERNEL32.DLL", "GetTempPath2W") : nullptr;
    WCHAR wide[kCbPath];
    DWORD cch = getTempPath2 ? getTempPath2(kCbPath, wide) : calls.GetTempPathW(kCbPath, wide);
    if (cch == 0 || cch >= kCbPath ||
        AnsiFromWide(calls, wide, folder, kCbPath) != Conversion::kExact) {
        folder[0] = '\0';
        return false;
    }
    return true;
}

// The program's command line into line (cbLine bytes), converted as above:
// a character the code page lacks becomes '?'. Where it does not fit, the
// system's own 8-bit form.
template <typename Calls> const char *CommandLineText(const Calls &calls, char *line, std::size_t cbLine)
{
    return AnsiFromWide(calls, calls.GetCommandLineW(), line, cbLine) == Conversion::kTooLong
               ? calls.GetCommandLineA()
               : line;
}
