// The uninstaller against the prefix's real files and registry, with its
// message boxes answered by the test.
#include "winhelpers.h"

#include "base/exitcodes.h"
#include "base/pathtext.h"
#include "install/plan.h"
#include "payload/manifest.h"
#include "registration/registration.h"
#include "base/logfile.h"
#include "uninstaller/removal.h"
#include "uninstaller/tempcopy.h"
#include "uninstaller/ucalls.h"
#include "uninstaller/uninstall.h"

#include <objbase.h>

#include <cstring>

namespace {

class Uninstall : public WineTest {
public:
    void SetUp() override
    {
        WineTest::SetUp();
        RestoreUninstallCalls();
        usys.MessageBoxW = Answer;
        DeleteRegistryTree(HKEY_CURRENT_USER, kVendorKey);
        folder_ = Scratch("Quillarix");
        WriteInstalledFiles(folder_);
        HKEY key;
        RegCreateKeyA(HKEY_CURRENT_USER, kSettingsKey, &key);
        RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE *>(folder_.c_str()),
                       static_cast<DWORD>(folder_.size() + 1));
        RegSetValueExA(key, "Installed", 0, REG_SZ, reinterpret_cast<const BYTE *>("C:\\s.exe"), 9);
        RegCloseKey(key);
        SetAppPaths("Path", folder_);
        SetAppPaths(nullptr, folder_ + "\\Quillarix.exe");
    }
    void TearDown() override
    {
        RestoreUninstallCalls();
        DeleteRegistryTree(HKEY_CURRENT_USER, kVendorKey);
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, kAppPathsEntry);
        WineTest::TearDown();
    }
    static void SetAppPaths(const char *name, const std::string &data)
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, kAppPathsEntry, &key));
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1));
        RegCloseKey(key);
    }
    // Answers the first message box with answer_, and keeps every text in said_.
    static int WINAPI Answer(HWND, LPCWSTR text, LPCWSTR, UINT)
    {
        Uninstall &test = Running<Uninstall>();
        test.said_.push_back(Utf8(text));
        return test.said_.size() == 1 ? test.answer_ : IDOK;
    }
    std::string folder_;
    std::vector<std::string> said_;
    int answer_ = IDYES;
    std::string copied_, started_;  // by CopyFileA and CreateProcessA
    BOOL failIfExists_ = FALSE;
};

TEST_F(Uninstall, RemovesTheInstalledFilesTheFolderAndTheSettings)
{
    EXPECT_EQ(kRemoved, RunUninstall(kInteractiveRun));
    EXPECT_FALSE(FileExists(folder_));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kVendorKey));
    ASSERT_EQ(2u, said_.size());
    EXPECT_EQ("Quillarix has been removed from your computer.", said_[1]);
}

TEST_F(Uninstall, NoLeavesEverything)
{
    answer_ = IDNO;
    EXPECT_EQ(kDeclined, RunUninstall(kInteractiveRun));
    EXPECT_TRUE(FileExists(folder_ + "\\Quillarix.exe"));
    EXPECT_TRUE(FileExists(folder_ + "\\Feature.stp"));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, kSettingsKey));
    EXPECT_EQ(1u, said_.size());
}

// Another product of the same vendor, whose key the removal must leave.
const std::string kOtherProductKey = std::string(kVendorKey) + "\\Typeset";

TEST_F(Uninstall, UserFilesAndOtherOrvantaProductsStay)
{
    WriteFileBytes(folder_ + "\\My Script.scp", "INT. KITCHEN - DAY");
    HKEY other;
    RegCreateKeyA(HKEY_CURRENT_USER, kOtherProductKey.c_str(), &other);
    RegCloseKey(other);
    EXPECT_EQ(kRemoved, RunUninstall(kInteractiveRun));
    EXPECT_TRUE(FileExists(folder_ + "\\My Script.scp"));
    EXPECT_FALSE(FileExists(folder_ + "\\Quillarix.exe"));
    EXPECT_FALSE(FileExists(folder_ + "\\Proof_Left.stp"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kProductKey));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, kOtherProductKey.c_str()));
}

TEST_F(Uninstall, NothingToFindChangesNothing)
{
    DeleteFileA((folder_ + "\\Quillarix.exe").c_str());
    EXPECT_EQ(kNotInstalled, RunUninstall(kInteractiveRun));
    EXPECT_TRUE(FileExists(folder_ + "\\Sample.scp"));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, kSettingsKey));
    ASSERT_EQ(2u, said_.size());
    EXPECT_EQ("No installation of Quillarix was found.  Nothing was removed.", said_[1]);
}

