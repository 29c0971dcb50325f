// Location validation and discovery, on the prefix's real drives, folders
// and registry; the call table only where Wine cannot make the condition.
#include "winhelpers.h"

#include "base/pathtext.h"
#include "base/widetext.h"
#include "location/location.h"
#include "registration/registry.h"
#include "install/plan.h"

#include <cstring>

namespace {

struct Verdict {
    bool accepted;
    std::string captions;
    std::string folder;
};

class Validation : public WineTest {
public:
    // Validates and takes the folder, as the setup does, and lets it go.
    bool Accept(char *folder, bool report)
    {
        HANDLE held = reinterpret_cast<HANDLE>(0xA5A5);
        Talk how = report ? Talk::kWindows : Talk::kNothing;
        bool accepted = ValidateLocation(folder, how) &&
                        TakeLocation(folder, plan_.programFilesFolder, Scope::kAllUsers, &held, how);
        EXPECT_EQ(accepted, held != nullptr && held != reinterpret_cast<HANDLE>(0xA5A5));
        if (accepted)
            CloseHandle(held);
        return accepted;
    }
    // Accepts with reporting, then again silently on the original text:
    // the verdicts must agree and the silent run must show nothing.
    Verdict Validate(const std::string &input)
    {
        char folder[kCbPath];
        CopyText(folder, sizeof folder, input.c_str());
        boxes_.clear();
        bool accepted = Accept(folder, true);
        Verdict v{accepted, BoxCaptions(), folder};
        boxes_.clear();
        CopyText(folder, sizeof folder, input.c_str());
        EXPECT_EQ(accepted, Accept(folder, false)) << input;
        EXPECT_TRUE(boxes_.empty()) << "silent validation showed " << BoxCaptions();
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
    // What the fakes of a test return or record.
    DWORD attributes_ = 0;       // of the folder
    std::string link_;           // the path that is a link
    std::wstring final_;         // the held folder's final path
    std::string sddl_, made_;    // the folder's descriptor, and that of one made anew
    std::string folder_, parent_, parentSddl_;  // the folder and its parent, and the parent's
    BOOL makeable_ = FALSE;      // whether a folder can be made anew
    BOOL removable_ = FALSE;     // whether the old one can be removed (no handle holds it)
};

TEST_F(Validation, DriveFormIsRequired)
{
    for (const char *input : {"Quillarix", "\\\\server\\share", "1:\\x", "C:Quillarix", ""}) {
        Verdict v = Validate(input);
        EXPECT_FALSE(v.accepted) << input;
        EXPECT_EQ("ERROR 11", v.captions) << input;
    }
    char folder[] = "Quillarix";
    ValidateLocation(folder, Talk::kWindows);
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ("Invalid drive specification", boxes_[0].text);
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
    // A drive root is kept as "C:" (which the directory calls get as "C:\\").
    char root[] = "C:\\";
    EXPECT_TRUE(ValidateLocation(root, Talk::kWindows)) << BoxCaptions();
    EXPECT_STREQ("C:", root);
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

// The verdict changes nothing but the text, which becomes the folder the
// system will use; taking the folder creates its missing last level and
// holds it: it cannot be removed or renamed until it is let go.
TEST_F(Validation, ValidationChangesNothingTakingCreatesAndHoldsTheFolder)
{
    SetCurrentDirectoryA("C:\\");
    char folder[kCbPath];
    CopyText(folder, sizeof folder, (Scratch() + "\\level\\..\\New Folder. ").c_str());
    ASSERT_TRUE(ValidateLocation(folder, Talk::kWindows)) << BoxCaptions();
    EXPECT_EQ(Scratch("New Folder"), folder);
    EXPECT_FALSE(FileExists(folder));
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_STREQ("C:\\", current);
    HANDLE held = nullptr;
    ASSERT_TRUE(TakeLocation(folder, plan_.programFilesFolder, Scope::kAllUsers, &held, Talk::kWindows)) << BoxCaptions();
    EXPECT_TRUE(GetFileAttributesA(folder) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(RemoveDirectoryA(folder));  // held without sharing deletion
    CloseHandle(held);
    EXPECT_TRUE(RemoveDirectoryA(folder));
}

TEST_F(Validation, WhatCannotBeCreatedIsRefused)
{
    ASSERT_TRUE(WriteFileBytes(Scratch("a file"), "x"));
    for (const char *name : {"a file", "a file\\level"}) {
        Verdict v = Validate(Scratch(name));
        EXPECT_FALSE(v.accepted) << name;
        EXPECT_EQ("ERROR 16", v.captions) << name;
    }
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
    Fake(sys.GetFileAttributesA, [](LPCSTR) -> DWORD {
        SetLastError(ERROR_ACCESS_DENIED);
        return Running<Validation>().attributes_;
    });
    for (DWORD attributes : {DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_TEMPORARY),
                             DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_OFFLINE),
                             INVALID_FILE_ATTRIBUTES}) {
        attributes_ = attributes;
        Verdict v = Validate(Scratch());
        EXPECT_FALSE(v.accepted) << std::hex << attributes;
        EXPECT_EQ("ERROR 15", v.captions) << std::hex << attributes;
    }
    attributes_ = FILE_ATTRIBUTE_ARCHIVE;  // a file: no folder can be made there
    Verdict v = Validate(Scratch());
    EXPECT_EQ("ERROR 16", v.captions);
    ASSERT_FALSE(v.accepted);
}

// A junction or symbolic link at the folder, or at a level above it, is
// refused: the files would land where it points. (Wine has no reparse
// points: the call table stands in.) Nothing is created then.
TEST_F(Validation, LinkAtTheFolderOrAboveIsRefused)
{
    Fake(sys.GetFileAttributesA, [](LPCSTR path) -> DWORD {
        if (Running<Validation>().link_ == path)
            return FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        return GetFileAttributesA(path);
    });
    for (const char *link : {"Apps\\Quillarix", "Apps"}) {
        link_ = Scratch(link);
        CreateDirectoryA(Scratch("Apps").c_str(), nullptr);
        Verdict v = Validate(Scratch("Apps\\Quillarix"));
        EXPECT_FALSE(v.accepted) << link;
        EXPECT_EQ("ERROR 50", v.captions) << link;
        EXPECT_FALSE(FileExists(Scratch("Apps\\Quillarix"))) << link;
    }
}

// What the verdict saw by name is checked again through the handle that
// holds the folder: a reparse point there, or a final path elsewhere (a
// level above replaced by a junction after the verdict), is refused; the
// same folder in other letter case is the folder.
TEST_F(Validation, TheHeldFolderMustBeTheFolderValidated)
{
    Fake(sys.GetFinalPathNameByHandleW, [](HANDLE, LPWSTR path, DWORD cch, DWORD) -> DWORD {
        lstrcpynW(path, Running<Validation>().final_.c_str(), static_cast<int>(cch));
        return static_cast<DWORD>(Running<Validation>().final_.size());
    });
    Fake(sys.GetFileInformationByHandle, [](HANDLE file, LPBY_HANDLE_FILE_INFORMATION info) -> BOOL {
        BOOL got = GetFileInformationByHandle(file, info);
        info->dwFileAttributes |= Running<Validation>().attributes_;
        return got;
    });
    std::string folder = Scratch("Held");
    std::string upper = folder;
    for (char &c : upper)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    struct Case {
        std::string final;
        DWORD attributes;
        const char *captions;
    } const cases[] = {
        {"\\\\?\\" + folder, 0, ""},
        {"\\\\?\\" + upper, 0, ""},
        {"\\\\?\\C:\\elsewhere\\Held", 0, "ERROR 50"},
        {"\\\\?\\" + folder, FILE_ATTRIBUTE_REPARSE_POINT, "ERROR 50"},
    };
    for (const Case &c : cases) {
        final_.assign(c.final.begin(), c.final.end());
        attributes_ = c.attributes;
        Verdict v = Validate(folder);
        EXPECT_EQ(c.captions, v.captions) << c.final;
        EXPECT_EQ(c.captions[0] == '\0', v.accepted) << c.final;
    }
}

// Who may change an existing folder, read through the held handle as
// descriptor text: the owner and every entry that applies to the folder
// itself. One that others may change is refused, unless it is empty: then
// it is replaced by one made anew with the protected DACL, which is judged
// in its turn; an old folder that cannot be removed is refused.
TEST_F(Validation, AFolderOthersCanChangeIsRefusedOrReplacedWhenEmpty)
{
    Fake(sys.GetKernelObjectSecurity, [](HANDLE handle, SECURITY_INFORMATION what,
                                         PSECURITY_DESCRIPTOR out, DWORD cb, LPDWORD cbNeeded) -> BOOL {
        PSECURITY_DESCRIPTOR made = nullptr;
        ULONG cbMade = 0;
        const Validation &v = Running<Validation>();
        WCHAR final[MAX_PATH] = L"";
        GetFinalPathNameByHandleW(handle, final, MAX_PATH, 0);
        std::string path = Utf8(final).substr(4);  // without "\\?\"
        if (path != v.folder_ && path != v.parent_)  // a level whose descriptor is Wine's own
            return GetKernelObjectSecurity(handle, what, out, cb, cbNeeded);
        const std::string &sddl =
            path == v.parent_ ? v.parentSddl_ : v.made_.empty() ? v.sddl_ : v.made_;
        if (sddl.empty()) {  // a null DACL, which Wine's parser cannot make from text
            SECURITY_DESCRIPTOR absolute;
            InitializeSecurityDescriptor(&absolute, SECURITY_DESCRIPTOR_REVISION);
            SetSecurityDescriptorDacl(&absolute, TRUE, nullptr, FALSE);
            *cbNeeded = cb;
            return MakeSelfRelativeSD(&absolute, out, cbNeeded);
        }
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                                  &made, &cbMade))
            return FALSE;
        *cbNeeded = cbMade;
        BOOL fits = cbMade <= cb;
        if (fits)
            std::memcpy(out, made, cbMade);
        LocalFree(made);
        return fits;
    });
    Fake(sys.RemoveDirectoryA, [](LPCSTR path) -> BOOL {
        SetLastError(ERROR_SHARING_VIOLATION);
        return Running<Validation>().removable_ && RemoveDirectoryA(path);
    });
    Fake(sys.CreateDirectoryA, [](LPCSTR path, LPSECURITY_ATTRIBUTES attributes) -> BOOL {
        Validation &v = Running<Validation>();
        v.made_ = v.makeable_ ? SddlOf(attributes) : "";
        SetLastError(ERROR_ALREADY_EXISTS);  // someone made the name again meanwhile
        return v.makeable_ && CreateDirectoryA(path, nullptr);
    });
    constexpr const char *kTi = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
    const std::string programFiles =
        std::string("O:") + kTi + "D:PAI(A;;FA;;;" + kTi + ")(A;CIIO;GA;;;" + kTi +
        ")(A;;0x1301bf;;;SY)(A;OICIIO;GA;;;SY)(A;;0x1301bf;;;BA)(A;OICIIO;GA;;;BA)"
        "(A;;0x1200a9;;;BU)(A;OICIIO;GXGR;;;BU)(A;OICIIO;GA;;;CO)(A;;0x1200a9;;;AC)";
    const std::string open = "O:S-1-5-21-1-2-3-1001D:AI(A;OICIID;0x1301bf;;;AU)";
    const std::string protect = "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
    struct Case {
        std::string sddl;
        bool empty, removable, makeable;
        const char *captions;
        bool replaced;
        std::string parentSddl = "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
        const char *why = nullptr;
    } const cases[] = {
        {programFiles, false, true, true, "", false},
        {"O:BAD:PAI(A;OICIIO;GA;;;CO)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)", false, true, true, "", false},
        {"O:S-1-5-21-1-2-3-1001D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", false, true, true, "ERROR 51", false},
        {"O:BAD:AI(A;OICIID;0x1301bf;;;AU)(A;OICIID;FA;;;BA)", false, true, true, "ERROR 51", false},
        {"O:BAD:(A;;CCLCSWRPWPDTLOCRRC;;;BU)", false, true, true, "ERROR 51", false},
        {"", false, true, true, "ERROR 51", false},  // no DACL: everyone may do anything
        {open, true, true, true, "", true},
        {open, true, false, true, "ERROR 51", false},  // a user's handle holds it
        {open, true, true, false, "ERROR 51", false},  // the name was made again meanwhile
        // The level above: users may add folders there (a drive's root); or it is open as a
        // folder made in a root is, or lets users rename what it holds, or is another's.
        {protect, false, true, true, "", false, "O:BAD:(A;;FA;;;BA)(A;;LC;;;AU)(A;OICIIO;GA;;;AU)"},
        {protect, true, true, true, "ERROR 51", false, "O:BAD:AI(A;OICIID;0x1301bf;;;AU)",
         "other users may delete or rename it"},
        {protect, false, true, true, "ERROR 51", false, "O:BAD:(A;;FA;;;BA)(A;;0x1200e9;;;AU)",
         "other users may delete or rename what it holds"},
        {protect, false, true, true, "ERROR 51", false, "O:S-1-5-21-1-2-3-1001D:(A;;FA;;;BA)",
         "it belongs to another account"},
    };
    std::string folder = Scratch("Existing");
    folder_ = folder;
    parent_ = Scratch();
    for (const Case &c : cases) {
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        if (!c.empty) {
            ASSERT_TRUE(WriteFileBytes(folder + "\\planted.dll", "x"));
        }
        sddl_ = c.sddl;
        parentSddl_ = c.parentSddl;
        made_.clear();
        removable_ = c.removable;
        makeable_ = c.makeable;
        char text[kCbPath];
        CopyText(text, sizeof text, folder.c_str());
        boxes_.clear();
        EXPECT_EQ(c.captions[0] == '\0', Accept(text, true)) << c.sddl;
        EXPECT_EQ(c.captions, BoxCaptions()) << c.sddl;
        if (c.why && boxes_.size() == 1) {  // the refusal names the level and why
            EXPECT_EQ("The folder " + parent_ + ", which holds the install folder, is not "
                      "protected: " + c.why + ".  Choose another folder.", boxes_.back().text);
        }
        EXPECT_EQ(c.replaced ? "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)" : "",
                  made_) << c.sddl;
        RemoveTree(folder);
    }
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    sddl_ = "O:BAD:AI(A;OICIID;0x1301bf;;;AU)";
    parentSddl_ = cases[0].parentSddl;
    makeable_ = FALSE;
    boxes_.clear();
    Accept(&folder[0], true);
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ("Users other than administrators can change this folder, and so what is "
              "installed in it.  Choose another folder, or an empty one.", boxes_.back().text);
}

