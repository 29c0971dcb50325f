// Location validation and discovery, on the prefix's real drives, folders
// and registry; the call table only where Wine cannot make the condition.
#include "winhelpers.h"

#include "location/location.h"
#include "registration/registry.h"
#include "base/state.h"

#include <cstring>

namespace {

struct Verdict {
    bool accepted;
    std::string captions;
    std::string folder;
};

class Validation : public WineTest {
protected:
    // Validates with reporting, then again silently on the original text:
    // the verdicts must agree and the silent run must show nothing.
    Verdict Validate(const std::string &input)
    {
        char folder[kCbPath];
        CopyText(folder, sizeof folder, input.c_str());
        g_boxes.clear();
        bool accepted = ValidateLocation(folder, true);
        Verdict v{accepted, BoxCaptions(), folder};
        g_boxes.clear();
        CopyText(folder, sizeof folder, input.c_str());
        EXPECT_EQ(accepted, ValidateLocation(folder, false)) << input;
        EXPECT_TRUE(g_boxes.empty()) << "silent validation showed " << BoxCaptions();
        return v;
    }
    // A folder path of exactly cch characters under the scratch folder,
    // made of existing levels.
    std::string FolderOfLength(std::size_t cch)
    {
        std::string folder = Scratch();
        while (folder.size() + 1 < cch) {
            std::size_t room = cch - folder.size() - 1;
            folder += "\\" + std::string(room < 50 ? room : 50, 'L');
            CreateDirectoryA(folder.c_str(), nullptr);
        }
        return folder;
    }
};

TEST_F(Validation, DriveFormIsRequired)
{
    for (const char *input : {"Quillarix", "\\\\server\\share", "1:\\x", "C:Quillarix", ""}) {
        Verdict v = Validate(input);
        EXPECT_FALSE(v.accepted) << input;
        EXPECT_EQ("ERROR 11", v.captions) << input;
    }
    char folder[] = "Quillarix";
    ValidateLocation(folder, true);
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ("Invalid drive specification", g_boxes[0].text);
}

TEST_F(Validation, RemovableDriveIsRefused)
{
    ASSERT_EQ(static_cast<UINT>(DRIVE_REMOVABLE), GetDriveTypeA("D:\\"))
        << "the rig makes D: a removable drive";
    Verdict v = Validate("D:\\Quillarix");
    EXPECT_FALSE(v.accepted);
    EXPECT_EQ("ERROR 12", v.captions);
    EXPECT_FALSE(FileExists("D:\\Quillarix"));
}

TEST_F(Validation, TrailingBackslashesAreTrimmedInPlace)
{
    Verdict v = Validate(Scratch() + "\\\\\\");
    EXPECT_TRUE(v.accepted);
    EXPECT_EQ(Scratch(), v.folder);
    // A drive root is kept as "C:", but the directory calls get "C:\\":
    // "C:" alone names the drive's current directory.
    static std::string s_asked;
    Fake(sys.SetCurrentDirectoryA, [](LPCSTR path) -> BOOL {
        s_asked += std::string(path) + "|";
        return SetCurrentDirectoryA(path);
    });
    Verdict root = Validate("C:\\");
    EXPECT_TRUE(root.accepted) << root.captions;
    EXPECT_EQ("C:", root.folder);
    EXPECT_EQ("C:\\|C:\\|", s_asked);  // reporting and silent
}

TEST_F(Validation, LengthLimitIs227Characters)
{
    std::string longest = FolderOfLength(227);
    ASSERT_EQ(227u, longest.size());
    Verdict v = Validate(longest);
    EXPECT_TRUE(v.accepted) << v.captions;
    std::string tooLong = longest + "X";
    Verdict refused = Validate(tooLong);
    EXPECT_FALSE(refused.accepted);
    EXPECT_EQ("ERROR 27", refused.captions);
    EXPECT_FALSE(FileExists(tooLong));
    // Trailing backslashes do not count against the limit.
    EXPECT_TRUE(Validate(longest + "\\\\").accepted);
}

TEST_F(Validation, MissingLastLevelIsCreatedButNotMadeCurrent)
{
    SetCurrentDirectoryA("C:\\");
    std::string folder = Scratch("New Folder");
    Verdict v = Validate(folder);
    EXPECT_TRUE(v.accepted);
    EXPECT_TRUE(GetFileAttributesA(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    // Created by the first (reporting) call; the silent call then found it
    // and made it current, so check the creating call alone.
    std::string other = Scratch("Another");
    char text[kCbPath];
    CopyText(text, sizeof text, other.c_str());
    SetCurrentDirectoryA("C:\\");
    ASSERT_TRUE(ValidateLocation(text, true));
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_STREQ("C:\\", current);
}

TEST_F(Validation, ExistingFolderBecomesCurrent)
{
    char text[kCbPath];
    CopyText(text, sizeof text, Scratch().c_str());
    ASSERT_TRUE(ValidateLocation(text, true));
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_STREQ(Scratch().c_str(), current);
}

TEST_F(Validation, WhatCannotBeCreatedIsRefused)
{
    ASSERT_TRUE(WriteFileBytes(Scratch("a file"), "x"));
    Verdict file = Validate(Scratch("a file"));
    EXPECT_FALSE(file.accepted);
    EXPECT_EQ("ERROR 16", file.captions);
    Verdict nested = Validate(Scratch("missing\\level"));
    EXPECT_FALSE(nested.accepted);
    EXPECT_EQ("ERROR 16", nested.captions);
    EXPECT_FALSE(FileExists(Scratch("missing")));
}

TEST_F(Validation, ReadOnlyFolderIsRefused)
{
    DWORD attributes = GetFileAttributesA("C:\\qlx-readonly");
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes) << "the rig makes C:\\qlx-readonly";
    ASSERT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
    Verdict v = Validate("C:\\qlx-readonly");
    EXPECT_FALSE(v.accepted);
    EXPECT_EQ("ERROR 14", v.captions);
}

TEST_F(Validation, TemporaryOfflineOrUnreadableFolderIsRefused)
{
    // Wine cannot give a folder these attributes: the call table stands in.
    static DWORD s_attributes;
    Fake(sys.GetFileAttributesA, [](LPCSTR) -> DWORD { return s_attributes; });
    for (DWORD attributes : {DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_TEMPORARY),
                             DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_OFFLINE),
                             INVALID_FILE_ATTRIBUTES}) {
        s_attributes = attributes;
        Verdict v = Validate(Scratch());
        EXPECT_FALSE(v.accepted) << std::hex << attributes;
        EXPECT_EQ("ERROR 15", v.captions) << std::hex << attributes;
    }
    s_attributes = FILE_ATTRIBUTE_ARCHIVE;  // not a folder although it became current
    Verdict v = Validate(Scratch());
    EXPECT_EQ("ERROR 13", v.captions);
    ASSERT_FALSE(v.accepted);
}

