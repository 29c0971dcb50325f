// The fault-injection sweep of the setup: the whole setup runs in-process
// again and again, each time with one call of one call-table entry failing
// the way that call really fails. After every run: an exit code that tells
// the outcome, nothing acquired left held, nothing touched outside what the
// setup may write, and only messages of the error-code table, with the codes
// the design gives where it gives one.
#include "sweep.h"

#include "install/plan.h"
#include "resources/resource.h"
#include "payload/mainexe.h"
#include "payload/manifest.h"
#include "setup/sequence.h"
#include "setup/launch.h"
#include "ui/ui.h"
#include "base/errors.h"
#include "base/exitcodes.h"

#include <objbase.h>

#include <cstdlib>
#include <set>

namespace {

using namespace sweep;

// The layer over the setup's table.
QLX_SWEEP_LAYER(SysCalls, QLX_SYSCALLS, sys)
using SysLayer = Layer<SysCalls>;

// ---- the scripted user and the scratch machine ---------------------------

HWND WINAPI NoProgressDialog(HINSTANCE, LPCWSTR, HWND, DLGPROC, LPARAM)
{
    return nullptr;
}

// The codes a run may show, but for "another run holds the lock", which no failing call makes.
#define QLX_SWEEP_CODE(name, text) text,
std::set<std::string> kCodes = [] {
    std::set<std::string> codes = {QLX_ERROR_CODES(QLX_SWEEP_CODE)};
    codes.erase(errcode::kAnotherRun);
    return codes;
}();
#undef QLX_SWEEP_CODE

// What a complete installation in folder has and a stopped one may lack:
// every file byte for byte with its attribute, no staging file, the registry
// records and the shortcuts. "" when complete.
std::string Incomplete(const std::string &folder);

class Sweep : public WineTest {
protected:
    void SetUp() override
    {
        WineTest::SetUp();
        recordBox_ = sys.MessageBoxW;  // the recorder the fixture installed
        installFolder_ = Scratch("Quillarix");
        startMenuLink_ = ShortcutPath(CSIDL_STARTMENU);
        desktopLink_ = ShortcutPath(CSIDL_DESKTOPDIRECTORY);
        temp_ = std::string(plan_.tempFolder);
        temp_.pop_back();
    }
    void TearDown() override
    {
        Reset();
        RemoveTree(installFolder_);
        WineTest::TearDown();
    }

    // The machine before each run: no installation, a user's file in the
    // install folder.
    void Reset()
    {
        // The last run may have left the install folder current; a folder in
        // use cannot be removed (Wine then leaves it pending deletion).
        SetCurrentDirectoryA("C:\\");
        RemoveTree(installFolder_);
        CreateDirectoryA(installFolder_.c_str(), nullptr);
        WriteFileBytes(installFolder_ + "\\notes.txt", "the user's own notes");
        DeleteRegistryTree(HKEY_CURRENT_USER, kVendorKey);
        for (HKEY records : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            DeleteRegistryTree(records, kAppPathsEntry);
            DeleteRegistryTree(records, kUninstallEntry);
        }
        DeleteFileA("C:\\windows\\qlxuins1.exe");
        for (const std::string &name : WorkFolders(temp_))  // working folders a failed run left
            RemoveTree(temp_ + "\\" + name);
        DeleteFileA(startMenuLink_.c_str());
        DeleteFileA(desktopLink_.c_str());
        UnregisterClassA("Quillarix", GetModuleHandleA(nullptr));
    }

    Snapshot Watched()
    {
        Snapshot s;
        SnapshotFolder(Scratch(), true, &s);
        SnapshotFolder("C:\\windows", false, &s);
        SnapshotFolder(temp_, false, &s);
        for (const std::string &link : {startMenuLink_, desktopLink_})
            SnapshotFolder(link.substr(0, link.rfind('\\')), false, &s);
        SnapshotFolder("C:\\Program Files", false, &s);
        SnapshotFolder("C:", false, &s);
        return s;
    }

