// The fault-injection sweep: the whole setup runs in-process again and again,
// each time with one call of one call-table entry failing the way that call
// really fails. After every run: exit code 0, nothing acquired left held,
// nothing touched outside what the setup may write, and only messages of
// the error-code table, with the codes the design gives where it gives one.
#include "winhelpers.h"

// The wrappers take the entries' types, attributes (format, malloc) dropped.
#pragma GCC diagnostic ignored "-Wignored-attributes"

#include "resources/resource.h"
#include "setup/sequence.h"
#include "base/state.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <tuple>
#include <type_traits>
#include <set>
#include <string>

namespace {

// ---- the counting and failing layer over the call table ----------------

enum Entry {
#define QLX_SWEEP_ENUM(name) k_##name,
    QLX_SYSCALLS(QLX_SWEEP_ENUM, QLX_SWEEP_ENUM)
#undef QLX_SWEEP_ENUM
    kEntryCount
};

const char *const kEntryNames[] = {
#define QLX_SWEEP_NAME(name) #name,
    QLX_SYSCALLS(QLX_SWEEP_NAME, QLX_SWEEP_NAME)
#undef QLX_SWEEP_NAME
};

// What each kind of resource is, and how many of it are held.
enum Held {
    kFiles, kKeys, kLzFiles, kLibraries, kItemLists, kGdiObjects, kHeapBlocks, kSystemTexts,
    kInterfaces, kHeldCount
};
const char *const kHeldNames[] = {"files",       "registry keys", "LZ files",
                                  "libraries",   "item lists",    "GDI objects",
                                  "heap blocks", "system texts",  "COM interfaces"};

SysCalls g_below;  // what the wrappers call: the real table with the test's fakes
int g_calls[kEntryCount];
int g_failEntry = -1;
int g_failAt = 0;
int g_held[kHeldCount];
std::string g_trace;

// The value a failing call returns, as the real call does on failure.
template <int E, typename R> R FailValue()
{
    SetLastError(ERROR_ACCESS_DENIED);
    if constexpr (E == k_CreateFileA)
        return INVALID_HANDLE_VALUE;
    else if constexpr (E == k_RegCreateKeyExA || E == k_RegQueryValueExA || E == k_RegSetValueExA ||
                       E == k_RegCloseKey)
        return ERROR_ACCESS_DENIED;
    else if constexpr (E == k__lopen || E == k__lcreat || E == k__lclose)
        return HFILE_ERROR;
    else if constexpr (E == k_LZInit)
        return LZERROR_BADINHANDLE;
    else if constexpr (E == k_LZCopy)
        return LZERROR_READ;
    else if constexpr (E == k_GetFileAttributesA)
        return INVALID_FILE_ATTRIBUTES;
    else if constexpr (E == k_GetDriveTypeA)
        return DRIVE_NO_ROOT_DIR;
    else if constexpr (E == k_SHGetSpecialFolderLocation)
        return E_FAIL;
    else if constexpr (E == k_DialogBoxParamA)
        return -1;
    else if constexpr (E == k_ShellExecuteA)
        return reinterpret_cast<HINSTANCE>(ERROR_FILE_NOT_FOUND);
    else if constexpr (E == k_SetTextColor)
        return CLR_INVALID;
    else if constexpr (E == k_SetTextAlign)
        return GDI_ERROR;
    else if constexpr (E == k_LocalFree)
        return reinterpret_cast<HLOCAL>(1);  // failure gives the handle back
    else
        return R{};  // 0, FALSE or a null pointer
}

// What each entry does to the held resources: the kind it takes when it
// succeeds, or the kind it gives back (a release counts whatever it returns:
// the program did what it could).
template <int E> constexpr int kTakes = -1;
template <int E> constexpr int kGives = -1;
#define QLX_TAKES(entry, kind) template <> constexpr int kTakes<k_##entry> = kind;
#define QLX_GIVES(entry, kind) template <> constexpr int kGives<k_##entry> = kind;
QLX_TAKES(CreateFileA, kFiles) QLX_GIVES(CloseHandle, kFiles)
QLX_TAKES(RegCreateKeyExA, kKeys) QLX_GIVES(RegCloseKey, kKeys)
QLX_TAKES(_lopen, kLzFiles) QLX_TAKES(_lcreat, kLzFiles)
QLX_GIVES(_lclose, kLzFiles) QLX_GIVES(LZClose, kLzFiles)  // LZClose closes the file under it
QLX_TAKES(LoadLibraryA, kLibraries) QLX_GIVES(FreeLibrary, kLibraries)
QLX_TAKES(SHBrowseForFolderA, kItemLists) QLX_TAKES(SHGetSpecialFolderLocation, kItemLists)
QLX_GIVES(ILFree, kItemLists)
QLX_TAKES(CreateSolidBrush, kGdiObjects) QLX_TAKES(CreateFontIndirectA, kGdiObjects)
QLX_GIVES(DeleteObject, kGdiObjects)
QLX_TAKES(malloc, kHeapBlocks) QLX_GIVES(free, kHeapBlocks)
QLX_TAKES(FormatMessageA, kSystemTexts) QLX_GIVES(LocalFree, kSystemTexts)
#undef QLX_TAKES
#undef QLX_GIVES

template <int E, typename R> bool TookSomething(R result)
{
    if constexpr (E == k_CreateFileA)
        return result != INVALID_HANDLE_VALUE;
    else if constexpr (E == k_RegCreateKeyExA || E == k_SHGetSpecialFolderLocation)
        return result == 0;  // ERROR_SUCCESS, S_OK
    else if constexpr (E == k__lopen || E == k__lcreat)
        return result != HFILE_ERROR;
    else
        return result != R{};
}

template <int E, typename R> void Track(R result)
{
    if constexpr (kTakes<E> >= 0)
        g_held[kTakes<E>] += TookSomething<E>(result);
    if constexpr (kGives<E> >= 0)
        g_held[kGives<E>] -= 1;
}

// Releases returning nothing: freeing a null pointer gives nothing back.
template <int E, typename A0> void TrackVoid(A0 first)
{
    if constexpr (kGives<E> >= 0) {
        if constexpr (std::is_pointer_v<A0>)
            g_held[kGives<E>] -= first != nullptr;
        else
            g_held[kGives<E>] -= 1;
    }
}

// The wrapper of entry E, whose function type is Fn: counts the call, fails
// it when it is the chosen one, tracks what it took or gave back.
template <int E, typename Fn, typename R, typename... A> R CallThrough(A... args)
{
    Fn below = reinterpret_cast<Fn>(reinterpret_cast<void **>(&g_below)[E]);
    int n = ++g_calls[E];
    if constexpr (std::is_void_v<R>) {
        below(args...);
        if constexpr (sizeof...(A) == 1)
            TrackVoid<E>(args...);
    } else {
        if (g_failEntry == E && g_failAt == n) {
            // A release that fails has nothing left to release: the
            // object is gone all the same (an invalid handle). So the
            // real release happens, and only its result is a failure.
            if constexpr (kGives<E> >= 0)
                Track<E>(below(args...));
            return FailValue<E, R>();
        }
        R result = below(args...);
        Track<E>(result);
        if constexpr (E == k_CreateFileA || E == k__lopen || E == k__lcreat) {
            bool failed;
            if constexpr (E == k_CreateFileA)
                failed = result == INVALID_HANDLE_VALUE;
            else
                failed = result == HFILE_ERROR;
            // Nothing holds files during the sweep: a sharing violation
            // means an earlier open was never closed.
            if (failed && GetLastError() == ERROR_SHARING_VIOLATION)
                g_trace += std::string(" ") + kEntryNames[E] + "(" +
                           std::get<0>(std::tuple<A...>(args...)) + ") shared;";
        }
        return result;
    }
}

// The wrapper as the entry's own type, calling convention included (the
// Win32 calls are __stdcall on i686, the C runtime's are not).
template <int E, typename F> struct Wrap;
#define QLX_SWEEP_WRAPPER(CONVENTION)                                                \
    template <int E, typename R, typename... A> struct Wrap<E, R(CONVENTION *)(A...)> { \
        static R CONVENTION Call(A... args)                                          \
        {                                                                            \
            return CallThrough<E, R(CONVENTION *)(A...), R, A...>(args...);          \
        }                                                                            \
    };
QLX_SWEEP_WRAPPER()
#if defined(__i386__)
QLX_SWEEP_WRAPPER(__stdcall)
#endif
#undef QLX_SWEEP_WRAPPER

// COM interfaces come from CoCreateInstance, which the setup looks up by
// name: the sweep hands it a counting CoCreateInstance whose objects are
// wrapped in proxies that count each reference taken and released.
// Counts the references taken and given back on the wrapped object.
template <typename Interface> class CountingProxy : public Interface {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { ++g_held[kInterfaces]; return inner_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        --g_held[kInterfaces];
        ULONG left = inner_->Release();
        if (left == 0)
            delete this;
        return left;
    }

protected:
    explicit CountingProxy(Interface *inner) : inner_(inner) {}
    virtual ~CountingProxy() = default;
    Interface *inner_;
};

class PersistFileProxy final : public CountingProxy<IPersistFile> {
public:
    explicit PersistFileProxy(IPersistFile *inner) : CountingProxy(inner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        return inner_->QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID *c) override { return inner_->GetClassID(c); }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return inner_->IsDirty(); }
    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR f, DWORD m) override { return inner_->Load(f, m); }
    HRESULT STDMETHODCALLTYPE Save(LPCOLESTR f, BOOL r) override { return inner_->Save(f, r); }
    HRESULT STDMETHODCALLTYPE SaveCompleted(LPCOLESTR f) override { return inner_->SaveCompleted(f); }
    HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR *f) override { return inner_->GetCurFile(f); }
};

