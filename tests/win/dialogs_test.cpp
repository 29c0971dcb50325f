// Dialog procedures on the real templates: what WM_INITDIALOG shows, what OK
// stores, and Browse... with the shell's browser replaced by a scripted one.
#include "winhelpers.h"

#include "base/catalogue.h"
#include "install/report.h"
#include "resources/resource.h"
#include "ui/ui.h"

#include <commctrl.h>

#include <cstring>

namespace {

class Dialogs : public WineTest {
public:
    HWND Create(int id, DLGPROC proc)
    {
        HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), nullptr,
                                         proc, reinterpret_cast<LPARAM>(&choice_));
        EXPECT_NE(nullptr, dialog);
        dialogs_.push_back(dialog);
        return dialog;
    }
    static std::string Text(HWND dialog, int id)
    {
        char text[1024] = "";
        GetDlgItemTextA(dialog, id, text, sizeof text);
        return text;
    }
    void TearDown() override
    {
        for (HWND dialog : dialogs_)
            DestroyWindow(dialog);
        WineTest::TearDown();
    }
    std::vector<HWND> dialogs_;
    char folder_[kCbPath] = "";
    FolderChoice choice_{folder_, false};  // what the location and folder dialogs work on
    int icons_ = 0;          // loaded and not yet destroyed
    UINT codePage_ = CP_UTF8;  // the programs' code page, as GetACP gives it
};

TEST_F(Dialogs, LocationDialogShowsTheFolderAndOffersChangeUnlessInstalled)
{
    CopyText(choice_.folder, kCbPath, "C:\\Program Files\\Quillarix");
    choice_.canChange = true;
    HWND dialog = Create(IDD_LOCATION, LocationDialogProc);
    EXPECT_EQ("C:\\Program Files\\Quillarix", Text(dialog, IDC_FOLDER_EDIT));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_CHANGE)));
    EXPECT_EQ(GetDlgItem(dialog, IDOK), GetFocus());

    choice_.canChange = false;
    HWND installed = Create(IDD_LOCATION, LocationDialogProc);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(installed, IDC_CHANGE)));
}

UINT WINAPI At192Dpi(HWND)
{
    return 192;
}

// A change of scale to 192 DPI: the icon control shows the 64-pixel image,
// the backdrop is painted afresh (each paint sizes itself for the DPI), and
// the dialog destroys every icon it loaded.
TEST_F(Dialogs, ChangeOfScaleReloadsTheIconAndRepaintsTheBackdrop)
{
    Fake(sys.LoadImageA, [](HINSTANCE module, LPCSTR name, UINT type, int cx, int cy, UINT flags) -> HANDLE {
        ++Running<Dialogs>().icons_;
        return LoadImageA(module, name, type, cx, cy, flags);
    });
    Fake(sys.DestroyIcon, [](HICON icon) -> BOOL { --Running<Dialogs>().icons_; return DestroyIcon(icon); });
    HWND dialog = Create(IDD_FOLDER, FolderDialogProc);
    HWND backdrop = CreateBackdropWindow(GetModuleHandleA(nullptr));
    ValidateRect(backdrop, nullptr);
    Fake(sys.GetProcAddress, [](HMODULE module, LPCSTR name) -> FARPROC {
        return IS_INTRESOURCE(name) || std::string(name) != "GetDpiForWindow"
                   ? GetProcAddress(module, name)
                   : reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&At192Dpi));
    });
    RECT proposed = {0, 0, 1024, 768}, icon;  // the system's proposal for the window
    for (HWND window : {dialog, backdrop})
        SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&proposed));
    GetClientRect(FindWindowExA(dialog, nullptr, "Static", nullptr), &icon);
    EXPECT_EQ(64, icon.right);
    EXPECT_TRUE(GetUpdateRect(backdrop, nullptr, FALSE));
    EXPECT_EQ(1, icons_);
    DestroyWindow(dialog);
    DestroyWindow(backdrop);
    dialogs_.clear();
    EXPECT_EQ(0, icons_);
}

