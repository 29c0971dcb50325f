// The dialog templates, the icon group and the version resources of the built setup executables
// (both architectures); the uninstaller's version resource as the setup carries it.
#include "winhelpers.h"

#include <cctype>
#include <cstring>

#include "resources/resource.h"

#include <utility>

namespace {

std::string StagedSetup(const char *arch)
{
    return RigPath(std::string("setups/") + arch + "/QuillarixSetup.exe");
}

INT_PTR CALLBACK Inert(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

class Templates : public ::testing::TestWithParam<const char *> {};

// What the dialog procedures rely on in the built setups' templates: every control they address
// by its id, of the class they treat it as, and the location and folder dialogs' icon control.
TEST_P(Templates, HoldTheControlsTheProceduresUse)
{
    std::string exe = StagedSetup(GetParam());
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module) << exe << " error " << GetLastError();
    struct Case {
        int dialog;
        std::vector<std::pair<int, const char *>> controls;
        bool icon;
        const char *keys;  // the keyboard shortcuts, in the order Tab reaches their controls
    } const cases[] = {
        {IDD_LOCATION,
         {{IDOK, "Button"}, {IDCANCEL, "Button"}, {IDC_FOLDER_EDIT, "Edit"}, {IDC_CHANGE, "Button"}},
         true, "lci"},
        {IDD_FOLDER,
         {{IDOK, "Button"}, {IDCANCEL, "Button"}, {IDC_FOLDER_EDIT, "Edit"}, {IDC_BROWSE, "Button"}},
         true, "fb"},
        {IDD_SCOPE, {{IDOK, "Button"}, {IDC_ALL_USERS, "Button"}, {IDCANCEL, "Button"}}, true, "me"},
        {IDD_PROGRESS, {{IDC_PROGRESS_BAR, "msctls_progress32"}}, false, ""},
        {IDD_LICENSE, {{IDOK, "Button"}, {IDCANCEL, "Button"}, {IDC_LICENSE_TEXT, "Edit"}}, false,
         "lad"},
    };
    for (const Case &c : cases) {
        HWND dialog = CreateDialogParamW(module, MAKEINTRESOURCEW(c.dialog), nullptr, Inert, 0);
        ASSERT_NE(nullptr, dialog) << c.dialog;
        for (auto [id, cls] : c.controls) {
            char name[32] = "";
            GetClassNameA(GetDlgItem(dialog, id), name, sizeof name);
            EXPECT_STREQ(cls, name) << "dialog " << c.dialog << ", control " << id;
        }
        int icons = 0;
        for (HWND control = FindWindowExA(dialog, nullptr, "Static", nullptr); control;
             control = FindWindowExA(dialog, control, "Static", nullptr))
            icons += (GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
        EXPECT_EQ(c.icon ? 1 : 0, icons) << "dialog " << c.dialog;
        // Every edit follows the label that names it (a screen reader reads that label with it,
        // and the label's shortcut reaches it).
        std::string keys;
        HWND before = nullptr;
        for (HWND control = GetWindow(dialog, GW_CHILD); control;
             before = control, control = GetWindow(control, GW_HWNDNEXT)) {
            char text[512] = "", cls[32] = "";
            GetWindowTextA(control, text, sizeof text);
            GetClassNameA(control, cls, sizeof cls);
            if (const char *amp = std::strchr(text, '&'))
                keys += static_cast<char>(std::tolower(static_cast<unsigned char>(amp[1])));
            char label[512] = "";
            if (std::strcmp(cls, "Edit") == 0 && before)
                GetWindowTextA(before, label, sizeof label);
            EXPECT_TRUE(std::strcmp(cls, "Edit") != 0 || std::strchr(label, '&'))
                << "dialog " << c.dialog << ": an edit without a label before it";
        }
        EXPECT_EQ(c.keys, keys) << "dialog " << c.dialog;
        DestroyWindow(dialog);
    }
    // The licence is only read: typing changes nothing, and Enter in it is the text's own.
    HWND licence = CreateDialogParamW(module, MAKEINTRESOURCEW(IDD_LICENSE), nullptr, Inert, 0);
    EXPECT_EQ(ES_READONLY | ES_WANTRETURN,
              GetWindowLongA(GetDlgItem(licence, IDC_LICENSE_TEXT), GWL_STYLE) &
                  (ES_READONLY | ES_WANTRETURN));
    DestroyWindow(licence);
    FreeLibrary(module);
}

TEST_P(Templates, IconGroupHoldsSixteenColourImagesFor100To200PerCent)
{
    std::string exe = StagedSetup(GetParam());
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    HRSRC found = FindResourceExA(module, reinterpret_cast<LPCSTR>(RT_GROUP_ICON),
                                  MAKEINTRESOURCEA(103), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_NE(nullptr, found);
    const BYTE *dir = static_cast<const BYTE *>(LockResource(LoadResource(module, found)));
    ASSERT_EQ(7, dir[4] | (dir[5] << 8));
    std::vector<int> sizes;
    for (int i = 0; i < 7; ++i) {
        const BYTE *entry = dir + 6 + 14 * i;
        EXPECT_EQ(entry[0], entry[1]);        // square
        EXPECT_EQ(16, entry[2]);              // colours
        EXPECT_EQ(4, entry[6] | (entry[7] << 8));  // bits per pixel
        sizes.push_back(entry[0]);
    }
    // 32 first: the dialogs' icon controls show the first image at 100%.
    EXPECT_EQ((std::vector<int>{32, 16, 20, 24, 40, 48, 64}), sizes);
    FreeLibrary(module);
}

INSTANTIATE_TEST_SUITE_P(BuiltSetups, Templates, ::testing::Values("win32", "win64"));

// One text of a file's version resource (US English, Unicode), "" if none.
std::string VersionText(const std::vector<char> &block, const char *name)
{
    char *text = nullptr;
    UINT cch = 0;
    std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void **>(&text), &cch) || !text)
        return "";
    return std::string(text);
}

// The uninstaller as the setup carries it (payload 119, SZDD), expanded by
// the system's LZ expansion into path.
bool ExpandCarriedUninstaller(const std::string &setup, const std::string &path)
{
    HMODULE module = LoadLibraryExA(setup.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return false;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(119), "FILE");
    bool written = found && WriteFileBytes(path + ".szdd",
                                           std::string(static_cast<const char *>(LockResource(
                                                           LoadResource(module, found))),
                                                       SizeofResource(module, found)));
    FreeLibrary(module);
    OFSTRUCT source, destination;
    INT from = written ? LZOpenFileA(const_cast<char *>((path + ".szdd").c_str()), &source, OF_READ) : -1;
    INT to = from >= 0 ? LZOpenFileA(const_cast<char *>(path.c_str()), &destination, OF_CREATE) : -1;
    bool expanded = to >= 0 && LZCopy(from, to) > 0;
    if (from >= 0)
        LZClose(from);
    if (to >= 0)
        LZClose(to);
    DeleteFileA((path + ".szdd").c_str());
    return expanded;
}

class VersionResources : public ::testing::TestWithParam<const char *> {};

TEST_P(VersionResources, SetupAndUninstallerSayWhatTheyAre)
{
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
    std::string uninstaller = std::string(temp) + "qlx-carried-uninstaller.exe";
    ASSERT_TRUE(ExpandCarriedUninstaller(StagedSetup(GetParam()), uninstaller));
    struct Program {
        std::string path;
        const char *description;
        const char *originalName;
    } programs[] = {{StagedSetup(GetParam()), "Quillarix Setup", "QuillarixSetup.exe"},
                    {uninstaller, "Quillarix Uninstaller", "qlxuins1.exe"}};
    for (const Program &p : programs) {
        SCOPED_TRACE(p.path);
        DWORD handle = 0;
        DWORD cb = GetFileVersionInfoSizeA(p.path.c_str(), &handle);
        ASSERT_GT(cb, 0u);
        std::vector<char> block(cb);
        ASSERT_TRUE(GetFileVersionInfoA(p.path.c_str(), 0, cb, block.data()));
        VS_FIXEDFILEINFO *fixed = nullptr;
        UINT cbFixed = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void **>(&fixed), &cbFixed));
        EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
        EXPECT_EQ(0u, fixed->dwFileVersionLS);
        EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
        EXPECT_EQ(0u, fixed->dwProductVersionLS);
        EXPECT_EQ("Orvanta", VersionText(block, "CompanyName"));
        EXPECT_EQ("Quillarix", VersionText(block, "ProductName"));
        EXPECT_EQ(p.description, VersionText(block, "FileDescription"));
        EXPECT_EQ("1.0.0.0", VersionText(block, "FileVersion"));
        EXPECT_EQ("1.0.0.0", VersionText(block, "ProductVersion"));
        EXPECT_EQ(p.originalName, VersionText(block, "OriginalFilename"));
        EXPECT_EQ("Copyright (c) Orvanta Software. All rights reserved.",
                  VersionText(block, "LegalCopyright"));
    }
    DeleteFileA(uninstaller.c_str());
}

INSTANTIATE_TEST_SUITE_P(BuiltSetups, VersionResources, ::testing::Values("win32", "win64"));

}  // namespace