    // May this path change in a run? The installed files, the staging
    // files, the uninstaller and the shortcuts; and a run's working folder,
    // which stays (out of every user's reach) where it cannot be removed.
    bool MayChange(const std::string &path)
    {
        std::string folder = installFolder_ + "\\";
        if (path.compare(0, folder.size(), folder) == 0)
            return path != folder + "notes.txt";
        return path == installFolder_ + "\\" || path == "C:\\windows\\qlxuins1.exe" ||
               path == "C:\\windows\\qlxnew.tmp" ||
               path == std::string("C:\\windows\\") + kRunLockName ||
               path == startMenuLink_ || path == desktopLink_ ||
               (path.rfind(temp_ + "\\qlx-", 0) == 0 && path.back() == '\\');
    }

    // One whole run; returns a description of every broken promise. Without
    // backdrop, its class cannot be registered (a run then takes ~80 ms
    // instead of ~2 s under Wine: the full-screen paint is the slow part).
    std::string RunOnce(bool backdrop = true, bool fresh = true)
    {
        if (fresh)
            Reset();
        SysLayer::order.clear();
        Snapshot before = Watched();
        boxes_.clear();
        locationRuns_ = 0;
        std::memset(SysLayer::calls, 0, sizeof SysLayer::calls);
        ResetCounts();
        RestoreSysCalls();
        sys.MessageBoxW = recordBox_;
        sys.DialogBoxParamW = InstallAndAccept;
        sys.CreateDialogParamW = NoProgressDialog;
        // No shell is asked: it would start Quillarix for real.
        Fake(sys.CreateThread, [](LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID,
                                  DWORD, LPDWORD) -> HANDLE { return nullptr; });
        sys.GetProcAddress = CountingGetProcAddress;
        Fake(sys.Sleep, [](DWORD) {});  // the pauses while a file is held: no need to wait
        if (!backdrop)
            Fake(sys.RegisterClassExA, [](const WNDCLASSEXA *) -> ATOM { return 0; });
        InstallWrappers();
        int code = RunSetup("", &plan_);
        RestoreSysCalls();
        sys.MessageBoxW = recordBox_;
        if (plan_.backdrop)
            DestroyWindow(plan_.backdrop);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }

        std::string broken = g_trace + HeldNow();
        // The exit code tells the outcome: a run that showed a failure (any
        // message but the two that go on to a whole installation) is no
        // success; it failed (1603), or the location dialog, shown again
        // after a refusal, was cancelled (1602).
        // A main executable held for good by another program is replaced at
        // the restart (3010, said so), from "image.tmp", which stays till then.
        bool failureShown = false, restart = false;
        for (const RecordedBox &box : boxes_) {
            bool toRestart = box.text.find(kReplacedAtRestartText) != std::string::npos;
            restart = restart || toRestart;
            failureShown = failureShown || (box.caption != "ERROR 3" && box.caption != "ERROR 17" &&
                                            box.text != kNotStartedText && !toRestart);
        }
        bool cancelled = code == exitcode::kCancelled && locationRuns_ > 1;
        bool restarting = code == exitcode::kRestartNeeded && restart && !failureShown;
        bool busy = code == exitcode::kBusy && SysLayer::failError == ERROR_SHARING_VIOLATION;
        if (code != exitcode::kFailed && !cancelled && !restarting && !busy &&
            (code != exitcode::kDone || failureShown))
            broken += " exit code " + std::to_string(code) + ";";
        broken += Changes(before, Watched(), [&](const std::string &path) { return MayChange(path); });
        for (const std::string &staging : {installFolder_ + "\\image.tmp",
                                           installFolder_ + "\\qlxnew.tmp",
                                           std::string("C:\\windows\\qlxnew.tmp")})
            if (FileExists(staging) && !(restarting && staging == installFolder_ + "\\image.tmp"))
                broken += " " + staging + " left;";
        // Another run holding the lock is what a sharing violation there says.
        for (const RecordedBox &box : boxes_)
            if ((box.caption.rfind("ERROR ", 0) != 0 ||
                 !(kCodes.count(box.caption.substr(6)) ||
                   (box.caption == std::string("ERROR ") + errcode::kAnotherRun &&
                    SysLayer::failError == ERROR_SHARING_VIOLATION))) &&
                box.text != kNotStartedText && box.text.find(kReplacedAtRestartText) == std::string::npos)
                broken += " message \"" + box.caption + "\";";
        return broken;
    }