TEST_F(Dialogs, FolderDialogLimitsTypingAndRefusesWhatDoesNotFitInsteadOfCuttingIt)
{
    CopyText(choice_.folder, kCbPath, "C:\\Program Files\\Quillarix");
    HWND dialog = Create(IDD_FOLDER, FolderDialogProc);
    EXPECT_EQ("C:\\Program Files\\Quillarix", Text(dialog, IDC_FOLDER_EDIT));
    EXPECT_EQ(259, SendDlgItemMessageA(dialog, IDC_FOLDER_EDIT, EM_GETLIMITTEXT, 0, 0));

    // Text placed by a program (as Browse... does) may be longer than the
    // limit of 259 characters. What does not fit is refused, never cut into
    // another path; what fits is taken whatever its length in UTF-8.
    Fake(sys.GetACP, []() { return Running<Dialogs>().codePage_; });
    // Nor is a name with characters that the code page lacks (the system's before Windows 10
    // 1903) taken with question marks in their place.
    struct Case {
        std::wstring text;
        UINT codePage;
        const char *caption;
    } const cases[] = {
        {L"C:\\" + std::wstring(297, L'x'), CP_UTF8, "ERROR 27"},
        {L"C:\\" + std::wstring(257, L'\u811a'), CP_UTF8, "ERROR 27"},
        {L"C:\\\u7530\u4e2d", 1250, "ERROR 52"},
        {L"C:\\\u0141\u00f3d\u017a", 1252, "ERROR 52"},
    };
    for (const Case &c : cases) {
        boxes_.clear();
        codePage_ = c.codePage;
        SetDlgItemTextW(dialog, IDC_FOLDER_EDIT, c.text.c_str());
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_STREQ("C:\\Program Files\\Quillarix", choice_.folder);
        EXPECT_EQ(c.caption, BoxCaptions());
    }
    codePage_ = CP_UTF8;
    SetDlgItemTextW(dialog, IDC_FOLDER_EDIT, (L"C:\\" + std::wstring(256, L'\u811a')).c_str());
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(3u + 768u, std::strlen(choice_.folder));  // 259 characters, 771 bytes
}

TEST_F(Dialogs, FolderDialogCancelKeepsTheInstallFolder)
{
    CopyText(choice_.folder, kCbPath, "C:\\Keep");
    HWND dialog = Create(IDD_FOLDER, FolderDialogProc);
    SetDlgItemTextA(dialog, IDC_FOLDER_EDIT, "C:\\Other");
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_STREQ("C:\\Keep", choice_.folder);
    SetDlgItemTextA(dialog, IDC_FOLDER_EDIT, "");
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_STREQ("", choice_.folder);  // any text is taken; validation judges it
}

// The scripted folder browser.
struct BrowseScript {
    bool choose = true;
    bool havePath = true;
    std::string path;
    BROWSEINFOW seen = {};
    std::string seenTitle;
    int freed = 0;
};

