// Shortcuts: saved through the system's shell link object, read back here
// with the same object; and every way OLE32 or a folder can be missing.
#include "winhelpers.h"

#include "registration/registration.h"
#include "base/plan.h"

#include <objbase.h>
#include <cstring>

namespace {

struct Link {
    bool loaded = false;
    std::string path, folder, icon, description;
    int iconIndex = -1;
};

Link ReadLink(const std::string &file)
{
    Link link;
    CoInitialize(nullptr);
    IShellLinkA *shell = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void **>(&shell)))) {
        CoUninitialize();
        return link;
    }
    IPersistFile *persist = nullptr;
    if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&persist)))) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(persist->Load(wide, STGM_READ))) {
            char text[MAX_PATH] = "";
            link.loaded = true;
            shell->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
            link.path = text;
            shell->GetWorkingDirectory(text, sizeof text);
            link.folder = text;
            shell->GetIconLocation(text, sizeof text, &link.iconIndex);
            link.icon = text;
            shell->GetDescription(text, sizeof text);
            link.description = text;
        }
        persist->Release();
    }
    shell->Release();
    CoUninitialize();
    return link;
}

struct RefusingLink;

class Shortcuts : public WineTest {
public:
    void SetUp() override
    {
        WineTest::SetUp();
        RemoveLinks();
        CopyText(plan_.installFolder, kCbPath, "C:\\Program Files\\Quillarix");
        CopyText(plan_.mainExePath, kCbPath, "C:\\Program Files\\Quillarix\\Quillarix.exe");
    }
    void TearDown() override
    {
        RemoveLinks();
        WineTest::TearDown();
    }
    void RemoveLinks()
    {
        DeleteFileA(ShortcutPath(CSIDL_STARTMENU).c_str());
        DeleteFileA(ShortcutPath(CSIDL_DESKTOPDIRECTORY).c_str());
    }
    bool StartMenuLink() { return FileExists(ShortcutPath(CSIDL_STARTMENU)); }
    bool DesktopLink() { return FileExists(ShortcutPath(CSIDL_DESKTOPDIRECTORY)); }
    RefusingLink *refusing_ = nullptr;  // what CreateRefusingLink hands out
    int frees_ = 0;                     // FreeLibrary calls
    int missing_ = -1;                  // the folder SHGetSpecialFolderLocation cannot find
};

TEST_F(Shortcuts, BothLinksCarryTheFourProperties)
{
    CreateShortcuts(plan_);
    EXPECT_TRUE(boxes_.empty());
    for (int csidl : {CSIDL_STARTMENU, CSIDL_DESKTOPDIRECTORY}) {
        Link link = ReadLink(ShortcutPath(csidl));
        ASSERT_TRUE(link.loaded) << ShortcutPath(csidl);
        EXPECT_EQ("C:\\Program Files\\Quillarix\\Quillarix.exe", link.path);
        EXPECT_EQ("C:\\Program Files\\Quillarix", link.folder);
        EXPECT_EQ("C:\\Program Files\\Quillarix\\Quillarix.exe", link.icon);
        EXPECT_EQ(0, link.iconIndex);
        EXPECT_EQ("Shortcut to Quillarix", link.description);
    }
    // The Start menu link lies beside Programs, not inside it.
    char programs[MAX_PATH];
    SHGetSpecialFolderPathA(nullptr, programs, CSIDL_PROGRAMS, FALSE);
    EXPECT_FALSE(FileExists(std::string(programs) + kLinkName));
}

// The system's shell link object with one call refused, as a link object
// refuses a path it cannot take: nothing else differs.
struct RefusingLink : IShellLinkW {
    IShellLinkW *inner;
    const char *refused;
    HRESULT Refuse(const char *call, HRESULT hr) { return std::strcmp(call, refused) ? hr : E_FAIL; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID i, void **o) override { return inner->QueryInterface(i, o); }
    ULONG STDMETHODCALLTYPE AddRef() override { return inner->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return inner->Release(); }
    HRESULT STDMETHODCALLTYPE GetPath(LPWSTR p, int c, WIN32_FIND_DATAW *d, DWORD f) override { return inner->GetPath(p, c, d, f); }
    HRESULT STDMETHODCALLTYPE GetIDList(PIDLIST_ABSOLUTE *l) override { return inner->GetIDList(l); }
    HRESULT STDMETHODCALLTYPE SetIDList(PCIDLIST_ABSOLUTE l) override { return inner->SetIDList(l); }
    HRESULT STDMETHODCALLTYPE GetDescription(LPWSTR d, int c) override { return inner->GetDescription(d, c); }
    HRESULT STDMETHODCALLTYPE SetDescription(LPCWSTR d) override { return Refuse("SetDescription", inner->SetDescription(d)); }
    HRESULT STDMETHODCALLTYPE GetWorkingDirectory(LPWSTR d, int c) override { return inner->GetWorkingDirectory(d, c); }
    HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCWSTR d) override { return Refuse("SetWorkingDirectory", inner->SetWorkingDirectory(d)); }
    HRESULT STDMETHODCALLTYPE GetArguments(LPWSTR a, int c) override { return inner->GetArguments(a, c); }
    HRESULT STDMETHODCALLTYPE SetArguments(LPCWSTR a) override { return inner->SetArguments(a); }
    HRESULT STDMETHODCALLTYPE GetHotkey(WORD *h) override { return inner->GetHotkey(h); }
    HRESULT STDMETHODCALLTYPE SetHotkey(WORD h) override { return inner->SetHotkey(h); }
    HRESULT STDMETHODCALLTYPE GetShowCmd(int *c) override { return inner->GetShowCmd(c); }
    HRESULT STDMETHODCALLTYPE SetShowCmd(int c) override { return inner->SetShowCmd(c); }
    HRESULT STDMETHODCALLTYPE GetIconLocation(LPWSTR p, int c, int *i) override { return inner->GetIconLocation(p, c, i); }
    HRESULT STDMETHODCALLTYPE SetIconLocation(LPCWSTR p, int i) override { return Refuse("SetIconLocation", inner->SetIconLocation(p, i)); }
    HRESULT STDMETHODCALLTYPE SetRelativePath(LPCWSTR p, DWORD r) override { return inner->SetRelativePath(p, r); }
    HRESULT STDMETHODCALLTYPE Resolve(HWND w, DWORD f) override { return inner->Resolve(w, f); }
    HRESULT STDMETHODCALLTYPE SetPath(LPCWSTR p) override { return Refuse("SetPath", inner->SetPath(p)); }
};