class ShellLinkProxy final : public CountingProxy<IShellLinkA> {
public:
    explicit ShellLinkProxy(IShellLinkA *inner) : CountingProxy(inner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        HRESULT hr = inner_->QueryInterface(iid, out);
        if (SUCCEEDED(hr)) {
            ++g_held[kInterfaces];
            if (IsEqualIID(iid, IID_IPersistFile))
                *out = static_cast<IPersistFile *>(new PersistFileProxy(static_cast<IPersistFile *>(*out)));
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE GetPath(LPSTR p, int c, WIN32_FIND_DATAA *d, DWORD f) override { return inner_->GetPath(p, c, d, f); }
    HRESULT STDMETHODCALLTYPE GetIDList(PIDLIST_ABSOLUTE *l) override { return inner_->GetIDList(l); }
    HRESULT STDMETHODCALLTYPE SetIDList(PCIDLIST_ABSOLUTE l) override { return inner_->SetIDList(l); }
    HRESULT STDMETHODCALLTYPE GetDescription(LPSTR d, int c) override { return inner_->GetDescription(d, c); }
    HRESULT STDMETHODCALLTYPE SetDescription(LPCSTR d) override { return inner_->SetDescription(d); }
    HRESULT STDMETHODCALLTYPE GetWorkingDirectory(LPSTR d, int c) override { return inner_->GetWorkingDirectory(d, c); }
    HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCSTR d) override { return inner_->SetWorkingDirectory(d); }
    HRESULT STDMETHODCALLTYPE GetArguments(LPSTR a, int c) override { return inner_->GetArguments(a, c); }
    HRESULT STDMETHODCALLTYPE SetArguments(LPCSTR a) override { return inner_->SetArguments(a); }
    HRESULT STDMETHODCALLTYPE GetHotkey(WORD *h) override { return inner_->GetHotkey(h); }
    HRESULT STDMETHODCALLTYPE SetHotkey(WORD h) override { return inner_->SetHotkey(h); }
    HRESULT STDMETHODCALLTYPE GetShowCmd(int *s) override { return inner_->GetShowCmd(s); }
    HRESULT STDMETHODCALLTYPE SetShowCmd(int s) override { return inner_->SetShowCmd(s); }
    HRESULT STDMETHODCALLTYPE GetIconLocation(LPSTR p, int c, int *i) override { return inner_->GetIconLocation(p, c, i); }
    HRESULT STDMETHODCALLTYPE SetIconLocation(LPCSTR p, int i) override { return inner_->SetIconLocation(p, i); }
    HRESULT STDMETHODCALLTYPE SetRelativePath(LPCSTR p, DWORD r) override { return inner_->SetRelativePath(p, r); }
    HRESULT STDMETHODCALLTYPE Resolve(HWND w, DWORD f) override { return inner_->Resolve(w, f); }
    HRESULT STDMETHODCALLTYPE SetPath(LPCSTR p) override { return inner_->SetPath(p); }
};

using CoCreateInstanceFn = HRESULT(WINAPI *)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID *);
CoCreateInstanceFn g_realCoCreateInstance;
int g_objectsCreated;  // shell link objects made in the run, to show the counting sees them