class Browse : public Dialogs {
public:
    static LPITEMIDLIST WINAPI FakeBrowse(LPBROWSEINFOW info)
    {
        Browse &test = Running<Browse>();
        test.script_.seen = *info;
        char title[kCbPath] = "";
        if (info->lpszTitle)
            WideCharToMultiByte(CP_UTF8, 0, info->lpszTitle, -1, title, sizeof title, nullptr, nullptr);
        test.script_.seenTitle = title;
        if (info->pszDisplayName)
            lstrcpynW(info->pszDisplayName, L"Display Name", kCbPath);
        return test.script_.choose ? &test.item_ : nullptr;
    }
    // The scripted path, UTF-8 in the script, as the shell hands it: UTF-16.
    static BOOL WINAPI FakePathFromItems(PCIDLIST_ABSOLUTE, LPWSTR path)
    {
        const BrowseScript &script = Running<Browse>().script_;
        if (!script.havePath)
            return FALSE;
        MultiByteToWideChar(CP_UTF8, 0, script.path.c_str(), -1, path, MAX_PATH);
        return TRUE;
    }
    static void WINAPI FakeFree(PIDLIST_RELATIVE items)
    {
        if (items == &Running<Browse>().item_)
            ++Running<Browse>().script_.freed;
    }
    void SetUp() override
    {
        Dialogs::SetUp();
        sys.SHBrowseForFolderW = FakeBrowse;
        sys.SHGetPathFromIDListW = FakePathFromItems;
        sys.ILFree = FakeFree;
        CopyText(choice_.folder, kCbPath, "C:\\Start");
        dialog_ = Create(IDD_FOLDER, FolderDialogProc);
        SetDlgItemTextA(dialog_, IDC_FOLDER_EDIT, "C:\\Typed");
    }
    std::string BrowseTo(const std::string &path)
    {
        script_.path = path;
        SendMessageA(dialog_, WM_COMMAND, IDC_BROWSE, 0);
        return Text(dialog_, IDC_FOLDER_EDIT);
    }
    BrowseScript script_;
    ITEMIDLIST item_{};  // the items the browser hands out
    HWND dialog_ = nullptr;
};

TEST_F(Browse, ChosenFolderIsJoinedWithTheProductName)
{
    EXPECT_EQ("D:\\Apps\\Quillarix", BrowseTo("D:\\Apps"));
    EXPECT_EQ("D:\\Quillarix", BrowseTo("D:\\"));
    EXPECT_STREQ("C:\\Start", choice_.folder);  // only OK takes the text
    EXPECT_EQ(2, script_.freed);
    EXPECT_EQ(dialog_, script_.seen.hwndOwner);
    EXPECT_EQ(nullptr, script_.seen.pidlRoot);
    EXPECT_NE(nullptr, script_.seen.pszDisplayName);
    EXPECT_EQ("Choose the folder where you wish to install Quillarix", script_.seenTitle);
    EXPECT_EQ(static_cast<UINT>(BIF_RETURNONLYFSDIRS), script_.seen.ulFlags);
    EXPECT_EQ(nullptr, script_.seen.lpfn);
    SendMessageA(dialog_, WM_COMMAND, IDOK, 0);
    EXPECT_STREQ("D:\\Quillarix", choice_.folder);
}

TEST_F(Browse, CancelledOrPathlessOrOverlongChoiceLeavesTheText)
{
    script_.choose = false;
    EXPECT_EQ("C:\\Typed", BrowseTo("D:\\Apps"));
    script_.choose = true;
    script_.havePath = false;
    EXPECT_EQ("C:\\Typed", BrowseTo("D:\\Apps"));
    EXPECT_EQ(1, script_.freed);  // released even without a path
    script_.havePath = true;
    std::string longest = "D:\\" + std::string(246, 'p');  // + "\Quillarix" = 259
    EXPECT_EQ(longest + "\\Quillarix", BrowseTo(longest));
    EXPECT_EQ(longest + "\\Quillarix", BrowseTo(longest + "q"));  // 260: unchanged
    // A folder the code page cannot name exactly is refused, never taken
    // as a neighbour: on a system that keeps the programs in code page 1252.
    Fake(sys.GetACP, []() -> UINT { return 1252; });
    EXPECT_EQ(longest + "\\Quillarix", BrowseTo("D:\\\xc5\x81\xc3\xb3" "d\xc5\xba"));  // Łódź
}

TEST_F(Dialogs, LicenceShowsTheResourceBytesExactly)
{
    HWND dialog = Create(IDD_LICENSE, LicenceDialogProc);
    std::string licence = ResourceBytes(IDF_LICENSE);
    ASSERT_FALSE(licence.empty());
    char text[8192] = "";
    GetDlgItemTextA(dialog, IDC_LICENSE_TEXT, text, sizeof text);
    EXPECT_EQ(licence, text);
    EXPECT_EQ(GetDlgItem(dialog, IDC_LICENSE_TEXT), GetFocus());  // read first
}