    static INT_PTR WINAPI InstallAndAccept(HINSTANCE, LPCWSTR name, HWND, DLGPROC, LPARAM param)
    {
        Sweep &test = Running<Sweep>();
        if (reinterpret_cast<ULONG_PTR>(name) == IDD_LOCATION) {
            if (++test.locationRuns_ > 1)
                return IDCANCEL;  // a refused folder: do not loop for ever
            CopyText(reinterpret_cast<FolderChoice *>(param)->folder, kCbPath,
                     test.installFolder_.c_str());
        }
        return IDOK;
    }

    decltype(sys.MessageBoxW) recordBox_;
    std::string installFolder_, startMenuLink_, desktopLink_, temp_;
    int locationRuns_ = 0;
};

TEST_F(Sweep, EverySingleFailingCall)
{
    // A clean run: everything installed, nothing reported, the call counts.
    SysLayer::failEntry = -1;
    std::string broken = RunOnce();
    EXPECT_EQ("", broken);
    EXPECT_EQ("Quillarix", BoxCaptions());  // no shell is asked: Quillarix is not started
    EXPECT_TRUE(FileExists(installFolder_ + "\\Quillarix.exe"));
    EXPECT_EQ(2, g_objectsCreated);  // both shortcuts' link objects went through the counting
    // COM was uninitialised again: initialising it now gives S_OK, not S_FALSE.
    EXPECT_EQ(S_OK, CoInitialize(nullptr));
    CoUninitialize();
    int counts[kEntryCount];
    std::memcpy(counts, SysLayer::calls, sizeof counts);
    // The entries that only the backdrop calls (or calls more often) are
    // swept with the window, each at its first 3 calls; all others without
    // it, each at its first 20 calls.
    EXPECT_EQ("", RunOnce(false));
    int withoutBackdrop[kEntryCount];
    std::memcpy(withoutBackdrop, SysLayer::calls, sizeof withoutBackdrop);

    int runs = 0;
    std::map<std::string, std::string> captionsSeen;
    auto backdrop = [&](int e) { return counts[e] > withoutBackdrop[e]; };
    FailKind kind = {ERROR_ACCESS_DENIED, 1, "access denied"};
    auto failing = [&](int e, int k) {
        FailFrom<SysLayer>(e, k, kind);
        std::string problems = RunOnce(backdrop(e));
        ++runs;
        EXPECT_EQ("", problems) << kEntryNames[e] << " call " << k << " failing: " << kind.name;
        std::string seen = BoxCaptions();
        for (const RecordedBox &box : boxes_)
            seen += " [" + box.text + "]";
        captionsSeen[std::string(kEntryNames[e]) + "#" + std::to_string(k) +
                     (kind.error == ERROR_ACCESS_DENIED ? "" : std::string(" ") + kind.name)] = seen;
    };
    int entries = ForEachFailingCall(
        kEntryNames, kEntryCount, counts, [&](int e) { return backdrop(e) ? 3 : 20; }, failing);
    // Files fail in the other ways too, at the first calls of each call on files.
    for (const FailKind &other : kFileFailKinds) {
        kind = other;
        ForEachFailingCall(kEntryNames, kEntryCount, counts,
                           [&](int e) { return IsFileCall(kEntryNames[e]) ? 5 : 0; }, failing);
    }
    // A file that another program holds a moment, as it is renamed into place or created to be
    // expanded into, is waited for: a whole installation.
    ForEachFailingCall(
        kEntryNames, kEntryCount, counts,
        [&](int e) { return std::strcmp(kEntryNames[e], "MoveFileExA") == 0 ||
                            std::strcmp(kEntryNames[e], "_lcreat") == 0 ? 20 : 0; },
        [&](int e, int k) {
            FailFrom<SysLayer>(e, k, kHeldAMoment);
            std::string at = std::string(kEntryNames[e]) + " call " + std::to_string(k);
            EXPECT_EQ("", RunOnce(false)) << at << " held a moment";
            EXPECT_EQ("Quillarix", BoxCaptions()) << at << " held a moment";
            EXPECT_EQ("", Incomplete(installFolder_)) << at << " held a moment";
        });
    FailNothing<SysLayer>();

    // Where the design reports a failure, its code is shown.
    auto shown = [&](const char *run) { return captionsSeen[run].substr(0, captionsSeen[run].find(" [")); };
    EXPECT_EQ("ERROR 1|ERROR 1A", shown("RegCreateKeyExA#1")) << captionsSeen["RegCreateKeyExA#1"];
    EXPECT_EQ("ERROR 48", shown("GetWindowsDirectoryA#1")) << captionsSeen["GetWindowsDirectoryA#1"];
    EXPECT_EQ("ERROR 48", shown("CreateFileA#1")) << captionsSeen["CreateFileA#1"];  // no lock, no run
    EXPECT_EQ("ERROR 2|Quillarix", shown("GetWindowsDirectoryA#2")) << captionsSeen["GetWindowsDirectoryA#2"];
    // Where the temp folder gives no private folder, the Windows folder's temp folder does.
    EXPECT_EQ("Quillarix", shown("BCryptGenRandom#1")) << captionsSeen["BCryptGenRandom#1"];
    EXPECT_EQ("Quillarix", shown("NtCreateFile#1")) << captionsSeen["NtCreateFile#1"];
    EXPECT_EQ("Quillarix", shown("GetTempPathW#1")) << captionsSeen["GetTempPathW#1"];
    EXPECT_EQ("Quillarix", shown("GetFinalPathNameByHandleW#1")) << captionsSeen["GetFinalPathNameByHandleW#1"];
    EXPECT_EQ("ERROR 50", shown("GetFinalPathNameByHandleW#2")) << captionsSeen["GetFinalPathNameByHandleW#2"];
    EXPECT_EQ("ERROR 43", shown("DialogBoxParamW#1")) << captionsSeen["DialogBoxParamW#1"];
    // A file refused once is tried again; refused for good, the failure is the file's.
    EXPECT_EQ("Quillarix", shown("MoveFileExA#1")) << captionsSeen["MoveFileExA#1"];
    EXPECT_EQ("ERROR 34", shown("MoveFileExA#1 disk full for good"));
    EXPECT_EQ("ERROR 37", shown("MoveFileExA#2 disk full for good"));
    EXPECT_EQ("ERROR 44", shown("MoveFileExA#3 disk full for good"));
    EXPECT_EQ("ERROR 37", shown("MoveFileExA#2 sharing violation for good"));  // and no restart
    EXPECT_EQ("Quillarix", shown("GetDiskFreeSpaceExA#1"));  // no answer refuses nothing
    EXPECT_EQ("ERROR 34", shown("_lcreat#1 disk full for good")) << captionsSeen["_lcreat#1"];

    std::printf("sweep: %d entries of the %d in the call table swept, %d runs\n", entries,
                int(kEntryCount), runs);
}