HRESULT WINAPI CountingCoCreateInstance(REFCLSID cls, LPUNKNOWN outer, DWORD context, REFIID iid,
                                        LPVOID *out)
{
    HRESULT hr = g_realCoCreateInstance(cls, outer, context, iid, out);
    if (SUCCEEDED(hr)) {
        ++g_held[kInterfaces];
        ++g_objectsCreated;
        if (IsEqualIID(iid, IID_IShellLinkA))
            *out = static_cast<IShellLinkA *>(new ShellLinkProxy(static_cast<IShellLinkA *>(*out)));
    }
    return hr;
}

FARPROC WINAPI CountingGetProcAddress(HMODULE module, LPCSTR name)
{
    FARPROC found = GetProcAddress(module, name);
    if (found && HIWORD(reinterpret_cast<ULONG_PTR>(name)) && std::strcmp(name, "CoCreateInstance") == 0) {
        g_realCoCreateInstance = reinterpret_cast<CoCreateInstanceFn>(reinterpret_cast<void (*)()>(found));
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&CountingCoCreateInstance));
    }
    return found;
}

// Entries that cannot fail, or whose failure no caller could see.
bool Sweepable(int e)
{
    switch (e) {
    case k_GetLastError: case k_lstrlenA: case k_free: case k_LZClose: case k_ILFree:
    case k_PostQuitMessage: case k_DefWindowProcA: case k_ExitProcess: case k_GetModuleHandleA:
        return false;
    }
    return true;
}