// Quillarix.exe held open: by a running copy (a process whose image it is) the removal stops;
// by another program that only holds it open, the file goes at the restart and the rest now.
TEST_F(Uninstall, RunningApplicationBlocksTheRemovalAHeldFileDoesNot)
{
    usys.MoveFileExA = RecordScheduledDeletion;
    Fake(usys.Sleep, [](DWORD) {});
    for (bool running : {true, false}) {
        WriteInstalledFiles(folder_);
        HANDLE held = CreateFileA((folder_ + "\\Quillarix.exe").c_str(), GENERIC_READ,
                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        FakeRunningCopy(usys, running ? folder_ + "\\Quillarix.exe" : "");
        said_.clear();
        EXPECT_EQ(running ? kRunning : kRemovedAtRestart, RunUninstall(kInteractiveRun));
        CloseHandle(held);
        EXPECT_EQ(running, FileExists(folder_ + "\\Sample.scp"));
        EXPECT_EQ(running, RegistryKeyExists(HKEY_CURRENT_USER, kSettingsKey));
        std::vector<std::string> scheduled = {folder_ + "\\Quillarix.exe", folder_};
        EXPECT_EQ(running ? std::vector<std::string>() : scheduled, scheduled_);
    }
}

class UninstallHeldFile : public Uninstall {
protected:
    void SetUp() override
    {
        Uninstall::SetUp();
        usys.MoveFileExA = RecordScheduledDeletion;
        HKEY key;
        RegCreateKeyA(HKEY_LOCAL_MACHINE, kUninstallEntry, &key);
        RegSetValueExA(key, "UninstallString", 0, REG_SZ,
                       reinterpret_cast<const BYTE *>("C:\\windows\\qlxuins1.exe"), 24);
        RegCloseKey(key);
        // Held open as an editor or a virus scanner holds a file.
        held_ = CreateFileA((folder_ + "\\main.dct").c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held_);
    }
    void TearDown() override
    {
        Release();
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, kUninstallEntry);
        Uninstall::TearDown();
    }
    void Release()
    {
        if (held_ != INVALID_HANDLE_VALUE)
            CloseHandle(held_);
        held_ = INVALID_HANDLE_VALUE;
    }
    HANDLE held_ = INVALID_HANDLE_VALUE;
};

TEST_F(UninstallHeldFile, IsDeletedAtTheNextStartAndEverythingElseNow)
{
    EXPECT_EQ(kRemovedAtRestart, RunUninstall(kInteractiveRun));
    ASSERT_EQ(2u, said_.size());
    EXPECT_EQ("Quillarix will be completely removed when Windows restarts.  These items are in "
              "use and will be deleted then:\r\n" + folder_ + "\\main.dct",
              said_[1]);
    // The file, then the folder it leaves empty.
    EXPECT_EQ((std::vector<std::string>{folder_ + "\\main.dct", folder_}), scheduled_);
    EXPECT_EQ(1, CountFiles(folder_));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kVendorKey));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallEntry));
}

TEST_F(UninstallHeldFile, WhereSchedulingIsRefusedASecondRemovalFinishes)
{
    schedulingAllowed_ = false;
    EXPECT_EQ(kPartlyRemoved, RunUninstall(kInteractiveRun));
    ASSERT_EQ(2u, said_.size());
    EXPECT_EQ("These items could not be removed:\r\n" + folder_ +
                  "\\main.dct\r\n\r\nQuillarix stays in the list of installed programs.  When "
                  "these items are no longer in use, remove it again to finish.",
              said_[1]);
    // Kept for the second removal: the main executable it is found by, the
    // settings values and the uninstall entry.
    EXPECT_EQ((std::vector<std::string>{"Quillarix.exe", "main.dct"}), FileNames(folder_));
    EXPECT_EQ(folder_ + '\0', RegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Path"));
    EXPECT_EQ("C:\\s.exe" + std::string(1, '\0'),
              RegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Installed"));
    EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallEntry));

    Release();
    said_.clear();
    EXPECT_EQ(kRemoved, RunUninstall(kInteractiveRun));
    EXPECT_FALSE(FileExists(folder_));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kVendorKey));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallEntry));
    EXPECT_TRUE(scheduled_.empty());
}

