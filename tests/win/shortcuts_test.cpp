// Shortcuts: saved through the system's shell link object, read back here
// with the same object; and every way OLE32 or a folder can be missing.
#include "winhelpers.h"
#include "sweep.h"

#include "registration/registration.h"
#include "install/plan.h"

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

// A link that cannot be made whole (its target, folder, icon or description
// refused, or a path that does not convert) is not saved: a failure.
TEST_F(Shortcuts, ALinkThatCannotBeMadeWholeIsNotSaved)
{
    std::string link = Scratch("Quillarix.lnk");
    CoInitialize(nullptr);
    for (const char *call : {"SetPath", "SetWorkingDirectory", "SetIconLocation", "SetDescription"}) {
        sweep::g_refusedLinkCall = call;  // the sweep's counting link, refusing that call
        EXPECT_TRUE(FAILED(CreateOneShortcut(sweep::CountingCoCreateInstance, "C:\\Q", "C:\\Q\\Quillarix.exe",
                                             Utf16(link).c_str(), "Shortcut to Quillarix")))
            << call;
        EXPECT_FALSE(FileExists(link)) << call;
    }
    sweep::g_refusedLinkCall = "";
    EXPECT_TRUE(SUCCEEDED(CreateOneShortcut(sweep::CountingCoCreateInstance, "C:\\Q", "C:\\Q\\Quillarix.exe",
                                            Utf16(link).c_str(), "Shortcut to Quillarix")));
    EXPECT_TRUE(FileExists(link));
    EXPECT_EQ(E_INVALIDARG, CreateOneShortcut(CoCreateInstance, "C:\\\xff", "C:\\\xff\\Q.exe",
                                              Utf16(Scratch("other.lnk")).c_str(), "x"));
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