// A folder created outside Program Files gets the protection Program Files gives, and so does
// every level above it that did not exist; inside it, each inherits.
TEST_F(Validation, CreatedFolderIsProtectedOutsideProgramFiles)
{
    Fake(sys.CreateDirectoryA, [](LPCSTR path, LPSECURITY_ATTRIBUTES attributes) -> BOOL {
        Running<Validation>().sddl_ += SddlOf(attributes) + "|";
        return CreateDirectoryA(path, nullptr);
    });
    CopyText(plan_.programFilesFolder, kCbPath, Scratch("Program Files").c_str());
    CreateDirectoryA(plan_.programFilesFolder, nullptr);
    const std::string kProtected = "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)|";
    struct Case {
        const char *folder;
        std::string sddl;
    } const cases[] = {
        {"Quillarix", kProtected},
        {"Program Files\\Quillarix", "<none>|"},
        {"Program Files (x86)", kProtected},
        // Within Program Files by its text only: outside it once resolved.
        {"Program Files\\..\\Outside", kProtected},
        {"Two\\Levels", kProtected + kProtected},
        {"Program Files\\Two\\Levels", "<none>|<none>|"},
    };
    for (const Case &c : cases) {
        sddl_ = "";
        EXPECT_TRUE(Validate(Scratch(c.folder)).accepted) << c.folder;
        EXPECT_EQ(c.sddl, sddl_) << c.folder;
    }
}

