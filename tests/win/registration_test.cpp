// Application and uninstall registration, and the end of the sequence:
// registry records, the uninstaller's folder, messages 8, 9 and 10, the
// main executable outcomes and the launch.
#include "winhelpers.h"

#include "ui/ui.h"

#include "registration/registration.h"
#include "payload/manifest.h"
#include "registration/registry.h"
#include "registration/settings.h"
#include "resources/resource.h"
#include "setup/sequence.h"
#include "setup/launch.h"
#include "base/exitcodes.h"
#include "base/product.h"
#include "install/plan.h"

#include <cstring>
#include <functional>
#include <vector>

namespace {


std::string Z(const std::string &text)  // with its terminating zero, as stored
{
    return text + '\0';
}

void ForgetInstallation()
{
    DeleteRegistryTree(HKEY_CURRENT_USER, kVendorKey);
    for (HKEY records : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        DeleteRegistryTree(records, kAppPathsEntry);
        DeleteRegistryTree(records, kUninstallEntry);
    }
    DeleteFileA("C:\\windows\\qlxuins1.exe");
    char path[MAX_PATH];
    for (int csidl : {CSIDL_STARTMENU, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_STARTMENU,
                      CSIDL_COMMON_DESKTOPDIRECTORY})
        if (SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE))
            DeleteFileA((std::string(path) + kLinkName).c_str());
}

bool ShortcutExists(int csidl)
{
    char path[MAX_PATH];
    return SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE) &&
           FileExists(std::string(path) + kLinkName);
}

class Registration : public WineTest {
public:
    void SetUp() override
    {
        WineTest::SetUp();
        ForgetInstallation();
        CopyText(plan_.windowsFolder, kCbPath, "C:\\windows");
        CopyText(plan_.installFolder, kCbPath, "C:\\Program Files\\Quillarix");
        CopyText(plan_.mainExePath, kCbPath, "C:\\Program Files\\Quillarix\\Quillarix.exe");
    }
    void TearDown() override
    {
        ForgetInstallation();
        WineTest::TearDown();
    }
    bool complete = false;
    const char *failing_ = "";  // the value whose writing fails
};

