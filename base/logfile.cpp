// The run's log: made new under a random name, renamed into place, written line by line in UTF-8.
#include "base/logfile.h"

#include "base/pathtext.h"
#include "base/widetext.h"
#include "base/workfolder.h"

#include <cstring>

HANDLE g_logFile;
static const SharedCalls *s_logCalls;  // the table of the program that opened it

void UseLogFile(const SharedCalls &calls, HANDLE file)
{
    g_logFile = file;
    s_logCalls = &calls;
}

// How many names a default log tries: QuillarixSetup.log, then QuillarixSetup-2.log and on.
static constexpr unsigned kLogNameTries = 99;

// A log lives where users may have put a file, or a link to any file, at its name beforehand (a
// temp folder, %WINDIR%\Temp), or hold it open. So it is never opened through a name that exists:
// it is created new under a random name beside path (path.<16 hex digits>, CREATE_NEW) into fresh
// (kCbPath bytes) and becomes the open log; the caller renames it over the name meant, which
// replaces whatever is there (a link itself, never what it points to; deleting it first would
// follow a link under Wine). False, with no log, when it cannot be made.
static bool CreateFreshLog(const SharedCalls &calls, const char *path, char *fresh)
{
    if (!CopyText(fresh, kCbPath, path) || !AppendText(fresh, kCbPath, ".") ||
        !AppendRandomHex(calls, fresh, kCbPath))
        return false;
    HANDLE file = calls.CreateFileA(fresh, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    UseLogFile(calls, file);
    return true;
}

void OpenLogFile(const SharedCalls &calls, const char *path)
{
    char fresh[kCbPath];
    if (path[0] != '\0' && CreateFreshLog(calls, path, fresh))
        calls.MoveFileExA(fresh, path, MOVEFILE_REPLACE_EXISTING);
}

// The default log in the temp folder, made as above; where its name cannot be taken, the next
// numbered one is tried (name-2.ext, ...); where none can, the log keeps its random name. It is
// written through the handle that created it.
static void OpenDefaultLogFile(const SharedCalls &calls, const char *defaultName)
{
    char temp[kCbPath], name[kCbPath], fresh[kCbPath], path[kCbPath];
    if (!FindTempFolderText(calls, false, temp) || !JoinPath(path, sizeof path, temp, defaultName) ||
        !CreateFreshLog(calls, path, fresh))
        return;
    const char *dot = std::strrchr(defaultName, '.');
    std::size_t cchStem = dot ? static_cast<std::size_t>(dot - defaultName) : std::strlen(defaultName);
    for (unsigned n = 1; n <= kLogNameTries; ++n) {
        std::memcpy(name, defaultName, cchStem);
        name[cchStem] = '\0';
        if ((n > 1 && (!AppendText(name, sizeof name, "-") ||
                       !AppendDecimal(name, sizeof name, n, false))) ||
            !AppendText(name, sizeof name, defaultName + cchStem) ||
            !JoinPath(path, sizeof path, temp, name))
            return;
        if (calls.MoveFileExA(fresh, path, MOVEFILE_REPLACE_EXISTING))
            return;
    }
}

void OpenRunLog(const SharedCalls &calls, const char *given, bool silent, const char *defaultName)
{
    if (given[0] != '\0')
        OpenLogFile(calls, given);
    else if (silent)
        OpenDefaultLogFile(calls, defaultName);
}

void LogLine(std::initializer_list<const char *> parts)
{
    if (!g_logFile)
        return;
    const SharedCalls &calls = *s_logCalls;
    UINT codePage = calls.GetACP();
    DWORD written;
    for (const char *part : parts) {
        std::size_t cbPart = std::strlen(part);
        if (codePage == CP_UTF8) {
            calls.WriteFile(g_logFile, part, static_cast<DWORD>(cbPart), &written, nullptr);
            continue;
        }
        constexpr std::size_t kCbPiece = 512;
        while (cbPart > 0) {
            // A piece ends on a character's end: never between the two
            // bytes of a double-byte character.
            std::size_t cbPiece = 0;
            while (cbPiece < cbPart && cbPiece < kCbPiece)
                cbPiece += IsLeadByte(codePage, static_cast<unsigned char>(part[cbPiece])) &&
                                   cbPiece + 1 < cbPart
                               ? 2
                               : 1;
            WCHAR wide[kCbPiece + 2];
            char converted[3 * (kCbPiece + 2)];
            int cch = calls.MultiByteToWideChar(codePage, 0, part, static_cast<int>(cbPiece), wide,
                                                kCbPiece + 2);
            int cb = cch > 0 ? calls.WideCharToMultiByte(CP_UTF8, 0, wide, cch, converted,
                                                         sizeof converted, nullptr, nullptr)
                             : 0;
            if (cb > 0)
                calls.WriteFile(g_logFile, converted, static_cast<DWORD>(cb), &written, nullptr);
            part += cbPiece;
            cbPart -= cbPiece;
        }
    }
    calls.WriteFile(g_logFile, "\r\n", 2, &written, nullptr);
}

void CloseLogFile(int exitCode)
{
    LogLine({"Exit code ", DecimalText(static_cast<unsigned>(exitCode)).text});
    if (g_logFile)
        s_logCalls->CloseHandle(g_logFile);
    g_logFile = nullptr;
}
