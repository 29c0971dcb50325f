// Shortcuts: saved through the system's shell link object, read back here
// with the same object; and every way OLE32 or a folder can be missing.
#include "winhelpers.h"

#include "registration/registration.h"
#include "base/state.h"

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
protected:
    void SetUp() override
    {
        WineTest::SetUp();
        RemoveLinks();
        CopyText(g_setup.installFolder, kCbPath, "C:\\Program Files\\Quillarix");
        CopyText(g_setup.mainExePath, kCbPath, "C:\\Program Files\\Quillarix\\Quillarix.exe");
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
};

TEST_F(Shortcuts, BothLinksCarryTheFourProperties)
{
    CreateShortcuts();
    EXPECT_TRUE(g_boxes.empty());
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

TEST_F(Shortcuts, NoOle32MeansNoShortcutAndNoMessage)
{
    Fake(sys.LoadLibraryA, [](LPCSTR) -> HMODULE {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    });
    CreateShortcuts();
    EXPECT_FALSE(StartMenuLink());
    EXPECT_FALSE(DesktopLink());
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(Shortcuts, MissingEntryPointReleasesTheLibrary)
{
    static int s_frees;
    s_frees = 0;
    Fake(sys.GetProcAddress, [](HMODULE m, LPCSTR name) -> FARPROC {
        return std::strcmp(name, "CoCreateInstance") == 0 ? nullptr : GetProcAddress(m, name);
    });
    Fake(sys.FreeLibrary, [](HMODULE m) -> BOOL { ++s_frees; return FreeLibrary(m); });
    CreateShortcuts();
    EXPECT_EQ(1, s_frees);
    EXPECT_FALSE(StartMenuLink());
    EXPECT_FALSE(DesktopLink());
}

TEST_F(Shortcuts, ComAlreadyInitialisedOnTheThreadMakesNone)
{
    ASSERT_EQ(S_OK, CoInitialize(nullptr));
    CreateShortcuts();  // its CoInitialize gives S_FALSE
    CoUninitialize();
    EXPECT_FALSE(StartMenuLink());
    EXPECT_FALSE(DesktopLink());
}

TEST_F(Shortcuts, EachFolderIsTriedOnItsOwn)
{
    static int s_missing;
    Fake(sys.SHGetSpecialFolderLocation, [](HWND w, int csidl, PIDLIST_ABSOLUTE *items) -> HRESULT {
        if (csidl == s_missing)
            return E_FAIL;
        return SHGetSpecialFolderLocation(w, csidl, items);
    });
    s_missing = CSIDL_STARTMENU;
    CreateShortcuts();
    EXPECT_FALSE(StartMenuLink());
    EXPECT_TRUE(DesktopLink());
    RemoveLinks();
    s_missing = CSIDL_DESKTOPDIRECTORY;
    CreateShortcuts();
    EXPECT_TRUE(StartMenuLink());
    EXPECT_FALSE(DesktopLink());
}

TEST_F(Shortcuts, FolderTooLongForTheLinkNameIsSkipped)
{
    Fake(sys.SHGetPathFromIDListA, [](PCIDLIST_ABSOLUTE items, LPSTR path) -> BOOL {
        char real[MAX_PATH];
        if (!SHGetPathFromIDListA(items, real))
            return FALSE;
        // Pretend the Start menu lies 246 characters deep.
        if (std::strstr(real, "Start Menu"))
            CopyText(path, kCbPath, ("C:\\" + std::string(243, 's')).c_str());
        else
            CopyText(path, kCbPath, real);
        return TRUE;
    });
    CreateShortcuts();
    EXPECT_TRUE(DesktopLink());
    EXPECT_FALSE(FileExists("C:\\" + std::string(243, 's')));
}

}  // namespace