// Quillarix.exe that can be neither deleted nor scheduled: the records that
// name its folder stay, so a second removal finds it still there and
// finishes; it never reports success while the file is left.
TEST_F(UninstallHeldFile, MainExecutableLeftKeepsTheRecordsForASecondRemoval)
{
    Release();
    schedulingAllowed_ = false;
    Fake(usys.DeleteFileA, [](LPCSTR path) -> BOOL {
        if (std::strstr(path, "Quillarix.exe")) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        return DeleteFileA(path);
    });
    EXPECT_EQ(kPartlyRemoved, RunUninstall(kInteractiveRun));
    EXPECT_EQ((std::vector<std::string>{"Quillarix.exe"}), FileNames(folder_));
    EXPECT_EQ(folder_ + '\0', RegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Path"));
    said_.clear();
    EXPECT_EQ(kPartlyRemoved, RunUninstall(kInteractiveRun));  // found again, and still left
    usys.DeleteFileA = &DeleteFileA;
    said_.clear();
    EXPECT_EQ(kRemoved, RunUninstall(kInteractiveRun));
    EXPECT_FALSE(FileExists(folder_));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallEntry));
}

// Only a shell link to this installation's Quillarix.exe is its shortcut:
// a link of that name to another program, and a file of that name that is
// no link at all, stay.
TEST_F(Uninstall, ForeignShortcutsStay)
{
    std::string otherLink = ShortcutPath(CSIDL_STARTMENU);
    std::string notALink = ShortcutPath(CSIDL_DESKTOPDIRECTORY);
    ASSERT_EQ(S_OK, CoInitialize(nullptr));
    HRESULT made = CreateOneShortcut(CoCreateInstance, "C:\\windows", "C:\\windows\\notepad.exe",
                                     Utf16(otherLink).c_str(), "Another program");
    CoUninitialize();
    ASSERT_EQ(S_OK, made);
    std::string linkBytes = ReadFileBytes(otherLink);
    ASSERT_TRUE(WriteFileBytes(notALink, "not a shell link"));

    EXPECT_EQ(kRemoved, RunUninstall(kInteractiveRun));
    EXPECT_EQ(linkBytes, ReadFileBytes(otherLink));
    EXPECT_EQ("not a shell link", ReadFileBytes(notALink));
    EXPECT_FALSE(FileExists(folder_));
    DeleteFileA(otherLink.c_str());
    DeleteFileA(notALink.c_str());
}

// A silent removal asks and shows nothing and writes what it did to its
// log; the shortcuts of a silent installation (every user's) go too, again
// only when they link to this installation.
TEST_F(Uninstall, SilentRemovalLogsAndTakesEveryUsersShortcuts)
{
    std::string ours = ShortcutPath(CSIDL_COMMON_STARTMENU);
    std::string foreign = ShortcutPath(CSIDL_COMMON_DESKTOPDIRECTORY);
    ASSERT_EQ(S_OK, CoInitialize(nullptr));
    HRESULT made = CreateOneShortcut(CoCreateInstance, folder_.c_str(),
                                     (folder_ + "\\Quillarix.exe").c_str(), Utf16(ours).c_str(), "ours");
    HRESULT other = CreateOneShortcut(CoCreateInstance, "C:\\windows", "C:\\windows\\notepad.exe",
                                      Utf16(foreign).c_str(), "Another program");
    CoUninitialize();
    ASSERT_EQ(S_OK, made);
    ASSERT_EQ(S_OK, other);
    std::string log = Scratch("removal.log");
    OpenLogFile(usys, log.c_str());
    EXPECT_EQ(kRemoved, RunUninstall(kSilentRun));
    CloseLogFile(ExitCodeOf(kRemoved));
    EXPECT_TRUE(said_.empty());
    EXPECT_FALSE(FileExists(ours));
    EXPECT_TRUE(FileExists(foreign));
    EXPECT_FALSE(FileExists(folder_));
    std::string logged = ReadFileBytes(log);
    for (std::string line : {"Deleted " + ours, "Deleted " + folder_ + "\\Quillarix.exe",
                             std::string("Quillarix has been removed from your computer."),
                             std::string("Exit code 0")})
        EXPECT_NE(std::string::npos, logged.find(line + "\r\n")) << line << " in\n" << logged;
    DeleteFileA(foreign.c_str());
}