std::string Incomplete(const std::string &folder)
{
    std::string missing;
    auto compare = [&](const std::string &path, const char *source, bool readOnly) {
        DWORD attributes = GetFileAttributesA(path.c_str());
        if (ReadFileBytes(path) != ReadFileBytes(PayloadSource(source)))
            missing += " " + path + " not as shipped;";
        else if (((attributes & FILE_ATTRIBUTE_READONLY) != 0) != readOnly)
            missing += " " + path + " read-only attribute wrong;";
    };
    for (const ManifestRow &row : kManifest)
        compare(folder + "\\" + row.fileName, row.fileName, row.readOnly);
    compare(folder + "\\" + kMainExeName, kMainExeName, false);
    compare(std::string("C:\\windows\\") + kUninstallerName, kUninstallerName, false);
    for (std::string staging : {folder + "\\qlxnew.tmp", folder + "\\image.tmp",
                                std::string("C:\\windows\\qlxnew.tmp")})
        if (FileExists(staging))
            missing += " " + staging + " left;";
    auto value = [&](HKEY root, const char *key, const char *name, const std::string &data) {
        if (RegistryValue(root, key, name) != data + '\0')
            missing += std::string(" ") + key + " " + (name ? name : "@") + " not recorded;";
    };
    value(HKEY_CURRENT_USER, kSettingsKey, "Path", folder);
    value(HKEY_LOCAL_MACHINE, kAppPathsEntry, nullptr, folder + "\\" + kMainExeName);
    value(HKEY_LOCAL_MACHINE, kUninstallEntry, "UninstallString",
          std::string("C:\\windows\\") + kUninstallerName);
    for (int csidl : {CSIDL_STARTMENU, CSIDL_DESKTOPDIRECTORY})
        if (ReadFileBytes(ShortcutPath(csidl)).empty())
            missing += " " + ShortcutPath(csidl) + " missing;";
    return missing;
}

