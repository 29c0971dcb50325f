// The counting and failing layer that the fault-injection sweeps put over a
// call table (the setup's `sys`, the uninstaller's `usys`): every entry is
// wrapped so that its calls are counted, the chosen call fails the way the
// real call fails, and what the program takes (files, keys, libraries, item
// lists, GDI objects, heap blocks, system texts, COM references) and gives
// back is counted. The entries are known by their names, whichever table
// they sit in.
#pragma once
#include "winhelpers.h"

// The wrappers take the entries' types, attributes (format, malloc) dropped.
#pragma GCC diagnostic ignored "-Wignored-attributes"

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

namespace sweep {

// What each kind of resource is, and how many of it are held.
enum Held {
    kFiles, kKeys, kLzFiles, kLibraries, kItemLists, kGdiObjects, kHeapBlocks, kSystemTexts,
    kInterfaces, kSearches, kHeldCount
};
extern const char *const kHeldNames[kHeldCount];
extern int g_held[kHeldCount];
extern std::string g_trace;    // opens that found a file still held: a leak
extern int g_objectsCreated;   // shell link objects made, to show the counting sees them

// " 2 files held; 1 registry keys held;" for what is still held, "" if nothing.
std::string HeldNow();
void ResetCounts();

// An entry's name as a template argument.
template <std::size_t N> struct EntryName {
    char text[N];
    consteval EntryName(const char (&name)[N])
    {
        for (std::size_t i = 0; i < N; ++i)
            text[i] = name[i];
    }
};

consteval bool Is(const char *a, const char *b)
{
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// How each entry fails, by name: every entry of a call table whose result is no BOOL must be named
// in one of these lists, or the sweep does not compile (a BOOL fails as FALSE). Entries that cannot
// fail, or whose failure nobody could see, are never failed.
template <std::size_t N> consteval bool Listed(const char *name, const char *const (&list)[N])
{
    for (const char *listed : list)
        if (Is(name, listed))
            return true;
    return false;
}
constexpr const char *kNeverFail[] = {
    "GetLastError", "SetLastError", "lstrlenA", "CompareStringOrdinal", "free", "LZClose", "ILFree",
    "PostQuitMessage", "DefWindowProcA", "ExitProcess", "GetModuleHandleA", "GetTickCount",
    "RtlNtStatusToDosError", "GetCurrentProcess", "GetACP", "GetCommandLineW", "GetLocalTime",
    "GetSysColor", "DispatchMessageW"};
// A null pointer, or 0, with the error set.
constexpr const char *kFailWithZero[] = {
    "GetWindowsDirectoryA", "GetSystemDirectoryA", "GetTempPathW", "GetModuleFileNameW",
    "GetLongPathNameW", "GetFinalPathNameByHandleW", "GetFullPathNameW", "LoadLibraryA",
    "GetProcAddress", "MultiByteToWideChar", "WideCharToMultiByte", "MessageBoxW", "OpenProcess",
    "GetWindowThreadProcessId", "SendMessageTimeoutW", "GetShellWindow", "SetFocus", "FindResourceA", "SizeofResource",
    "LoadResource", "LockResource", "GetFileVersionInfoSizeA", "FormatMessageW",
    "RegisterClassExA", "CreateWindowExA", "CreateDialogParamW", "GetDlgItem",
    "GetDlgItemTextW", "SendDlgItemMessageA", "SendMessageA", "FindWindowExA", "LoadImageA",
    "MonitorFromWindow", "GetPropA", "SetPropA", "RemovePropA", "SHBrowseForFolderW",
    "CreateSolidBrush", "CreatePen", "SelectObject", "Rectangle", "SetBkMode",
    "CreateFontIndirectA", "DeleteObject", "GetDC", "ReleaseDC", "GetDeviceCaps", "malloc",
    "CreateThread", "GetSystemMetrics", "LoadIconA", "LoadCursorA", "GetLogicalDrives",
    "CreateEventA", "CreateFileMappingA", "MapViewOfFile", "GetLongPathNameA",
    "GetEnvironmentVariableW"};
// A status: the error itself (the registry's and the Restart Manager's calls).
constexpr const char *kFailWithError[] = {
    "RegCreateKeyExA", "RegOpenKeyExA", "RegQueryValueExA", "RegSetValueExA", "RegQueryValueExW",
    "RegSetValueExW", "RegCloseKey", "RegDeleteKeyA", "RegDeleteValueA", "RegQueryInfoKeyA",
    "RmStartSession", "RmRegisterResources", "RmGetList", "RmShutdown", "RmEndSession"};
// An NTSTATUS that is an error.
constexpr const char *kFailWithNtStatus[] = {"NtCreateFile", "NtSetInformationFile",
                                             "BCryptGenRandom"};
// INVALID_HANDLE_VALUE with the error set.
constexpr const char *kFailWithInvalidHandle[] = {"CreateFileA", "CreateFileW", "FindFirstFileA",
                                                  "CreateToolhelp32Snapshot"};

// The ways a call on files fails besides access denied, as Windows gives them: once, or from the
// chosen call on (a disk that stays full, a program that keeps a file open); and a file that another
// program holds a moment (two sharing violations, then the call goes through).
inline constexpr int kForGood = 1 << 20;
struct FailKind {
    DWORD error;
    int times;  // calls failing from the chosen one
    const char *name;
};
inline constexpr FailKind kFileFailKinds[] = {
    {ERROR_SHARING_VIOLATION, 1, "sharing violation"},
    {ERROR_SHARING_VIOLATION, kForGood, "sharing violation for good"},
    {ERROR_FILE_NOT_FOUND, 1, "not found"},
    {ERROR_DISK_FULL, kForGood, "disk full for good"},
};
inline constexpr FailKind kHeldAMoment = {ERROR_SHARING_VIOLATION, 2, "held a moment"};
constexpr const char *kFileCalls[] = {
    "CreateFileA", "CreateFileW", "WriteFile", "DeleteFileA", "MoveFileExA", "CopyFileA",
    "CreateDirectoryA", "RemoveDirectoryA", "FindFirstFileA", "NtCreateFile",
    "NtSetInformationFile", "SetFileInformationByHandle", "_lcreat", "LZCopy"};

// The value a failing call returns, as the real call does on failure, with the error error.
template <EntryName E, typename R> R FailValue(DWORD error)
{
    constexpr const char *n = E.text;
    SetLastError(error);
    if constexpr (Listed(n, kFailWithError))
        return static_cast<R>(error);
    else if constexpr (Listed(n, kFailWithNtStatus))
        return static_cast<R>(error == ERROR_SHARING_VIOLATION ? 0xC0000043L    // SHARING_VIOLATION
                              : error == ERROR_FILE_NOT_FOUND  ? 0xC0000034L    // NAME_NOT_FOUND
                              : error == ERROR_DISK_FULL       ? 0xC000007FL    // DISK_FULL
                                                               : 0xC0000022L);  // ACCESS_DENIED
    else if constexpr (Listed(n, kFailWithInvalidHandle))
        return INVALID_HANDLE_VALUE;
    else if constexpr (Is(n, "SHGetSpecialFolderLocation") || Is(n, "SHGetKnownFolderIDList"))
        return HRESULT_FROM_WIN32(error);
    else if constexpr (Is(n, "_lcreat") || Is(n, "_lclose"))
        return HFILE_ERROR;
    else if constexpr (Is(n, "SetFilePointer"))
        return INVALID_SET_FILE_POINTER;
    else if constexpr (Is(n, "LZInit"))
        return LZERROR_BADINHANDLE;
    else if constexpr (Is(n, "LZCopy"))
        return LZERROR_READ;
    else if constexpr (Is(n, "GetFileAttributesA") || Is(n, "GetFileAttributesW"))
        return INVALID_FILE_ATTRIBUTES;
    else if constexpr (Is(n, "GetDriveTypeA"))
        return DRIVE_NO_ROOT_DIR;
    else if constexpr (Is(n, "DialogBoxParamW"))
        return -1;
    else if constexpr (Is(n, "WaitForSingleObject") || Is(n, "WaitForMultipleObjects"))
        return WAIT_FAILED;
    else if constexpr (Is(n, "GetTimeZoneInformation"))
        return TIME_ZONE_ID_INVALID;
    else if constexpr (Is(n, "SetTextColor"))
        return CLR_INVALID;
    else if constexpr (Is(n, "SetTextAlign"))
        return GDI_ERROR;
    else if constexpr (Is(n, "LocalFree"))
        return reinterpret_cast<HLOCAL>(1);  // failure gives the handle back
    else {
        static_assert(std::is_same_v<R, BOOL> || Listed(n, kFailWithZero) || Listed(n, kNeverFail),
                      "the sweep does not know how this entry fails: list it in sweep.h");
        return R{};  // FALSE, 0 or a null pointer
    }
}

// The kind of resource an entry takes when it succeeds, or gives back (a
// release counts whatever it returns: the program did what it could).
template <EntryName E> consteval int Takes()
{
    constexpr const char *n = E.text;
    if (Is(n, "CreateFileA") || Is(n, "CreateFileW") || Is(n, "OpenProcessToken") ||
        Is(n, "NtCreateFile") || Is(n, "CreateToolhelp32Snapshot") ||
        Is(n, "OpenProcess"))  // handles closed by CloseHandle
        return kFiles;
    if (Is(n, "FindFirstFileA"))
        return kSearches;
    if (Is(n, "RegCreateKeyExA") || Is(n, "RegOpenKeyExA"))
        return kKeys;
    if (Is(n, "_lcreat"))
        return kLzFiles;
    if (Is(n, "LoadLibraryA"))
        return kLibraries;
    if (Is(n, "SHBrowseForFolderW") || Is(n, "SHGetSpecialFolderLocation"))
        return kItemLists;
    if (Is(n, "CreateSolidBrush") || Is(n, "CreatePen") || Is(n, "CreateFontIndirectA") ||
        Is(n, "GetDC") || Is(n, "LoadImageA"))
        return kGdiObjects;
    if (Is(n, "malloc"))
        return kHeapBlocks;
    if (Is(n, "FormatMessageW") || Is(n, "ConvertStringSecurityDescriptorToSecurityDescriptorA") ||
        Is(n, "ConvertSecurityDescriptorToStringSecurityDescriptorA") ||
        Is(n, "ConvertSidToStringSidA"))
        return kSystemTexts;  // local memory, freed with LocalFree
    return -1;
}

template <EntryName E> consteval int Gives()
{
    constexpr const char *n = E.text;
    if (Is(n, "CloseHandle"))
        return kFiles;
    if (Is(n, "FindClose"))
        return kSearches;
    if (Is(n, "RegCloseKey"))
        return kKeys;
    if (Is(n, "_lclose") || Is(n, "LZClose"))  // LZClose closes the file under it
        return kLzFiles;
    if (Is(n, "FreeLibrary"))
        return kLibraries;
    if (Is(n, "ILFree"))
        return kItemLists;
    if (Is(n, "DeleteObject") || Is(n, "ReleaseDC") || Is(n, "DestroyIcon"))
        return kGdiObjects;
    if (Is(n, "free"))
        return kHeapBlocks;
    if (Is(n, "LocalFree"))
        return kSystemTexts;
    return -1;
}

template <EntryName E, typename R> bool TookSomething(R result)
{
    constexpr const char *n = E.text;
    if constexpr (Is(n, "CreateFileA") || Is(n, "CreateFileW") || Is(n, "FindFirstFileA") ||
                  Is(n, "CreateToolhelp32Snapshot"))
        return result != INVALID_HANDLE_VALUE && result != nullptr;
    else if constexpr (Is(n, "RegCreateKeyExA") || Is(n, "RegOpenKeyExA") ||
                       Is(n, "SHGetSpecialFolderLocation"))
        return result == 0;  // ERROR_SUCCESS, S_OK
    else if constexpr (Is(n, "NtCreateFile"))
        return result >= 0;  // NT_SUCCESS
    else if constexpr (Is(n, "_lcreat"))
        return result != HFILE_ERROR;
    else
        return result != R{};
}

template <EntryName E, typename R> void Track(R result)
{
    if constexpr (Takes<E>() >= 0)
        g_held[Takes<E>()] += TookSomething<E>(result);
    if constexpr (Gives<E>() >= 0)
        g_held[Gives<E>()] -= 1;
    // LZInit takes over the file handle it is given: LZClose closes it.
    if constexpr (Is(E.text, "LZInit")) {
        if (result >= 0) {
            g_held[kFiles] -= 1;
            g_held[kLzFiles] += 1;
        }
    }
}

// Releases returning nothing: freeing a null pointer gives nothing back.
template <EntryName E, typename A0> void TrackVoid(A0 first)
{
    if constexpr (Gives<E>() >= 0) {
        if constexpr (std::is_pointer_v<A0>)
            g_held[Gives<E>()] -= first != nullptr;
        else
            g_held[Gives<E>()] -= 1;
    }
}

// The state of the layer over one table: the table the wrappers call (the
// real functions with the test's fakes), the calls counted per entry, and
// the call chosen to fail.
template <typename Table> struct Layer {
    static inline Table below;
    static inline int calls[sizeof(Table) / sizeof(void *)];
    static inline int failEntry = -1;
    static inline int failAt = 0;
    static inline DWORD failError = ERROR_ACCESS_DENIED;
    static inline int failTimes = 1;  // calls failing from failAt on
    // The crash sweep's: every call in order (the entry of each), and the
    // call (counted from 1) at which the process ends on the spot.
    static inline std::vector<int> order;
    static inline int crashAt = 0;
};

// The exit code of a process that the crash sweep ended at its chosen call.
inline constexpr UINT kCrashedExitCode = 77;

// The wrapper of entry number I (named E, of function type Fn) of Table.
template <typename Table, int I, EntryName E, typename Fn, typename R, typename... A>
R CallThrough(A... args)
{
    using L = Layer<Table>;
    Fn below = reinterpret_cast<Fn>(reinterpret_cast<void **>(&L::below)[I]);
    L::order.push_back(I);
    if (L::crashAt == static_cast<int>(L::order.size()))
        TerminateProcess(GetCurrentProcess(), kCrashedExitCode);  // no clean-up at all
    int n = ++L::calls[I];
    if constexpr (std::is_void_v<R>) {
        below(args...);
        if constexpr (sizeof...(A) == 1)
            TrackVoid<E>(args...);
    } else {
        if (L::failEntry == I && n >= L::failAt && n - L::failAt < L::failTimes) {
            // A release that fails has nothing left to release: the
            // object is gone all the same (an invalid handle). So the
            // real release happens, and only its result is a failure.
            if constexpr (Gives<E>() >= 0)
                Track<E>(below(args...));
            return FailValue<E, R>(L::failError);
        }
        R result = below(args...);
        Track<E>(result);
        if constexpr (Is(E.text, "CreateFileA") || Is(E.text, "CreateFileW") ||
                      Is(E.text, "_lcreat")) {
            bool failed;
            if constexpr (Is(E.text, "_lcreat"))
                failed = result == HFILE_ERROR;
            else
                failed = result == INVALID_HANDLE_VALUE;
            // Nothing else holds the program's files during the sweep: a
            // sharing violation means an earlier open was never closed.
            if (failed && GetLastError() == ERROR_SHARING_VIOLATION)
                g_trace += std::string(" ") + E.text + "(" +
                           Utf8(std::get<0>(std::tuple<A...>(args...))) + ") shared;";
        }
        return result;
    }
}

// The wrapper as the entry's own type, calling convention included (the
// Win32 calls are __stdcall on i686, the C runtime's are not).
template <typename Table, int I, EntryName E, typename F> struct Wrap;
#define QLX_SWEEP_WRAPPER(CONVENTION)                                                   \
    template <typename Table, int I, EntryName E, typename R, typename... A>            \
    struct Wrap<Table, I, E, R(CONVENTION *)(A...)> {                                   \
        static R CONVENTION Call(A... args)                                             \
        {                                                                               \
            return CallThrough<Table, I, E, R(CONVENTION *)(A...), R, A...>(args...);  \
        }                                                                               \
    };
QLX_SWEEP_WRAPPER()
#if defined(__i386__)
QLX_SWEEP_WRAPPER(__stdcall)
#endif
#undef QLX_SWEEP_WRAPPER

// The layer over one call table, table, of type Table, which LIST lists: an enum of its entries'
// numbers (k_NAME, kEntryCount), their names, and InstallWrappers(), which puts a counting and
// failing wrapper in front of every entry.
#define QLX_SWEEP_ENTRY(name) k_##name,
#define QLX_SWEEP_LATE_ENTRY(library, name) k_##name,
#define QLX_SWEEP_NAME(name) #name,
#define QLX_SWEEP_LATE_NAME(library, name) #name,
#define QLX_SWEEP_WRAP(name)                                                                   \
    qlx_table.name = &sweep::Wrap<QlxTable, k_##name, #name, decltype(qlx_table.name)>::Call;
#define QLX_SWEEP_LATE_WRAP(library, name) QLX_SWEEP_WRAP(name)
#define QLX_SWEEP_LAYER(Table, LIST, table)                                                    \
    enum Entry { LIST(QLX_SWEEP_ENTRY, QLX_SWEEP_LATE_ENTRY) kEntryCount };                  \
    const char *const kEntryNames[] = {LIST(QLX_SWEEP_NAME, QLX_SWEEP_LATE_NAME)};           \
    void InstallWrappers()                                                                     \
    {                                                                                          \
        using QlxTable = Table;                                                                \
        Table &qlx_table = table;                                                              \
        sweep::Layer<Table>::below = table;                                                    \
        LIST(QLX_SWEEP_WRAP, QLX_SWEEP_LATE_WRAP)                                              \
    }

// False for entries whose calls cannot fail, or whose failure no caller
// could see (kNeverFail).
bool Sweepable(const char *entry);

// Whether entry is one of kFileCalls.
bool IsFileCall(const char *entry);

// Fails entry e of the layer L from its call k on, as kind says.
template <typename L> void FailFrom(int e, int k, const FailKind &kind)
{
    L::failEntry = e;
    L::failAt = k;
    L::failError = kind.error;
    L::failTimes = kind.times;
}
template <typename L> void FailNothing()
{
    FailFrom<L>(-1, 0, {ERROR_ACCESS_DENIED, 1, ""});
}

// Calls run(e, k) for the calls k = 1.. up to cap(e) of every entry e that
// the clean run made (calls[e] times) and is sweepable; QLX_SWEEP_ONLY=NAME
// in the environment sweeps that entry alone. Returns the entries swept.
template <typename Cap, typename Run>
int ForEachFailingCall(const char *const names[], int count, const int calls[], Cap cap, Run run)
{
    const char *only = std::getenv("QLX_SWEEP_ONLY");
    int entries = 0;
    for (int e = 0; e < count; ++e) {
        if (!Sweepable(names[e]) || calls[e] == 0 || (only && std::strcmp(only, names[e]) != 0))
            continue;
        ++entries;
        for (int k = 1; k <= calls[e] && k <= cap(e); ++k)
            run(e, k);
    }
    return entries;
}

// A GetProcAddress for the table's fake: hands out a CoCreateInstance whose
// shell link objects are wrapped in proxies that count each reference.
FARPROC WINAPI CountingGetProcAddress(HMODULE module, LPCSTR name);
// The counting CoCreateInstance itself (the real one until the setup looked
// it up); its shell links refuse the Set call named here (E_FAIL, with the
// call passed on all the same), as a link object refuses what it cannot take.
HRESULT WINAPI CountingCoCreateInstance(REFCLSID cls, LPUNKNOWN outer, DWORD context, REFIID iid,
                                        LPVOID *out);
extern const char *g_refusedLinkCall;

// The files below a folder (and the folder itself), with size and time.
struct FileState {
    ULONGLONG size;
    FILETIME written;
    bool operator==(const FileState &o) const
    {
        return size == o.size && CompareFileTime(&written, &o.written) == 0;
    }
};
using Snapshot = std::map<std::string, FileState>;
void SnapshotFolder(const std::string &folder, bool recurse, Snapshot *out);

// " changed PATH;" / " created PATH;" for every path that differs between
// the snapshots and may not change.
template <typename MayChange>
std::string Changes(const Snapshot &before, const Snapshot &after, MayChange mayChange)
{
    std::string changes;
    for (auto &[path, state] : before) {
        auto now = after.find(path);
        if (!mayChange(path) && (now == after.end() || !(now->second == state)))
            changes += " changed " + path + ";";
    }
    for (auto &[path, state] : after)
        if (!before.count(path) && !mayChange(path))
            changes += " created " + path + ";";
    return changes;
}

}  // namespace sweep