// Under a code page that cannot hold the profile's name (the system's before Windows 10 1903; here
// 1252, and "\u0141ukasz \u7530\u4e2d"), the shortcuts there are still found and removed: the
// removal finishes.
TEST_F(Uninstall, ShortcutsInAProfileBeyondTheCodePageAreRemoved)
{
    static std::wstring profile;
    profile = Utf16(Scratch("\xC5\x81ukasz \xE7\x94\xB0\xE4\xB8\xAD"));
    ASSERT_TRUE(CreateDirectoryW(profile.c_str(), nullptr));
    std::wstring link = profile + L"\\Quillarix.lnk";
    ASSERT_EQ(S_OK, CoInitialize(nullptr));
    HRESULT made = CreateOneShortcut(CoCreateInstance, folder_.c_str(),
                                     (folder_ + "\\Quillarix.exe").c_str(), link.c_str(), "ours");
    CoUninitialize();
    ASSERT_EQ(S_OK, made);
    Fake(usys.GetACP, []() -> UINT { return 1252; });
    Fake(usys.SHGetPathFromIDListW, [](PCIDLIST_ABSOLUTE items, LPWSTR path) -> BOOL {
        BOOL named = SHGetPathFromIDListW(items, path);
        if (named && !wcsstr(path, L".exe"))  // every shell folder; a link's target stays
            lstrcpyW(path, profile.c_str());
        return named;
    });
    EXPECT_EQ(kRemoved, RunUninstall(kSilentRun));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(link.c_str()));
    EXPECT_FALSE(FileExists(folder_));
}

// The first process copies itself into a private folder made for the run in the Windows folder's
// temp folder (never onto an existing name), holds the copy, checks that it is itself and starts
// it from there; a copy that cannot be started, or is not this program, is deleted with its folder.
TEST_F(Uninstall, TheCopyIsMadeNewInAPrivateFolderAndStartedFromThere)
{
    Fake(usys.CopyFileA, [](LPCSTR from, LPCSTR to, BOOL failIfExists) -> BOOL {
        Running<Uninstall>().copied_ = to;
        Running<Uninstall>().failIfExists_ = failIfExists;
        return Running<Uninstall>().started_ == "another program" ? WriteFileBytes(to, "MZ")
                                                                 : CopyFileA(from, to, failIfExists);
    });
    Fake(usys.CreateProcessA, [](LPCSTR application, LPSTR, LPSECURITY_ATTRIBUTES,
                                 LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCSTR,
                                 LPSTARTUPINFOA, LPPROCESS_INFORMATION) -> BOOL {
        HANDLE writer = CreateFileA(application, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        Running<Uninstall>().started_ = writer == INVALID_HANDLE_VALUE ? application : "unheld";
        CloseHandle(writer);
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    });
    for (const char *copy : {"this program", "another program"}) {
        started_ = copy;
        int code = 0;
        EXPECT_FALSE(RunFromTemporaryCopy(kSilentRun, &code));
        std::string temp = "C:\\windows\\Temp\\qlx-";
        EXPECT_EQ(temp, copied_.substr(0, temp.size()));
        EXPECT_EQ(std::string("\\") + kUninstallerName, copied_.substr(temp.size() + 16));
        EXPECT_TRUE(failIfExists_);
        // This program's copy is started while held; another program is never started.
        EXPECT_EQ(std::string(copy) == "this program" ? copied_ : copy, started_);
        EXPECT_FALSE(FileExists(copied_));
        EXPECT_FALSE(FileExists(copied_.substr(0, copied_.rfind('\\'))));
    }
}

// The elevated uninstaller acts on the folder an administrator recorded
// (App Paths), never on the one the user's settings name; without an App
// Paths entry, only on the folder of an uninstaller placed in it.
TEST_F(Uninstall, ActsOnlyOnTheFolderThatAnAdministratorRecorded)
{
    std::string other = Scratch("Elsewhere");
    std::string placed = folder_ + "\\" + kUninstallerName;
    struct Case {
        bool appPaths, settingsElsewhere;
        const std::string *startedFrom;
        UninstallResult result;
        Scope scope = Scope::kAllUsers;
    } const cases[] = {
        {true, false, nullptr, kRemoved},
        {true, true, nullptr, kRemoved},    // a program of the user pointed the settings elsewhere
        {false, true, nullptr, kNotInstalled},
        {false, false, &placed, kRemoved},  // the records could not be written
        // One person's installation, by their own record; every user's, elsewhere, stays.
        {true, true, nullptr, kRemoved, Scope::kThisUser},
    };
    for (const Case &c : cases) {
        said_.clear();
        WriteInstalledFiles(folder_);
        WriteInstalledFiles(other);
        HKEY mine = c.scope == Scope::kAllUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, kAppPathsEntry);
        if (c.appPaths) {
            SetRegistryText(mine, kAppPathsEntry, "Path", folder_);
            SetRegistryText(mine, kAppPathsEntry, nullptr, folder_ + "\\Quillarix.exe");
        }
        if (c.scope == Scope::kThisUser)
            SetAppPaths("Path", other);
        const std::string &settings = c.settingsElsewhere ? other : folder_;
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, "Path", REG_SZ,
                                                 settings.c_str(), DWORD(settings.size() + 1)));
        bool toGo = false;
        EXPECT_EQ(c.result, RunUninstall({Talk::kWindows, c.scope, false},
                                         c.startedFrom ? c.startedFrom->c_str() : nullptr, &toGo));
        EXPECT_EQ(c.result == kRemoved, !FileExists(folder_ + "\\Quillarix.exe"));
        EXPECT_EQ(30, CountFiles(other)) << "the other folder was acted on";
        EXPECT_FALSE(RegistryKeyExists(mine, kAppPathsEntry));
        EXPECT_EQ(c.scope == Scope::kThisUser, RegistryKeyExists(HKEY_LOCAL_MACHINE, kAppPathsEntry));
        RemoveTree(folder_);
    }
}