void InstallWrappers()
{
    g_below = sys;
#define QLX_SWEEP_WRAP(name) sys.name = &Wrap<k_##name, decltype(sys.name)>::Call;
    QLX_SYSCALLS(QLX_SWEEP_WRAP, QLX_SWEEP_WRAP)
#undef QLX_SWEEP_WRAP
}

// ---- the scripted user and the scratch machine ---------------------------

std::string g_installFolder;
int g_locationRuns;

INT_PTR WINAPI InstallAndAccept(HINSTANCE, LPCSTR name, HWND, DLGPROC, LPARAM)
{
    if (reinterpret_cast<ULONG_PTR>(name) == IDD_LOCATION) {
        if (++g_locationRuns > 1)
            return IDCANCEL;  // a refused folder: do not loop for ever
        CopyText(g_setup.installFolder, kCbPath, g_installFolder.c_str());
    }
    return IDOK;
}

HINSTANCE WINAPI NoLaunch(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT)
{
    return reinterpret_cast<HINSTANCE>(33);
}

HWND WINAPI NoProgressDialog(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM)
{
    return nullptr;
}

struct FileState {
    ULONGLONG size;
    FILETIME written;
    bool operator==(const FileState &o) const
    {
        return size == o.size && CompareFileTime(&written, &o.written) == 0;
    }
};
using Snapshot = std::map<std::string, FileState>;