// On a work area smaller than the dialog (192 DPI on a small screen), the
// licence is kept within it, its text and buttons inside.
TEST_F(Dialogs, LicenceIsKeptWithinTheWorkArea)
{
    Fake(sys.GetMonitorInfoA, [](HMONITOR, LPMONITORINFO info) -> BOOL {
        info->rcMonitor = info->rcWork = RECT{100, 50, 400, 300};
        return TRUE;
    });
    HWND dialog = Create(IDD_LICENSE, LicenceDialogProc);
    RECT window;
    ASSERT_TRUE(GetWindowRect(dialog, &window));
    EXPECT_TRUE(window.left >= 100 && window.top >= 50 && window.right <= 400 && window.bottom <= 300)
        << window.left << "," << window.top << " " << window.right << "," << window.bottom;
    for (int id : {IDC_LICENSE_TEXT, IDOK, IDCANCEL}) {
        RECT control;
        ASSERT_TRUE(GetWindowRect(GetDlgItem(dialog, id), &control));
        EXPECT_TRUE(control.left >= window.left && control.top >= window.top &&
                    control.right <= window.right && control.bottom <= window.bottom)
            << id << ": " << control.left << "," << control.top << " " << control.right << ","
            << control.bottom;
    }
}

TEST_F(Dialogs, LicenceStaysEmptyWithoutTextOrMemory)
{
    Fake(sys.FindResourceA, [](HMODULE, LPCSTR, LPCSTR) -> HRSRC { return nullptr; });
    EXPECT_EQ("", Text(Create(IDD_LICENSE, LicenceDialogProc), IDC_LICENSE_TEXT));
    RestoreSysCalls();
    Fake(sys.malloc, [](size_t) -> void * { return nullptr; });
    EXPECT_EQ("", Text(Create(IDD_LICENSE, LicenceDialogProc), IDC_LICENSE_TEXT));
}

// Progress is seen: its bar moves to the end step by step, and between steps the dialog gets
// what reached it meanwhile (here, the painting it was asked for).
TEST_F(Dialogs, ProgressDialogIsVisibleWithNothingToOperateAndItsBarMoves)
{
    CopyText(choice_.folder, kCbPath, "C:\\Anything");
    HWND progress = CreateProgressDialog(nullptr);
    ASSERT_NE(nullptr, progress);
    dialogs_.push_back(progress);
    EXPECT_TRUE(IsWindowVisible(progress));
    EXPECT_EQ(nullptr, GetDlgItem(progress, IDOK));
    EXPECT_EQ(nullptr, GetDlgItem(progress, IDC_FOLDER_EDIT));
    EXPECT_FALSE(GetWindowLongA(progress, GWL_STYLE) & WS_CAPTION);
    HWND bar = GetDlgItem(progress, IDC_PROGRESS_BAR);
    StartProgress(progress, 3);
    for (int step = 1; step <= 3; ++step) {
        InvalidateRect(progress, nullptr, TRUE);
        StepDone(progress);
        EXPECT_EQ(step, SendMessageA(bar, PBM_GETPOS, 0, 0));
        EXPECT_FALSE(GetUpdateRect(progress, nullptr, FALSE)) << "not painted at step " << step;
    }
    EXPECT_EQ(3, SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
}

TEST_F(Dialogs, CommandsAreToldApartByTheirIdAlone)
{
    HWND dialog = Create(IDD_LICENSE, LicenceDialogProc);
    // A notification code in the high word does not matter.
    EXPECT_EQ(TRUE, LicenceDialogProc(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0));
    EXPECT_EQ(FALSE, LicenceDialogProc(dialog, WM_COMMAND, MAKEWPARAM(1234, 0), 0));
    EXPECT_EQ(FALSE, LicenceDialogProc(dialog, WM_TIMER, 0, 0));
}

}  // namespace