// Every user's installation is removed with administrator rights: a person without them has an
// elevated copy do it (here the prompt is declined), and a copy started so that has none refuses.
TEST_F(Uninstall, WithoutRightsEveryUsersRemovalIsAnElevatedCopys)
{
    static Token s_token = kStandard;
    static std::string s_relaunched;
    FakeToken(usys, &s_token);
    Fake(usys.ShellExecuteExW, [](SHELLEXECUTEINFOW *run) -> BOOL {
        s_relaunched = Utf8(run->lpVerb) + " " + Utf8(run->lpParameters);
        SetLastError(ERROR_CANCELLED);
        return FALSE;
    });
    Fake(usys.GetCommandLineW, []() -> LPWSTR {
        return const_cast<LPWSTR>(L"qlxuins1.exe /CLOSEAPPLICATIONS /S");
    });
    EXPECT_EQ(exitcode::kCancelled, RunUninstaller("qlxuins1.exe /CLOSEAPPLICATIONS /S"));
    EXPECT_EQ("runas /CLOSEAPPLICATIONS /S /ALLUSERS /QLXELEVATED", s_relaunched);
    s_relaunched.clear();
    EXPECT_EQ(exitcode::kFailed, RunUninstaller("qlxuins1.exe /S /QLXELEVATED"));
    EXPECT_EQ("", s_relaunched);
    EXPECT_TRUE(FileExists(folder_ + "\\Quillarix.exe"));
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    DeleteFileA((std::string(temp) + kUninstallLogName).c_str());
}

// The folder is held open while its files go, and refused where a link
// leads to it (a junction in its place or above, seen through the handle).
TEST_F(Uninstall, AFolderReachedThroughALinkIsLeftAlone)
{
    Fake(usys.GetFinalPathNameByHandleW, [](HANDLE, LPWSTR path, DWORD cch, DWORD) -> DWORD {
        lstrcpynW(path, L"\\\\?\\C:\\users\\someone\\elsewhere", static_cast<int>(cch));
        return static_cast<DWORD>(lstrlenW(path));
    });
    EXPECT_EQ(kFolderRefused, RunUninstall(kInteractiveRun));
    ASSERT_EQ(2u, said_.size());
    EXPECT_EQ("The folder of the installation is a link to another place (a junction or symbolic "
              "link), or lies inside one.  Nothing was removed.", said_[1]);
    EXPECT_EQ(30, CountFiles(folder_));
    EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kAppPathsEntry));
    // Once no link leads to it, the same folder is removed. (That the held
    // folder cannot be renamed meanwhile is Windows' rule, which Wine does
    // not keep: it renames folders with open handles beneath them.)
    RestoreUninstallCalls();
    usys.MessageBoxW = Answer;
    said_.clear();
    EXPECT_EQ(kRemoved, RunUninstall(kInteractiveRun));
    EXPECT_FALSE(FileExists(folder_));
}

}  // namespace