void SnapshotFolder(const std::string &folder, bool recurse, Snapshot *out)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = folder + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            (*out)[path + "\\"] = {0, {}};
            if (recurse)
                SnapshotFolder(path, true, out);
        } else {
            (*out)[path] = {(ULONGLONG(found.nFileSizeHigh) << 32) | found.nFileSizeLow,
                            found.ftLastWriteTime};
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

const std::set<std::string> kCodes = {"1",  "1A", "2",  "3",  "4",  "5",  "8",  "9",  "10", "11",
                                      "12", "13", "14", "15", "16", "17", "22", "27", "34", "37", "43"};

class Sweep : public WineTest {
protected:
    void SetUp() override
    {
        WineTest::SetUp();
        g_installFolder = Scratch("Quillarix");
        char path[MAX_PATH];
        SHGetSpecialFolderPathA(nullptr, path, CSIDL_STARTMENU, FALSE);
        startMenu_ = path;
        SHGetSpecialFolderPathA(nullptr, path, CSIDL_DESKTOPDIRECTORY, FALSE);
        desktop_ = path;
        temp_ = std::string(g_setup.tempFolder);
        temp_.pop_back();
    }
    void TearDown() override
    {
        Reset();
        RemoveTree(g_installFolder);
        WineTest::TearDown();
    }

    // The machine before each run: no installation, a user's file in the
    // install folder.
    void Reset()
    {
        // The last run may have left the install folder current; a folder in
        // use cannot be removed (Wine then leaves it pending deletion).
        SetCurrentDirectoryA("C:\\");
        RemoveTree(g_installFolder);
        CreateDirectoryA(g_installFolder.c_str(), nullptr);
        WriteFileBytes(g_installFolder + "\\notes.txt", "the user's own notes");
        DeleteRegistryTree(HKEY_CURRENT_USER, kVendorKey);
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, kAppPathsEntry);
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, kUninstallEntry);
        DeleteFileA("C:\\windows\\qlxuins1.exe");
        DeleteFileA((temp_ + "\\data.tmp").c_str());
        DeleteFileA((startMenu_ + kLinkName).c_str());
        DeleteFileA((desktop_ + kLinkName).c_str());
        UnregisterClassA("Quillarix", GetModuleHandleA(nullptr));
    }

    Snapshot Watched()
    {
        Snapshot s;
        SnapshotFolder(Scratch(), true, &s);
        SnapshotFolder("C:\\windows", false, &s);
        SnapshotFolder(temp_, false, &s);
        SnapshotFolder(startMenu_, false, &s);
        SnapshotFolder(desktop_, false, &s);
        SnapshotFolder("C:\\Program Files", false, &s);
        SnapshotFolder("C:", false, &s);
        return s;
    }

    // May this path change in a run? The installed files, the staging
    // files, the uninstaller and the shortcuts.
    bool MayChange(const std::string &path)
    {
        std::string folder = g_installFolder + "\\";
        if (path.compare(0, folder.size(), folder) == 0)
            return path != folder + "notes.txt";
        return path == g_installFolder + "\\" || path == "C:\\windows\\qlxuins1.exe" ||
               path == temp_ + "\\data.tmp" || path == startMenu_ + kLinkName ||
               path == desktop_ + kLinkName;
    }

    // One whole run; returns a description of every broken promise. Without
    // backdrop, its class cannot be registered (a run then takes ~80 ms
    // instead of ~2 s under Wine: the full-screen paint is the slow part).
    std::string RunOnce(bool backdrop = true)
    {
        Reset();
        Snapshot before = Watched();
        g_boxes.clear();
        g_locationRuns = 0;
        std::memset(g_calls, 0, sizeof g_calls);
        std::memset(g_held, 0, sizeof g_held);
        g_objectsCreated = 0;
        RestoreSysCalls();
        sys.MessageBoxA = WineTestBox();
        sys.DialogBoxParamA = InstallAndAccept;
        sys.CreateDialogParamA = NoProgressDialog;
        sys.ShellExecuteA = NoLaunch;
        sys.GetProcAddress = CountingGetProcAddress;
        if (!backdrop)
            Fake(sys.RegisterClassExA, [](const WNDCLASSEXA *) -> ATOM { return 0; });
        InstallWrappers();
        int code = RunSetup(GetModuleHandleA(nullptr));
        RestoreSysCalls();
        sys.MessageBoxA = WineTestBox();
        if (g_setup.backdrop)
            DestroyWindow(g_setup.backdrop);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }

        std::string broken = g_trace;
        g_trace.clear();
        if (code != 0)
            broken += " exit code " + std::to_string(code) + ";";
        for (int h = 0; h < kHeldCount; ++h)
            if (g_held[h] != 0)
                broken += std::string(" ") + std::to_string(g_held[h]) + " " + kHeldNames[h] + " held;";
        Snapshot after = Watched();
        for (auto &[path, state] : before)
            if (!MayChange(path) && (!after.count(path) || !(after[path] == state)))
                broken += " changed " + path + ";";
        for (auto &[path, state] : after)
            if (!before.count(path) && !MayChange(path))
                broken += " created " + path + ";";
        if (FileExists(g_installFolder + "\\image.tmp"))
            broken += " image.tmp left;";
        for (const RecordedBox &box : g_boxes)
            if (box.caption.rfind("ERROR ", 0) != 0 || !kCodes.count(box.caption.substr(6)))
                broken += " message \"" + box.caption + "\";";
        return broken;
    }

    static decltype(sys.MessageBoxA) WineTestBox() { return s_box; }
    static decltype(sys.MessageBoxA) s_box;

    std::string startMenu_, desktop_, temp_;
};
decltype(sys.MessageBoxA) Sweep::s_box;