// A junction or symbolic link at the folder, or at a level above it, is
// refused: the files would land where it points. (Wine has no reparse
// points: the call table stands in.) Nothing is created then.
TEST_F(Validation, LinkAtTheFolderOrAboveIsRefused)
{
    static std::string s_link;
    Fake(sys.GetFileAttributesA, [](LPCSTR path) -> DWORD {
        if (s_link == path)
            return FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        return GetFileAttributesA(path);
    });
    for (const char *link : {"Apps\\Quillarix", "Apps"}) {
        s_link = Scratch(link);
        CreateDirectoryA(Scratch("Apps").c_str(), nullptr);
        Verdict v = Validate(Scratch("Apps\\Quillarix"));
        EXPECT_FALSE(v.accepted) << link;
        EXPECT_EQ("ERROR 50", v.captions) << link;
        EXPECT_FALSE(FileExists(Scratch("Apps\\Quillarix"))) << link;
    }
}

// A folder created outside Program Files gets the protection Program Files
// gives; inside it, the folder inherits.
TEST_F(Validation, CreatedFolderIsProtectedOutsideProgramFiles)
{
    static std::string s_sddl;
    Fake(sys.CreateDirectoryA, [](LPCSTR path, LPSECURITY_ATTRIBUTES attributes) -> BOOL {
        s_sddl = SddlOf(attributes);
        return CreateDirectoryA(path, nullptr);
    });
    CopyText(g_setup.programFilesFolder, kCbPath, Scratch("Program Files").c_str());
    CreateDirectoryA(g_setup.programFilesFolder, nullptr);
    struct Case {
        const char *folder, *sddl;
    } const cases[] = {
        {"Quillarix", "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"},
        {"Program Files\\Quillarix", "<none>"},
        {"Program Files (x86)", "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"},
    };
    for (const Case &c : cases) {
        s_sddl = "";
        EXPECT_TRUE(Validate(Scratch(c.folder)).accepted) << c.folder;
        EXPECT_EQ(c.sddl, s_sddl) << c.folder;
    }
}