class Discovery : public WineTest {
public:
    void SetUp() override
    {
        WineTest::SetUp();
        DeleteRegistryTree(HKEY_CURRENT_USER, kVendorKey);
        CopyText(plan_.programFilesFolder, kCbPath, "C:\\Program Files");
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
        *flag = ProposeLocation(plan_, proposed);
        return proposed;
    }
    UINT result_ = 0;    // of GetWindowsDirectoryA and GetTempPathW
    std::string value_;  // ProgramFilesDir, as the registry gives it
};

TEST_F(Discovery, SystemFoldersOfTheFreshPrefix)
{
    FindWindowsFolder(&plan_);
    EXPECT_STREQ("C:\\windows", plan_.windowsFolder);
    FindTempFolder(&plan_);
    std::size_t cch = std::strlen(plan_.tempFolder);
    ASSERT_GT(cch, 3u);
    EXPECT_EQ('\\', plan_.tempFolder[cch - 1]);
    plan_.programFilesFolder[0] = '\0';
    FindProgramFilesFolder(&plan_);
    EXPECT_EQ(kProgramFiles, plan_.programFilesFolder);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(Discovery, MissingOrOverlongSystemFoldersAreReportedAndEmpty)
{
    Fake(sys.GetWindowsDirectoryA, [](LPSTR, UINT) -> UINT { return Running<Discovery>().result_; });
    Fake(sys.GetTempPathW, [](DWORD, LPWSTR) -> DWORD { return Running<Discovery>().result_; });
    for (UINT result : {0u, UINT(kCbPath + 40)}) {
        result_ = result;
        boxes_.clear();
        FindWindowsFolder(&plan_);
        FindTempFolder(&plan_);
        EXPECT_STREQ("", plan_.windowsFolder);
        EXPECT_STREQ("", plan_.tempFolder);
        ASSERT_EQ("ERROR 2|ERROR 3", BoxCaptions());
        EXPECT_EQ("Unable to locate Windows directory", boxes_[0].text);
        EXPECT_EQ("Unable to locate temp path.", boxes_[1].text);
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
    FindProgramFilesFolder(&plan_);
    EXPECT_STREQ("D:\\Program Files", plan_.programFilesFolder);
    Fake(sys.GetDriveTypeA, [](LPCSTR) -> UINT { return DRIVE_CDROM; });
    FindProgramFilesFolder(&plan_);
    EXPECT_STREQ("C:\\Program Files", plan_.programFilesFolder);
}

TEST_F(Discovery, ShortOrOverlongProgramFilesDirIsIgnored)
{
    Fake(sys.RegQueryValueExA, [](HKEY, LPCSTR, LPDWORD, LPDWORD type, LPBYTE data,
                              LPDWORD cb) -> LONG {
        const std::string &value = Running<Discovery>().value_;
        if (value.size() + 1 > *cb)
            return ERROR_MORE_DATA;
        std::memcpy(data, value.c_str(), value.size() + 1);
        *cb = static_cast<DWORD>(value.size() + 1);
        *type = REG_SZ;
        return ERROR_SUCCESS;
    });
    Fake(sys.GetLogicalDrives, []() -> DWORD { return 1u << 5; });  // F only
    Fake(sys.GetDriveTypeA, [](LPCSTR) -> UINT { return DRIVE_FIXED; });
    const std::string overlong = "E:\\" + std::string(248, 'p');  // no room for "\Quillarix"
    for (auto [value, found] : {std::pair<std::string, const char *>{"E:", "F:\\Program Files"},
                                {"E:\\Programs\\", "E:\\Programs"},
                                {overlong, "F:\\Program Files"}}) {
        value_ = value;
        FindProgramFilesFolder(&plan_);
        EXPECT_STREQ(found, plan_.programFilesFolder) << value;
    }
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
    EXPECT_TRUE(boxes_.empty());
}

// A silent run has nobody to see the folder: it trusts the folder an
// administrator recorded (App Paths), never the per-user one.
TEST_F(Discovery, SilentRunTakesOnlyTheFolderAnAdministratorRecorded)
{
    RecordPath(Scratch("Users own"));
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kAppPathsEntry);
    bool flag = true;
    plan_.mode = kSilentRun;
    EXPECT_EQ("C:\\Program Files\\Quillarix", Propose(&flag));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kAppPathsEntry));  // not created
    std::string recorded = Scratch("Administrators");
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, kAppPathsEntry, &key));
    RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE *>(recorded.c_str()),
                   static_cast<DWORD>(recorded.size() + 1));
    RegCloseKey(key);
    EXPECT_EQ(recorded, Propose(&flag));
    plan_.mode = kInteractiveRun;
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

