// The run's log: made new under a random name, renamed into place, written line by line in UTF-8.
#include "base/logfile.h"

#include "base/heldfolder.h"
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
// temp folder, %WINDIR%\Temp), or hold it open; and a level of its folder's name may be a junction
// that a user can re-point at any moment (to an object-manager link, say), so that a second lookup
// of the name reaches another file. So the folder is held (HoldFolder: no link at any level, its
// final path the one named, a network share aside, and no level above it can be renamed while the
// handle is open); the log is created new under a random name in it (NAME.<16 hex digits>,
// CREATE_NEW, which no existing name passes), checked through its handle to lie in the held
// folder, and renamed over its name through that handle, relative to the held folder: no level of
// the folder's name is looked up again. The rename replaces whatever is at the name (a link
// itself, never what it points to). NtSetInformationFile takes the folder's handle as the root of
// the new name, as the native call always has; SetFileInformationByHandle was long documented to
// want none there, and Wine refuses a relative name through it.
// Holds the folder of the full path (the text before its last separator) in *held, *name its file
// name within. False, nothing held, where it is no folder that can be held.
static bool HoldLogFolder(const SharedCalls &calls, const char *path, HANDLE *held, const char **name)
{
    const char *separator = FindLastSeparator(path);
    if (!separator || separator[1] == '\0')
        return false;
    *name = separator + 1;
    std::size_t cch = static_cast<std::size_t>(separator - path);
    char parent[kCbPath], directory[kCbPath];
    std::memcpy(parent, path, cch);
    parent[cch] = '\0';
    DWORD error = 0;
    return DirectoryPath(directory, sizeof directory, parent) &&
           HoldFolder(calls, directory, held, &error, true) == FolderHold::kHeld;
}

// Whether the file open as file lies directly in the folder open as held, by their final paths.
static bool LiesIn(const SharedCalls &calls, HANDLE file, HANDLE held)
{
    WCHAR inner[kCbPath + 8], outer[kCbPath + 8];
    DWORD cchInner = calls.GetFinalPathNameByHandleW(file, inner, kCbPath + 8, FILE_NAME_NORMALIZED);
    DWORD cchOuter = calls.GetFinalPathNameByHandleW(held, outer, kCbPath + 8, FILE_NAME_NORMALIZED);
    if (cchInner == 0 || cchInner >= kCbPath + 8 || cchOuter == 0 || cchOuter >= kCbPath + 8)
        return false;
    if (outer[cchOuter - 1] == L'\\')
        --cchOuter;  // a drive's root
    DWORD cchParent = cchInner;
    while (cchParent > 0 && inner[cchParent - 1] != L'\\')
        --cchParent;
    return cchParent == cchOuter + 1 &&
           calls.CompareStringOrdinal(inner, static_cast<int>(cchOuter), outer,
                                      static_cast<int>(cchOuter), TRUE) == CSTR_EQUAL;
}

// Renames the log open as file to name in the held folder, through the handle and relative to the
// folder's handle, replacing what is there. False (the log keeps its name) where that fails.
static bool RenameLog(const SharedCalls &calls, HANDLE file, HANDLE held, const char *name)
{
    union {
        FILE_RENAME_INFORMATION info;
        BYTE bytes[sizeof(FILE_RENAME_INFORMATION) + kCchPath * sizeof(WCHAR)];
    } rename = {};
    int cch = calls.MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, -1, rename.info.FileName,
                                        kCchPath);
    if (cch <= 1)
        return false;
    rename.info.ReplaceIfExists = TRUE;
    rename.info.RootDirectory = held;
    rename.info.FileNameLength = static_cast<ULONG>(cch - 1) * sizeof(WCHAR);
    IO_STATUS_BLOCK io;
    return NT_SUCCESS(calls.NtSetInformationFile(file, &io, &rename.info, sizeof rename,
                                                 FileRenameInformation));
}