TEST_F(Registration, RecordsAreWrittenBareWithTheirZero)
{
    ASSERT_TRUE(RecordApplicationPaths(plan_));
    ASSERT_TRUE(RecordInstallFolder(plan_));
    ASSERT_TRUE(RecordUninstallEntry(plan_, 1457, &complete));
    EXPECT_TRUE(complete);
    DWORD type = 0;
    EXPECT_EQ(Z("C:\\Program Files\\Quillarix\\Quillarix.exe"),
              RegistryValue(HKEY_LOCAL_MACHINE, kAppPathsEntry, nullptr, &type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(Z("C:\\Program Files\\Quillarix"), RegistryValue(HKEY_LOCAL_MACHINE, kAppPathsEntry, "Path", &type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(Z("Quillarix Version 1.0   (Remove Only)"),
              RegistryValue(HKEY_LOCAL_MACHINE, kUninstallEntry, "DisplayName", &type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(Z("C:\\windows\\qlxuins1.exe"),
              RegistryValue(HKEY_LOCAL_MACHINE, kUninstallEntry, "UninstallString", &type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    // What the list of installed programs and deployment tools read.
    SYSTEMTIME now;
    GetLocalTime(&now);
    char date[16];
    std::snprintf(date, sizeof date, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    for (auto [name, text] : std::vector<std::pair<const char *, std::string>>{
             {"DisplayVersion", "1.0.0.0"}, {"Publisher", "Orvanta"},
             {"InstallLocation", "C:\\Program Files\\Quillarix"},
             {"DisplayIcon", "C:\\Program Files\\Quillarix\\Quillarix.exe"}, {"InstallDate", date},
             {"QuietUninstallString", "\"C:\\windows\\qlxuins1.exe\" /S"}})
        EXPECT_EQ(Z(text), RegistryValue(HKEY_LOCAL_MACHINE, kUninstallEntry, name)) << name;
    for (auto [name, value] : std::vector<std::pair<const char *, DWORD>>{
             {"EstimatedSize", 1457}, {"NoModify", 1}, {"NoRepair", 1}, {"VersionMajor", 1},
             {"VersionMinor", 0}}) {
        EXPECT_EQ(std::string(reinterpret_cast<const char *>(&value), sizeof value),
                  RegistryValue(HKEY_LOCAL_MACHINE, kUninstallEntry, name, &type)) << name;
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type) << name;
    }
    EXPECT_EQ(Z("C:\\Program Files\\Quillarix"), RegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Path"));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(Registration, EmptyWindowsFolderGivesTheBareUninstallerName)
{
    plan_.windowsFolder[0] = '\0';
    ASSERT_TRUE(RecordUninstallEntry(plan_, 1457, &complete));
    EXPECT_EQ(Z("qlxuins1.exe"), RegistryValue(HKEY_LOCAL_MACHINE, kUninstallEntry, "UninstallString"));
}

// A failed DisplayName fails the entry; a failed value that only deployment
// tools read leaves it usable but not complete. The others are written.
TEST_F(Registration, FailedDisplayNameStillWritesTheCommandButFails)
{
    for (auto [failing, recorded] : {std::pair{"DisplayName", false}, {"DisplayVersion", true}}) {
        failing_ = failing;
        Fake(sys.RegSetValueExA, [](HKEY key, LPCSTR name, DWORD reserved, DWORD type,
                                    const BYTE *data, DWORD cb) -> LONG {
            if (name && std::strcmp(name, Running<Registration>().failing_) == 0)
                return ERROR_ACCESS_DENIED;
            return RegSetValueExA(key, name, reserved, type, data, cb);
        });
        EXPECT_EQ(recorded, RecordUninstallEntry(plan_, 1457, &complete)) << failing;
        EXPECT_FALSE(complete) << failing;
        EXPECT_EQ(Z("C:\\windows\\qlxuins1.exe"),
                  RegistryValue(HKEY_LOCAL_MACHINE, kUninstallEntry, "UninstallString"));
        EXPECT_EQ(Z("Orvanta"), RegistryValue(HKEY_LOCAL_MACHINE, kUninstallEntry, "Publisher"));
    }
}

TEST_F(Registration, FailedAppPathsStillRecordsTheInstallFolder)
{
    Fake(sys.RegCreateKeyExA, [](HKEY parent, LPCSTR subkey, DWORD r, LPSTR cls, DWORD options,
                             REGSAM access, LPSECURITY_ATTRIBUTES sa, PHKEY key, LPDWORD d) -> LONG {
        if (parent == HKEY_LOCAL_MACHINE)
            return ERROR_ACCESS_DENIED;
        return RegCreateKeyExA(parent, subkey, r, cls, options, access, sa, key, d);
    });
    EXPECT_FALSE(RecordApplicationPaths(plan_));
    EXPECT_TRUE(RecordInstallFolder(plan_));  // the user's record is a step of its own
    EXPECT_FALSE(RecordUninstallEntry(plan_, 1457, &complete));
    EXPECT_EQ(Z("C:\\Program Files\\Quillarix"), RegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Path"));
    EXPECT_EQ("<no key>", RegistryValue(HKEY_LOCAL_MACHINE, kAppPathsEntry, nullptr));
    EXPECT_TRUE(boxes_.empty());
}

// The whole sequence with Install and Accept pressed by fakes.
class Installation : public Registration {
public:
    void SetUp() override
    {
        Registration::SetUp();
        folder_ = Scratch("Quillarix");
        sys.DialogBoxParamW = InstallAndAccept;
        // No shell is asked: it would start Quillarix for real.
        Fake(sys.CreateThread, [](LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID,
                                  DWORD, LPDWORD) -> HANDLE { return nullptr; });
        Fake(sys.RegisterClassExA, [](const WNDCLASSEXA *) -> ATOM { return 0; });
    }
    void Run(int expected = exitcode::kDone) { EXPECT_EQ(expected, RunSetup("", &plan_)); }
    static INT_PTR WINAPI InstallAndAccept(HINSTANCE, LPCWSTR name, HWND, DLGPROC, LPARAM param)
    {
        if (reinterpret_cast<ULONG_PTR>(name) == IDD_LOCATION)
            CopyText(reinterpret_cast<FolderChoice *>(param)->folder, kCbPath,
                     Running<Installation>().folder_.c_str());
        return IDOK;
    }
    std::string folder_;
    int opens_ = 0, locationRuns_ = 0;  // counted by fakes
};

TEST_F(Installation, CompleteRunInstallsRegistersAndLaunches)
{
    Run();
    // No shell is asked here, and nothing else starts Quillarix: the person
    // is told where to start it.
    ASSERT_EQ("Quillarix", BoxCaptions());
    EXPECT_EQ(kNotStartedText, boxes_[0].text);
    EXPECT_EQ(UINT(MB_OK | MB_ICONINFORMATION), boxes_[0].style);
    EXPECT_EQ(30, CountFiles(folder_));  // 29 manifest files and the main executable
    EXPECT_TRUE(ReadFileBytes(folder_ + "\\Quillarix.exe") == ReadFileBytes(PayloadSource("Quillarix.exe")));
    EXPECT_TRUE(ReadFileBytes("C:\\windows\\qlxuins1.exe") == ReadFileBytes(PayloadSource("qlxuins1.exe")));
    EXPECT_EQ(Z(folder_), RegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Path"));
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, sizeof module);
    EXPECT_EQ(Z(module), RegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Installed"));
    EXPECT_EQ(Z(folder_ + "\\Quillarix.exe"), RegistryValue(HKEY_LOCAL_MACHINE, kAppPathsEntry, nullptr));
    EXPECT_TRUE(ShortcutExists(CSIDL_STARTMENU));
    EXPECT_TRUE(ShortcutExists(CSIDL_DESKTOPDIRECTORY));
    std::size_t cbInstalled = ReadFileBytes(PayloadSource("qlxuins1.exe")).size();
    for (const std::string &name : FileNames(folder_))
        cbInstalled += ReadFileBytes(folder_ + "\\" + name).size();
    DWORD kilobytes = static_cast<DWORD>((cbInstalled + 1023) / 1024);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(&kilobytes), sizeof kilobytes),
              RegistryValue(HKEY_LOCAL_MACHINE, kUninstallEntry, "EstimatedSize"));
}

TEST_F(Installation, UnwritableMachineKeysGiveCodes8And9AndNothingToOnePersonsInstallation)
{
    Fake(sys.RegCreateKeyExA, [](HKEY parent, LPCSTR subkey, DWORD r, LPSTR cls, DWORD options,
                             REGSAM access, LPSECURITY_ATTRIBUTES sa, PHKEY key, LPDWORD d) -> LONG {
        if (parent == HKEY_LOCAL_MACHINE && (access & KEY_WRITE) == KEY_WRITE)
            return ERROR_ACCESS_DENIED;
        return RegCreateKeyExA(parent, subkey, r, cls, options, access, sa, key, d);
    });
    Run(exitcode::kFailed);
    ASSERT_EQ("ERROR 8|ERROR 9|Quillarix", BoxCaptions());
    EXPECT_EQ("Error encountered while writing to the system registry.", boxes_[0].text);
    EXPECT_EQ("Unable to register uninstall program.", boxes_[1].text);
    EXPECT_EQ(Z(folder_), RegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Path"));
    EXPECT_TRUE(FileExists(folder_ + "\\qlxuins1.exe"));
    EXPECT_FALSE(FileExists("C:\\windows\\qlxuins1.exe"));
    EXPECT_TRUE(ShortcutExists(CSIDL_DESKTOPDIRECTORY));

    // One person's installation needs nothing of the machine: with the Windows folder's lock
    // held by another run as well, it is whole, and recorded for them alone.
    ForgetInstallation();
    RemoveTree(folder_);
    boxes_.clear();
    HANDLE other = CreateFileA((std::string("C:\\windows\\") + kRunLockName).c_str(),
                               GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    EXPECT_EQ(exitcode::kDone, RunSetup("setup.exe /CURRENTUSER", &plan_));
    CloseHandle(other);
    EXPECT_EQ("Quillarix", BoxCaptions());
    EXPECT_EQ(Z(folder_ + "\\Quillarix.exe"), RegistryValue(HKEY_CURRENT_USER, kAppPathsEntry, nullptr));
    EXPECT_EQ(Z("\"" + folder_ + "\\qlxuins1.exe\" /CURRENTUSER"),
              RegistryValue(HKEY_CURRENT_USER, kUninstallEntry, "UninstallString"));
    EXPECT_EQ(Z("CurrentUser"), RegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Scope"));
    EXPECT_TRUE(FileExists(folder_ + "\\qlxuins1.exe"));
    EXPECT_FALSE(FileExists("C:\\windows\\qlxuins1.exe"));
    EXPECT_TRUE(ShortcutExists(CSIDL_STARTMENU));
}

// Elevated over the shoulder, the run is an administrator's on another person's desktop: the
// shortcuts are made for every user, so that the person who asked has them.
TEST_F(Installation, OnAnotherAccountsDesktopTheShortcutsAreEveryUsers)
{
    Fake(sys.GetShellWindow, []() { return GetDesktopWindow(); });
    Fake(sys.EqualSid, [](PSID, PSID) -> BOOL { return FALSE; });
    Run();
    EXPECT_TRUE(ShortcutExists(CSIDL_COMMON_STARTMENU));
    EXPECT_FALSE(ShortcutExists(CSIDL_STARTMENU));
}

TEST_F(Installation, SettingsKeyFailingAtRegistrationGivesCodes10Then8)
{
    Fake(sys.RegCreateKeyExA, [](HKEY parent, LPCSTR subkey, DWORD r, LPSTR cls, DWORD options,
                             REGSAM access, LPSECURITY_ATTRIBUTES sa, PHKEY key, LPDWORD d) -> LONG {
        // Start-up, proposal and the setup path open it; the fourth fails.
        if (parent == HKEY_CURRENT_USER && ++Running<Installation>().opens_ >= 4)
            return ERROR_ACCESS_DENIED;
        return RegCreateKeyExA(parent, subkey, r, cls, options, access, sa, key, d);
    });
    Run(exitcode::kFailed);
    ASSERT_EQ("ERROR 10|ERROR 8|Quillarix", BoxCaptions());
    EXPECT_EQ(SystemText(ERROR_ACCESS_DENIED), boxes_[0].text);
    EXPECT_EQ(Z(folder_ + "\\Quillarix.exe"), RegistryValue(HKEY_LOCAL_MACHINE, kAppPathsEntry, nullptr));
    EXPECT_TRUE(FileExists("C:\\windows\\qlxuins1.exe"));
}

TEST_F(Installation, RunningCopyStopsBeforeAnyFileIsWritten)
{
    CreateDirectoryA(folder_.c_str(), nullptr);
    std::string exe = folder_ + "\\Quillarix.exe";
    ASSERT_TRUE(WriteFileBytes(exe, ResourceBytes(950)));
    HANDLE held = CreateFileA(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    FakeRunningCopy(sys, exe);
    Run(exitcode::kInUse);  // "Close it?" answered No
    CloseHandle(held);
    ASSERT_EQ("Quillarix|ERROR 4", BoxCaptions());
    EXPECT_EQ("Your existing copy of Quillarix is running.  Installation aborted.", boxes_[1].text);
    EXPECT_EQ(1, CountFiles(folder_));
    EXPECT_FALSE(FileExists(folder_ + "\\image.tmp"));
    EXPECT_EQ("<no value>", RegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Path"));
}

TEST_F(Installation, NewerCopyStopsWithCode5)
{
    CreateDirectoryA(folder_.c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(folder_ + "\\Quillarix.exe", ResourceBytes(952)));  // 1.0.0.1
    Run(exitcode::kNewerInstalled);
    ASSERT_EQ("ERROR 5", BoxCaptions());
    EXPECT_EQ("A more recent version of Quillarix already exists at the install location.  "
              "Installation aborted.",
              boxes_[0].text);
    EXPECT_EQ(1, CountFiles(folder_));
}

TEST_F(Installation, ReadOnlyOldCopyGivesCode37AndTheStagingFileIsRemoved)
{
    CreateDirectoryA(folder_.c_str(), nullptr);
    std::string exe = folder_ + "\\Quillarix.exe";
    ASSERT_TRUE(WriteFileBytes(exe, ResourceBytes(950)));
    SetFileAttributesA(exe.c_str(), FILE_ATTRIBUTE_READONLY);
    Run(exitcode::kFailed);
    ASSERT_EQ("ERROR 37", BoxCaptions());
    EXPECT_TRUE(ReadFileBytes(exe) == ResourceBytes(950));
    EXPECT_FALSE(FileExists(folder_ + "\\image.tmp"));
    EXPECT_EQ(1, CountFiles(folder_));
}

TEST_F(Installation, FullDiskIsRefusedAtInstallAndAFailedWriteEndsBeforeRecording)
{
    // Too little room from the start: refused when Install is pressed.
    Fake(sys.DialogBoxParamW, [](HINSTANCE, LPCWSTR name, HWND, DLGPROC, LPARAM param) -> INT_PTR {
        if (reinterpret_cast<ULONG_PTR>(name) != IDD_LOCATION)
            return IDOK;
        Installation &test = Running<Installation>();
        CopyText(reinterpret_cast<FolderChoice *>(param)->folder, kCbPath, test.folder_.c_str());
        return ++test.locationRuns_ == 1 ? IDOK : IDCANCEL;
    });
    Fake(sys.GetDiskFreeSpaceExA, [](LPCSTR, PULARGE_INTEGER free, PULARGE_INTEGER total,
                                     PULARGE_INTEGER) -> BOOL {
        free->QuadPart = 100 * 1024;
        total->QuadPart = 1024 * 1024;
        return TRUE;
    });
    Run(exitcode::kCancelled);
    ASSERT_EQ("ERROR 45", BoxCaptions());
    EXPECT_EQ(2, locationRuns_);  // the location dialog again
    std::string needed = std::to_string((BytesToInstall(folder_.c_str()) + 1023) / 1024);
    needed.insert(needed.size() - 3, ",");
    EXPECT_EQ("There is not enough free space on this drive to install Quillarix.  Needed: " +
                  needed + " KB.  Free: 100 KB.",
              boxes_[0].text);
    EXPECT_EQ(0, CountFiles(folder_));

    // The disk fills while main.dct is written: one message, the earlier
    // files whole, nothing recorded, nothing launched.
    sys.GetDiskFreeSpaceExA = &GetDiskFreeSpaceExA;
    sys.DialogBoxParamW = InstallAndAccept;
    boxes_.clear();
    diskFullFor_ = "main.dct";
    sys.MoveFileExA = MoveFailingOnFullDisk;
    Run(exitcode::kFailed);
    ASSERT_EQ("ERROR 44", BoxCaptions());
    std::string system = SystemText(ERROR_DISK_FULL);
    system.erase(system.find_last_not_of("\r\n ") + 1);
    EXPECT_EQ("Unable to write main.dct.  " + system + "  Installation aborted.", boxes_[0].text);
    EXPECT_EQ(7, CountFiles(folder_));  // Quillarix.exe and the six rows before main.dct
    EXPECT_EQ("<no value>", RegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Path"));
    EXPECT_EQ("<no key>", RegistryValue(HKEY_LOCAL_MACHINE, kAppPathsEntry, nullptr));
    EXPECT_FALSE(FileExists("C:\\windows\\qlxuins1.exe"));
    EXPECT_FALSE(ShortcutExists(CSIDL_DESKTOPDIRECTORY));
}

// What Windows deletes at its next start: the entries that name the install
// folder, a file the setup writes or the uninstaller are taken out before
// anything is written; the others stay as they were. Where that cannot be
// written back, the setup refuses before writing anything.
TEST_F(Installation, PendingDeletionsOfItsOwnPathsAreTakenOutFirst)
{
    const std::wstring folder(folder_.begin(), folder_.end()), windows = L"C:\\windows";
    const std::vector<std::wstring> ours = {
        L"\\??\\" + folder + L"\\main.dct", L"",  L"\\??\\" + folder, L"",
        L"\\??\\" + windows + L"\\QLXUINS1.EXE", L"", L"\\??\\C:\\elsewhere\\x.tmp",
        L"!\\??\\" + folder + L"\\Quillarix.exe"};
    // Another program's entries, one with characters no 8-bit code page
    // holds together (and one outside the BMP): they go back unit for unit.
    const std::vector<std::wstring> others = {L"\\??\\" + folder + L"\\notes.txt", L"",
                                              L"\\??\\C:\\elsewhere\\y.tmp", L"",
                                              L"\\??\\C:\\\u0141\u00f3d\u017a\\\u811a\u672c\\\U0001D11E.txt", L"",
                                              L"\\??\\" + windows + L"\\other.exe", L""};
    auto multi = [](const std::vector<std::vector<std::wstring>> &lists) {
        std::wstring units;
        for (auto &list : lists)
            for (auto &text : list)
                units += text + L'\0';
        return units + L'\0';
    };
    auto setPending = [](const std::wstring &units) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                                                 L"PendingFileRenameOperations", REG_MULTI_SZ, units.data(),
                                                 DWORD(units.size() * sizeof(WCHAR))));
    };
    auto pending = []() -> std::wstring {
        WCHAR units[4096];
        DWORD cb = sizeof units;
        LONG status = RegGetValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                                   L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr,
                                   units, &cb);
        return status == ERROR_SUCCESS ? std::wstring(units, cb / sizeof(WCHAR)) : L"<no value>";
    };
    setPending(multi({ours, others}));
    Fake(sys.RegCreateKeyExA, [](HKEY parent, LPCSTR subkey, DWORD r, LPSTR cls, DWORD options,
                             REGSAM access, LPSECURITY_ATTRIBUTES sa, PHKEY key, LPDWORD d) -> LONG {
        if (std::strcmp(subkey, kSessionManagerKey) == 0 && (access & KEY_SET_VALUE))
            return ERROR_ACCESS_DENIED;
        return RegCreateKeyExA(parent, subkey, r, cls, options, access, sa, key, d);
    });
    Run(exitcode::kFailed);
    ASSERT_EQ("ERROR 46", BoxCaptions());
    EXPECT_EQ(0, CountFiles(folder_));
    EXPECT_TRUE(multi({ours, others}) == pending());

    sys.RegCreateKeyExA = &RegCreateKeyExA;
    boxes_.clear();
    Run();
    EXPECT_EQ("Quillarix", BoxCaptions());
    EXPECT_TRUE(multi({others}) == pending());
    // With only its own entries, the value goes.
    setPending(multi({ours}));
    Run();
    EXPECT_TRUE(L"<no value>" == pending());
}

// What the end-to-end scenarios do not see: an interactive run's boxes for
// its command line and for a second run, and a silent one's silence. None
// of these installs anything.
TEST_F(Installation, CommandLinesAndTheirExitCodes)
{
    struct Case {
        const char *line;
        bool held;  // another setup or removal holds the lock
        int code;
        const char *boxes;
        const wchar_t *wide = nullptr;  // the line as the system holds it, where not line
        UINT codePage = CP_UTF8;        // the programs' code page, as GetACP gives it
        Token token = kAsIs;            // who runs it, where not Wine's elevated administrator
        const char *relaunched = "";    // "runas" and the arguments of an elevated copy started
        HKEY recorded = nullptr;        // where an installation is recorded already
    } const cases[] = {
        {"setup.exe /X", false, exitcode::kBadCommandLine, "Quillarix"},
        {"\"C:\\my setups\\setup.exe\" /s /LOG=", false, exitcode::kBadCommandLine, ""},
        {"setup.exe /?", false, exitcode::kDone, "Quillarix"},
        {"setup.exe", true, exitcode::kBusy, "ERROR 47"},
        {"setup.exe /S", true, exitcode::kBusy, ""},
        // A folder named beyond the code page (1252 lacks two letters of "\u0141\u00f3d\u017a")
        // arrives with question marks, and is refused as such; a question mark typed goes on to
        // the location dialog (here cancelled), whose validation refuses it.
        {"setup.exe /D=C:\\?\xF3" "d?", false, exitcode::kFailed, "ERROR 52",
         L"setup.exe /D=C:\\\u0141\u00f3d\u017a", 1252},
        {"setup.exe /D=C:\\?", false, exitcode::kCancelled, "", L"setup.exe /D=C:\\?"},
        // Environment names in paths are the programs' to expand; one not set is refused.
        {"setup.exe /S /LOG=%TEMP%\\expanded.log /?", false, exitcode::kDone, ""},
        {"setup.exe /S /LOG=%QLX_NOT_SET%\\setup.log", false, exitcode::kBadCommandLine, ""},
        {"setup.exe /D=%QLX_NOT_SET%\\Quillarix", false, exitcode::kBadCommandLine, "Quillarix"},
        // Every user's installation without administrator rights is an elevated copy's, whose
        // exit code (here 3010) ends the run; a declined prompt is a cancel. A person without
        // them is asked for whom first (cancelled here); an administrator is not.
        {"setup.exe /S /D=C:\\Q R", false, 3010, "", nullptr, CP_UTF8, kStandard,
         "runas /S /ALLUSERS /QLXELEVATED /D=C:\\Q R"},
        {"setup.exe", false, exitcode::kCancelled, "", nullptr, CP_UTF8, kSplit,
         "runas /ALLUSERS /QLXELEVATED"},
        {"setup.exe", false, exitcode::kCancelled, "", nullptr, CP_UTF8, kStandard},
        // A copy started elevated that is not refuses, and starts nothing.
        {"setup.exe /QLXELEVATED /ALLUSERS", false, exitcode::kFailed, "ERROR 55", nullptr,
         CP_UTF8, kStandard},
        {"setup.exe /S /QLXELEVATED /ALLUSERS", false, exitcode::kFailed, "", nullptr, CP_UTF8,
         kSplit},
        {"setup.exe /CURRENTUSER", false, exitcode::kFailed, "ERROR 54", nullptr, CP_UTF8,
         kSystem},
        // The other scope's installation is named, and the run refused.
        {"setup.exe /CURRENTUSER", false, exitcode::kFailed, "ERROR 53", nullptr, CP_UTF8, kAsIs,
         "", HKEY_LOCAL_MACHINE},
        {"setup.exe /S /ALLUSERS", false, exitcode::kFailed, "", nullptr, CP_UTF8, kAsIs, "",
         HKEY_CURRENT_USER},
    };
    Fake(sys.DialogBoxParamW, [](HINSTANCE, LPCWSTR, HWND, DLGPROC, LPARAM) -> INT_PTR {
        return IDCANCEL;
    });
    static const wchar_t *s_wide;
    static UINT s_codePage;
    Fake(sys.GetCommandLineW, []() -> LPWSTR { return const_cast<LPWSTR>(s_wide); });
    Fake(sys.GetACP, []() { return s_codePage; });
    static Token s_token;
    static int s_code;
    static std::string s_relaunched;
    FakeToken(sys, &s_token);
    Fake(sys.ShellExecuteExW, [](SHELLEXECUTEINFOW *run) -> BOOL {
        for (const WCHAR *w : {run->lpVerb, L" ", run->lpParameters})
            for (; *w; ++w)
                s_relaunched += static_cast<char>(*w);
        SetLastError(ERROR_CANCELLED);
        run->hProcess = s_code == exitcode::kCancelled ? nullptr : CreateEventA(nullptr, TRUE, TRUE, nullptr);
        return run->hProcess != nullptr;
    });
    Fake(sys.GetExitCodeProcess, [](HANDLE, LPDWORD code) { return *code = DWORD(s_code), TRUE; });
    for (const Case &c : cases) {
        boxes_.clear();
        std::wstring widened = Utf16(c.line);
        s_wide = c.wide ? c.wide : widened.c_str();
        s_codePage = c.codePage;
        s_token = c.token;
        s_code = c.code;
        s_relaunched.clear();
        if (c.recorded)
            SetRegistryText(c.recorded, kAppPathsEntry, "Path", "C:\\Elsewhere\\Quillarix");
        HANDLE other = c.held ? CreateFileA((std::string("C:\\windows\\") + kRunLockName).c_str(),
                                            GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr)
                              : nullptr;
        EXPECT_EQ(c.code, RunSetup(c.line, &plan_)) << c.line;
        if (other)
            CloseHandle(other);
        EXPECT_EQ(c.boxes, BoxCaptions()) << c.line;
        EXPECT_EQ(c.relaunched, s_relaunched) << c.line;
        EXPECT_FALSE(FileExists(folder_)) << c.line;
        if (c.recorded)
            DeleteRegistryTree(c.recorded, kAppPathsEntry);
    }
    // A command line too long for the program's text is not understood.
    boxes_.clear();
    EXPECT_EQ(exitcode::kBadCommandLine, RunSetup(nullptr, &plan_));
    EXPECT_EQ("Quillarix", BoxCaptions());
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    DeleteFileA((std::string(temp) + "QuillarixSetup.log").c_str());  // of the silent runs
    EXPECT_TRUE(DeleteFileA((std::string(temp) + "expanded.log").c_str()));  // %TEMP% expanded
}

}  // namespace