// Proposing creates nothing: only the folder that is taken is created.
TEST_F(Discovery, RecordedFolderThatIsGoneIsProposedNotCreated)
{
    std::string folder = Scratch("Gone");
    RecordPath(folder);
    bool flag = true;
    EXPECT_EQ(folder, Propose(&flag));
    EXPECT_FALSE(flag);
    EXPECT_FALSE(FileExists(folder));
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
    EXPECT_TRUE(boxes_.empty());
}

}  // namespace

namespace {

// Whether a folder lies in another, as the file system compares names:
// ordinal on UTF-16, any letter in either case, whole characters.
TEST(PathText, WithinAFolderComparedAsTheFileSystemDoes)
{
    SetPathCodePage(GetACP());
    struct Case {
        const char *path, *folder;
        bool within;
    } const cases[] = {
        {"C:\\Program Files\\Quillarix", "C:\\Program Files", true},
        {"c:\\PROGRAM FILES\\Quillarix", "C:\\Program Files\\", true},
        {"C:\\Program Files", "C:\\Program Files", true},
        {"C:\\Program Files (x86)\\Quillarix", "C:\\Program Files", false},
        {"C:\\Program FilesX", "C:\\Program Files", false},
        {"C:\\Program", "C:\\Program Files", false},
        {"C:\\Quillarix", "C:\\", true},
        {"C:\\Quillarix", "", false},
        {"C:\\\xc3\x89T\xc3\x89\\Q", "c:\\\xc3\xa9t\xc3\xa9", true},  // ÉTÉ in été
        {"C:\\\xd0\x9f\xd0\xa0\xd0\x9e\\Q", "C:\\\xd0\xbf\xd1\x80\xd0\xbe", true},  // ПРО in про
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.within, IsWithinFolderText(sys, c.path, c.folder)) << c.path << " in " << c.folder;
}

// The double-byte code pages' lead bytes, every byte, as Windows has them.
TEST(PathText, LeadBytesOfTheDoubleByteCodePagesAreWindowsOwn)
{
    for (unsigned codePage : {932u, 936u, 949u, 950u})
        for (unsigned byte = 0; byte < 256; ++byte)
            EXPECT_EQ(IsDBCSLeadByteEx(codePage, static_cast<BYTE>(byte)) != FALSE,
                      IsLeadByte(codePage, static_cast<unsigned char>(byte)))
                << codePage << ": 0x" << std::hex << byte;
}

}  // namespace