class Discovery : public WineTest {
protected:
    void SetUp() override
    {
        WineTest::SetUp();
        DeleteRegistryTree(HKEY_CURRENT_USER, kVendorKey);
        CopyText(g_setup.programFilesFolder, kCbPath, "C:\\Program Files");
    }
    void TearDown() override
    {
        DeleteRegistryTree(HKEY_CURRENT_USER, kVendorKey);
        WineTest::TearDown();
    }
    void RecordPath(const std::string &path)
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, kSettingsKey, &key));
        RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE *>(path.c_str()),
                       static_cast<DWORD>(path.size() + 1));
        RegCloseKey(key);
    }
    std::string Propose(bool *flag)
    {
        char proposed[kCbPath];
        std::memset(proposed, 0xA5, sizeof proposed);
        *flag = ProposeLocation(proposed);
        return proposed;
    }
};

TEST_F(Discovery, SystemFoldersOfTheFreshPrefix)
{
    FindWindowsFolder();
    EXPECT_STREQ("C:\\windows", g_setup.windowsFolder);
    FindTempFolder();
    std::size_t cch = std::strlen(g_setup.tempFolder);
    ASSERT_GT(cch, 3u);
    EXPECT_EQ('\\', g_setup.tempFolder[cch - 1]);
    g_setup.programFilesFolder[0] = '\0';
    FindProgramFilesFolder();
    EXPECT_EQ(kProgramFiles, g_setup.programFilesFolder);
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(Discovery, MissingOrOverlongSystemFoldersAreReportedAndEmpty)
{
    static UINT s_result;
    Fake(sys.GetWindowsDirectoryA, [](LPSTR, UINT) -> UINT { return s_result; });
    Fake(sys.GetTempPathW, [](DWORD, LPWSTR) -> DWORD { return s_result; });
    for (UINT result : {0u, 300u}) {
        s_result = result;
        g_boxes.clear();
        FindWindowsFolder();
        FindTempFolder();
        EXPECT_STREQ("", g_setup.windowsFolder);
        EXPECT_STREQ("", g_setup.tempFolder);
        ASSERT_EQ("ERROR 2|ERROR 3", BoxCaptions());
        EXPECT_EQ("Unable to locate Windows directory", g_boxes[0].text);
        EXPECT_EQ("Unable to locate temp path.", g_boxes[1].text);
    }
}

TEST_F(Discovery, ProgramFilesFallsBackToTheFirstFixedDrive)
{
    // No ProgramFilesDir anywhere; fixed drives D and E only.
    Fake(sys.RegQueryValueExA, [](HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD) -> LONG {
        return ERROR_FILE_NOT_FOUND;
    });
    Fake(sys.GetLogicalDrives, []() -> DWORD { return (1u << 3) | (1u << 4) | 1u; });
    Fake(sys.GetDriveTypeA, [](LPCSTR root) -> UINT {
        return root[0] == 'D' || root[0] == 'E' ? DRIVE_FIXED : DRIVE_REMOVABLE;
    });
    FindProgramFilesFolder();
    EXPECT_STREQ("D:\\Program Files", g_setup.programFilesFolder);
    Fake(sys.GetDriveTypeA, [](LPCSTR) -> UINT { return DRIVE_CDROM; });
    FindProgramFilesFolder();
    EXPECT_STREQ("C:\\Program Files", g_setup.programFilesFolder);
}

TEST_F(Discovery, ShortOrOverlongProgramFilesDirIsIgnored)
{
    static std::string s_value;
    Fake(sys.RegQueryValueExA, [](HKEY, LPCSTR, LPDWORD, LPDWORD type, LPBYTE data,
                              LPDWORD cb) -> LONG {
        if (s_value.size() + 1 > *cb)
            return ERROR_MORE_DATA;
        std::memcpy(data, s_value.c_str(), s_value.size() + 1);
        *cb = static_cast<DWORD>(s_value.size() + 1);
        *type = REG_SZ;
        return ERROR_SUCCESS;
    });
    Fake(sys.GetLogicalDrives, []() -> DWORD { return 1u << 5; });  // F only
    Fake(sys.GetDriveTypeA, [](LPCSTR) -> UINT { return DRIVE_FIXED; });
    s_value = "E:";
    FindProgramFilesFolder();
    EXPECT_STREQ("F:\\Program Files", g_setup.programFilesFolder);
    s_value = "E:\\Programs\\";
    FindProgramFilesFolder();
    EXPECT_STREQ("E:\\Programs", g_setup.programFilesFolder);
    s_value = "E:\\" + std::string(248, 'p');  // no room left for "\Quillarix"
    FindProgramFilesFolder();
    EXPECT_STREQ("F:\\Program Files", g_setup.programFilesFolder);
}

TEST_F(Discovery, RecordedFolderWithTheApplicationIsAnExistingInstall)
{
    std::string folder = Scratch("Quillarix");
    CreateDirectoryA(folder.c_str(), nullptr);
    RecordPath(folder + "\\");
    bool flag = true;
    EXPECT_EQ(folder, Propose(&flag));
    EXPECT_FALSE(flag);
    ASSERT_TRUE(WriteFileBytes(folder + "\\Quillarix.exe", "MZ"));
    EXPECT_EQ(folder, Propose(&flag));
    EXPECT_TRUE(flag);
    // Held open elsewhere (a running copy): still an existing install.
    HANDLE held = CreateFileA((folder + "\\Quillarix.exe").c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(folder, Propose(&flag));
    EXPECT_TRUE(flag);
    CloseHandle(held);
    EXPECT_TRUE(g_boxes.empty());
}

// A silent run has nobody to see the folder: it trusts the folder an
// administrator recorded (App Paths), never the per-user one.
TEST_F(Discovery, SilentRunTakesOnlyTheFolderAnAdministratorRecorded)
{
    RecordPath(Scratch("Users own"));
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kAppPathsEntry);
    bool flag = true;
    g_setup.silent = true;
    EXPECT_EQ("C:\\Program Files\\Quillarix", Propose(&flag));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kAppPathsEntry));  // not created
    std::string recorded = Scratch("Administrators");
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, kAppPathsEntry, &key));
    RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE *>(recorded.c_str()),
                   static_cast<DWORD>(recorded.size() + 1));
    RegCloseKey(key);
    EXPECT_EQ(recorded, Propose(&flag));
    g_setup.silent = false;
    EXPECT_EQ(Scratch("Users own"), Propose(&flag));
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kAppPathsEntry);
}