// Creates the log new under a random name beside path in the held folder and makes it the open
// log. False, with no log and nothing left behind, when it cannot be made or does not lie there.
static bool CreateFreshLog(const SharedCalls &calls, HANDLE held, const char *path)
{
    char fresh[kCbPath];
    if (!CopyText(fresh, sizeof fresh, path) || !AppendText(fresh, sizeof fresh, ".") ||
        !AppendRandomHex(calls, fresh, sizeof fresh))
        return false;
    HANDLE file = calls.CreateFileA(fresh, GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    if (!LiesIn(calls, file, held)) {
        FILE_DISPOSITION_INFO gone = {TRUE};
        calls.SetFileInformationByHandle(file, FileDispositionInfo, &gone, sizeof gone);
        calls.CloseHandle(file);
        return false;
    }
    // A byte-order mark first: Windows PowerShell 5.1 and common log viewers read a file without
    // one in the system's code page, and a name beyond ASCII would come out garbled.
    DWORD written = 0;
    calls.WriteFile(file, "\xEF\xBB\xBF", 3, &written, nullptr);
    UseLogFile(calls, file);
    return true;
}

void OpenLogFile(const SharedCalls &calls, const char *path)
{
    char full[kCbPath];
    HANDLE held = nullptr;
    const char *name = nullptr;
    if (!FullPathText(calls, path, full) || !HoldLogFolder(calls, full, &held, &name))
        return;
    if (CreateFreshLog(calls, held, full))
        RenameLog(calls, g_logFile, held, name);
    calls.CloseHandle(held);
}

// The default log in the temp folder, made as above; where its name cannot be taken, the next
// numbered one is tried (name-2.ext, ...); where none can, the log keeps its random name.
static void OpenDefaultLogFile(const SharedCalls &calls, const char *defaultName)
{
    char temp[kCbPath], name[kCbPath], path[kCbPath];
    HANDLE held = nullptr;
    const char *ignored = nullptr;
    bool fellBack = false;
    if (!FindTempFolderOrWindows(calls, false, temp, &fellBack) ||
        !JoinPath(path, sizeof path, temp, defaultName) || !HoldLogFolder(calls, path, &held, &ignored))
        return;
    const char *dot = std::strrchr(defaultName, '.');
    std::size_t cchStem = dot ? static_cast<std::size_t>(dot - defaultName) : std::strlen(defaultName);
    for (unsigned n = 1; n <= kLogNameTries && (n > 1 || CreateFreshLog(calls, held, path)); ++n) {
        std::memcpy(name, defaultName, cchStem);
        name[cchStem] = '\0';
        if ((n > 1 && (!AppendText(name, sizeof name, "-") ||
                       !AppendDecimal(name, sizeof name, n, false))) ||
            !AppendText(name, sizeof name, defaultName + cchStem) ||
            RenameLog(calls, g_logFile, held, name))
            break;
    }
    if (fellBack)
        LogTempFallback(temp);
    calls.CloseHandle(held);
}

void OpenRunLog(const SharedCalls &calls, const char *given, const RunMode &mode,
                const char *defaultName)
{
    if (given[0] != '\0')
        OpenLogFile(calls, given);
    else if (WritesDefaultLog(mode))
        OpenDefaultLogFile(calls, defaultName);
}

// The local time with its offset from UTC, as ISO 8601 writes it ("2026-12-11T16:05:01.250+01:00")
// and a blank, into text (at least 32 bytes): a log read later, on another machine or beside an
// event log, says when. Without the time zone, the time alone.
static void LogTime(const SharedCalls &calls, char *text)
{
    SYSTEMTIME now;
    calls.GetLocalTime(&now);
    TIME_ZONE_INFORMATION zone;
    DWORD which = calls.GetTimeZoneInformation(&zone);
    LONG bias = zone.Bias + (which == TIME_ZONE_ID_DAYLIGHT   ? zone.DaylightBias
                             : which == TIME_ZONE_ID_STANDARD ? zone.StandardBias
                                                              : 0);
    unsigned offset = static_cast<unsigned>(bias < 0 ? -bias : bias);
    const struct {
        unsigned value, digits;
        char after;
    } fields[] = {{now.wYear, 4, '-'},   {now.wMonth, 2, '-'},  {now.wDay, 2, 'T'},
                  {now.wHour, 2, ':'},   {now.wMinute, 2, ':'}, {now.wSecond, 2, '.'},
                  {now.wMilliseconds, 3, bias <= 0 ? '+' : '-'}, {offset / 60, 2, ':'},
                  {offset % 60, 2, ' '}};
    char *p = text;
    for (const auto &field : fields) {
        if (which == TIME_ZONE_ID_INVALID && &field == &fields[7]) {
            p[-1] = ' ';
            break;
        }
        for (unsigned i = field.digits, v = field.value; i > 0; --i, v /= 10)
            p[i - 1] = static_cast<char>('0' + v % 10);
        p += field.digits;
        *p++ = field.after;
    }
    *p = '\0';
}

// Writes cbText bytes of text in the program's code page to the log as UTF-8.
static void WriteLogText(const SharedCalls &calls, UINT codePage, const char *text,
                         std::size_t cbText)
{
    DWORD written;
    if (codePage == CP_UTF8) {
        calls.WriteFile(g_logFile, text, static_cast<DWORD>(cbText), &written, nullptr);
        return;
    }
    constexpr std::size_t kCbPiece = 512;
    while (cbText > 0) {
        // A piece ends on a character's end: never between the two
        // bytes of a double-byte character.
        std::size_t cbPiece = 0;
        while (cbPiece < cbText && cbPiece < kCbPiece)
            cbPiece += IsLeadByte(codePage, static_cast<unsigned char>(text[cbPiece])) &&
                               cbPiece + 1 < cbText
                           ? 2
                           : 1;
        WCHAR wide[kCbPiece + 2];
        char converted[3 * (kCbPiece + 2)];
        int cch = calls.MultiByteToWideChar(codePage, 0, text, static_cast<int>(cbPiece), wide,
                                            kCbPiece + 2);
        int cb = cch > 0 ? calls.WideCharToMultiByte(CP_UTF8, 0, wide, cch, converted,
                                                     sizeof converted, nullptr, nullptr)
                         : 0;
        if (cb > 0)
            calls.WriteFile(g_logFile, converted, static_cast<DWORD>(cb), &written, nullptr);
        text += cbPiece;
        cbText -= cbPiece;
    }
}

void LogLine(std::initializer_list<const char *> parts)
{
    if (!g_logFile)
        return;
    const SharedCalls &calls = *s_logCalls;
    UINT codePage = calls.GetACP();
    char time[40];
    LogTime(calls, time);
    // Every line begins with the time, also each line of a text of several (the usage, a list).
    WriteLogText(calls, CP_UTF8, time, std::strlen(time));
    for (const char *part : parts) {
        for (const char *p = part; *p != '\0';) {
            const char *lineEnd = std::strchr(p, '\n');
            std::size_t cb = lineEnd ? static_cast<std::size_t>(lineEnd + 1 - p) : std::strlen(p);
            WriteLogText(calls, codePage, p, cb);
            p += cb;
            if (lineEnd)
                WriteLogText(calls, CP_UTF8, time, std::strlen(time));
        }
    }
    DWORD written;
    calls.WriteFile(g_logFile, "\r\n", 2, &written, nullptr);
}

int ShowLoggedBox(const SharedCalls &calls, HWND owner, const char *text, const char *caption,
                  UINT type)
{
    int answer = ShowMessageBox(calls, owner, text, caption, type);
    if ((type & MB_TYPEMASK) == MB_YESNO)
        LogLine({"Asked \"", text, "\": ", answer == IDYES ? "Yes" : "No"});
    return answer;
}

void LogTempFallback(const char *folder)
{
    LogLine({"The temp folder has no name that this program can use (none, too long, or beyond "
             "this system's code page): ", folder, " instead"});
}

void HandOverLog()
{
    if (g_logFile)
        s_logCalls->CloseHandle(g_logFile);
    g_logFile = nullptr;
}

void CloseLogFile(int exitCode)
{
    LogLine({"Exit code ", DecimalText(static_cast<unsigned>(exitCode)).text});
    if (g_logFile)
        s_logCalls->CloseHandle(g_logFile);
    g_logFile = nullptr;
}