HRESULT WINAPI CreateRefusingLink(REFCLSID cls, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID *out)
{
    RefusingLink *link = WineTest::Running<Shortcuts>().refusing_;
    HRESULT hr = CoCreateInstance(cls, outer, context, iid, reinterpret_cast<void **>(&link->inner));
    *out = SUCCEEDED(hr) ? link : nullptr;
    return hr;
}

// A link that cannot be made whole (its target, folder, icon or description
// refused, or a path that does not convert) is not saved: a failure.
TEST_F(Shortcuts, ALinkThatCannotBeMadeWholeIsNotSaved)
{
    std::string link = Scratch("Quillarix.lnk");
    RefusingLink refusing{};
    refusing_ = &refusing;
    CoInitialize(nullptr);
    for (const char *call : {"SetPath", "SetWorkingDirectory", "SetIconLocation", "SetDescription"}) {
        refusing.refused = call;
        EXPECT_TRUE(FAILED(CreateOneShortcut(CreateRefusingLink, "C:\\Q", "C:\\Q\\Quillarix.exe",
                                             link.c_str(), "Shortcut to Quillarix")))
            << call;
        EXPECT_FALSE(FileExists(link)) << call;
    }
    refusing.refused = "";
    EXPECT_TRUE(SUCCEEDED(CreateOneShortcut(CreateRefusingLink, "C:\\Q", "C:\\Q\\Quillarix.exe",
                                            link.c_str(), "Shortcut to Quillarix")));
    EXPECT_TRUE(FileExists(link));
    EXPECT_EQ(E_INVALIDARG, CreateOneShortcut(CoCreateInstance, "C:\\\xff", "C:\\\xff\\Q.exe",
                                              Scratch("other.lnk").c_str(), "x"));
    EXPECT_FALSE(FileExists(Scratch("other.lnk")));
    CoUninitialize();
}

TEST_F(Shortcuts, NoOle32MeansNoShortcutAndNoMessage)
{
    Fake(sys.LoadLibraryA, [](LPCSTR) -> HMODULE {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    });
    CreateShortcuts(plan_);
    EXPECT_FALSE(StartMenuLink());
    EXPECT_FALSE(DesktopLink());
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(Shortcuts, MissingEntryPointReleasesTheLibrary)
{
    Fake(sys.GetProcAddress, [](HMODULE m, LPCSTR name) -> FARPROC {
        return std::strcmp(name, "CoCreateInstance") == 0 ? nullptr : GetProcAddress(m, name);
    });
    Fake(sys.FreeLibrary, [](HMODULE m) -> BOOL { ++Running<Shortcuts>().frees_; return FreeLibrary(m); });
    CreateShortcuts(plan_);
    EXPECT_EQ(1, frees_);
    EXPECT_FALSE(StartMenuLink());
    EXPECT_FALSE(DesktopLink());
}

TEST_F(Shortcuts, ComAlreadyInitialisedOnTheThreadMakesNone)
{
    ASSERT_EQ(S_OK, CoInitialize(nullptr));
    CreateShortcuts(plan_);  // its CoInitialize gives S_FALSE
    CoUninitialize();
    EXPECT_FALSE(StartMenuLink());
    EXPECT_FALSE(DesktopLink());
}

TEST_F(Shortcuts, EachFolderIsTriedOnItsOwn)
{
    Fake(sys.SHGetSpecialFolderLocation, [](HWND w, int csidl, PIDLIST_ABSOLUTE *items) -> HRESULT {
        if (csidl == Running<Shortcuts>().missing_)
            return E_FAIL;
        return SHGetSpecialFolderLocation(w, csidl, items);
    });
    for (int missing : {CSIDL_STARTMENU, CSIDL_DESKTOPDIRECTORY}) {
        missing_ = missing;
        CreateShortcuts(plan_);
        EXPECT_EQ(missing != CSIDL_STARTMENU, StartMenuLink()) << missing;
        EXPECT_EQ(missing != CSIDL_DESKTOPDIRECTORY, DesktopLink()) << missing;
        RemoveLinks();
    }
}

TEST_F(Shortcuts, FolderTooLongForTheLinkNameIsSkipped)
{
    Fake(sys.SHGetPathFromIDListW, [](PCIDLIST_ABSOLUTE items, LPWSTR path) -> BOOL {
        if (!SHGetPathFromIDListW(items, path))
            return FALSE;
        // Pretend the Start menu lies 246 characters deep.
        if (std::wcsstr(path, L"Start Menu"))
            lstrcpynW(path, (L"C:\\" + std::wstring(243, L's')).c_str(), MAX_PATH);
        return TRUE;
    });
    CreateShortcuts(plan_);
    EXPECT_TRUE(DesktopLink());
    EXPECT_FALSE(FileExists("C:\\" + std::string(243, 's')));
}

}  // namespace