// The crash sweep: for every call of a clean run in turn, a child process
// runs the setup and ends on the spot at that call (TerminateProcess:
// nothing after it runs, nothing is cleaned up, as in a crash or a power
// cut of the process). A normal run from whatever that left must then leave
// a complete installation, without a message.
TEST_F(Sweep, StoppedAtEveryCallTheNextRunCompletes)
{
    if (const char *at = std::getenv("QLX_CRASH_AT")) {  // the child
        SysLayer::crashAt = std::atoi(at);
        RunOnce(false);
        std::exit(1);  // the chosen call never came
    }
    ASSERT_EQ("", RunOnce(false));
    ASSERT_EQ("", Incomplete(installFolder_));
    std::vector<int> order = SysLayer::order;

    char exe[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, exe, sizeof exe), 0u);
    std::string command = std::string("\"") + exe + "\" --gtest_filter=" +
                          ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() +
                          "." + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                             nullptr);
    std::map<std::string, int> stops;
    for (std::size_t n = 1; n <= order.size(); ++n) {
        Reset();
        SetEnvironmentVariableA("QLX_CRASH_AT", std::to_string(n).c_str());
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = nul;
        PROCESS_INFORMATION child = {};
        ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                   nullptr, &startup, &child));
        WaitForSingleObject(child.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(child.hProcess, &code);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
        SetEnvironmentVariableA("QLX_CRASH_AT", nullptr);
        std::string at = std::string(kEntryNames[order[n - 1]]) + " (call " + std::to_string(n) + ")";
        ++stops[kEntryNames[order[n - 1]]];
        ASSERT_EQ(kCrashedExitCode, code) << "the run did not stop at " << at;
        EXPECT_EQ("", RunOnce(false, false)) << "after a stop at " << at;
        EXPECT_EQ("Quillarix", BoxCaptions()) << "after a stop at " << at;
        EXPECT_EQ("", Incomplete(installFolder_)) << "after a stop at " << at;
    }
    CloseHandle(nul);
    std::string entries;
    for (auto &[name, count] : stops)
        entries += " " + name + " " + std::to_string(count);
    std::printf("crash sweep: %d runs stopped, each followed by a complete run; at:%s\n",
                int(order.size()), entries.c_str());
}

}  // namespace