TEST_F(Sweep, EverySingleFailingCall)
{
    s_box = sys.MessageBoxA;  // the recorder the fixture installed

    // A clean run: everything installed, nothing reported, the call counts.
    g_failEntry = -1;
    std::string broken = RunOnce();
    EXPECT_EQ("", broken);
    EXPECT_EQ("", BoxCaptions());
    EXPECT_TRUE(FileExists(g_installFolder + "\\Quillarix.exe"));
    EXPECT_EQ(2, g_objectsCreated);  // both shortcuts' link objects went through the counting
    int counts[kEntryCount];
    std::memcpy(counts, g_calls, sizeof counts);
    // The entries that only the backdrop calls (or calls more often) are
    // swept with the window, each at its first 3 calls; all others without
    // it, each at its first 20 calls.
    EXPECT_EQ("", RunOnce(false));
    int withoutBackdrop[kEntryCount];
    std::memcpy(withoutBackdrop, g_calls, sizeof withoutBackdrop);

    int runs = 0, entries = 0;
    std::map<std::string, std::string> captionsSeen;
    for (int e = 0; e < kEntryCount; ++e) {
        if (!Sweepable(e) || counts[e] == 0)
            continue;
        if (const char *only = std::getenv("QLX_SWEEP_ONLY"); only && std::strcmp(only, kEntryNames[e]) != 0)
            continue;
        ++entries;
        bool backdrop = counts[e] > withoutBackdrop[e];
        int cap = backdrop ? 3 : 20;
        for (int k = 1; k <= counts[e] && k <= cap; ++k) {
            g_failEntry = e;
            g_failAt = k;
            std::string problems = RunOnce(backdrop);
            ++runs;
            EXPECT_EQ("", problems) << kEntryNames[e] << " call " << k << " failing";
            std::string seen = BoxCaptions();
            for (const RecordedBox &box : g_boxes)
                seen += " [" + box.text + "]";
            captionsSeen[std::string(kEntryNames[e]) + "#" + std::to_string(k)] = seen;
        }
    }
    g_failEntry = -1;

    // Where the design reports a failure, its code is shown.
    auto shown = [&](const char *run) { return captionsSeen[run].substr(0, captionsSeen[run].find(" [")); };
    EXPECT_EQ("ERROR 1|ERROR 1A", shown("RegCreateKeyExA#1")) << captionsSeen["RegCreateKeyExA#1"];
    EXPECT_EQ("ERROR 2", shown("GetWindowsDirectoryA#1")) << captionsSeen["GetWindowsDirectoryA#1"];
    EXPECT_EQ("ERROR 3", shown("GetTempPathA#1")) << captionsSeen["GetTempPathA#1"];
    EXPECT_EQ("ERROR 43", shown("DialogBoxParamA#1")) << captionsSeen["DialogBoxParamA#1"];
    EXPECT_EQ("ERROR 37", shown("MoveFileA#1")) << captionsSeen["MoveFileA#1"];
    EXPECT_EQ("ERROR 34", shown("_lcreat#1")) << captionsSeen["_lcreat#1"];

    std::printf("sweep: %d entries of the %d in the call table swept, %d runs\n", entries,
                int(kEntryCount), runs);
}

}  // namespace