TEST_F(Discovery, RecordedPathBeginningWithColonCountsAsNone)
{
    RecordPath(":C:\\Old");
    bool flag = true;
    EXPECT_EQ("C:\\Program Files\\Quillarix", Propose(&flag));
    EXPECT_FALSE(flag);
    DeleteRegistryTree(HKEY_CURRENT_USER, kVendorKey);
    EXPECT_EQ("C:\\Program Files\\Quillarix", Propose(&flag));
}

TEST_F(Discovery, RecordedFolderThatIsGoneIsCreatedAgain)
{
    std::string folder = Scratch("Gone");
    RecordPath(folder);
    bool flag = true;
    EXPECT_EQ(folder, Propose(&flag));
    EXPECT_FALSE(flag);
    EXPECT_TRUE(FileExists(folder));
}

TEST_F(Discovery, RecordedFolderThatValidationRefusesIsStillProposed)
{
    RecordPath("D:\\Quillarix\\\\");
    bool flag = true;
    EXPECT_EQ("D:\\Quillarix\\\\", Propose(&flag));  // refused before trimming
    EXPECT_FALSE(flag);
    RecordPath(Scratch("a\\b") + "\\");
    EXPECT_EQ(Scratch("a\\b"), Propose(&flag));  // refused after trimming
    EXPECT_FALSE(flag);
    EXPECT_TRUE(g_boxes.empty());
}

}  // namespace
