// The fault-injection sweep of the uninstaller: a complete removal runs
// in-process again and again, each time with one call of one entry of its
// call table failing the way that call really fails. After every run:
// nothing acquired left held, nothing touched outside the installation (the
// user's own file in the install folder included), and a removal that says
// it is complete really is. Then a second removal without faults leaves
// nothing of the installation behind but what is scheduled for the next
// start.
#include "sweep.h"

#include "payload/manifest.h"
#include "registration/registration.h"
#include "uninstaller/ucalls.h"
#include "uninstaller/uninstall.h"

#include <objbase.h>

#include <algorithm>
#include <cstdlib>

namespace {

using namespace sweep;

// The layer over the uninstaller's table.
QLX_SWEEP_LAYER(UninstallCalls, QLX_UNINSTALL_CALLS, usys)
using UninstallLayer = Layer<UninstallCalls>;

// ---- the user, the running uninstaller and the restart -------------------

const char kSelf[] = "C:\\windows\\qlxuins1.exe";  // where the uninstaller runs from

int WINAPI AnswerYes(HWND, LPCWSTR text, LPCWSTR, UINT);

DWORD WINAPI SelfInWindowsFolder(HMODULE, LPWSTR path, DWORD cch)
{
    return static_cast<DWORD>(MultiByteToWideChar(CP_ACP, 0, kSelf, -1, path, cch) - 1);
}

class UninstallSweep : public WineTest {
protected:
    void SetUp() override
    {
        WineTest::SetUp();
        folder_ = Scratch("Quillarix");
        links_ = {ShortcutPath(CSIDL_STARTMENU), ShortcutPath(CSIDL_DESKTOPDIRECTORY)};
    }
    void TearDown() override
    {
        RestoreUninstallCalls();
        Clear();
        WineTest::TearDown();
    }

    void Clear()
    {
        SetCurrentDirectoryA("C:\\");
        RemoveTree(folder_);
        DeleteRegistryTree(HKEY_CURRENT_USER, kVendorKey);
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, kAppPathsEntry);
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, kUninstallEntry);
        DeleteFileA(kSelf);
        for (const std::string &link : links_)
            DeleteFileA(link.c_str());
    }

    // The machine before each run: a complete installation as the setup
    // leaves it, and a user's own file in the install folder.
    void Install()
    {
        Clear();
        WriteInstalledFiles(folder_);
        WriteFileBytes(folder_ + "\\notes.txt", "the user's own notes");
        WriteFileBytes(kSelf, "MZ");
        SetRegistryText(HKEY_CURRENT_USER, kSettingsKey, "Path", folder_);
        SetRegistryText(HKEY_CURRENT_USER, kSettingsKey, "Installed", "C:\\Downloads\\QuillarixSetup.exe");
        SetRegistryText(HKEY_LOCAL_MACHINE, kAppPathsEntry, nullptr, MainExe());
        SetRegistryText(HKEY_LOCAL_MACHINE, kAppPathsEntry, "Path", folder_);
        SetRegistryText(HKEY_LOCAL_MACHINE, kUninstallEntry, "UninstallString", kSelf);
        CoInitialize(nullptr);
        for (const std::string &link : links_)
            CreateOneShortcut(CoCreateInstance, folder_.c_str(), MainExe().c_str(), Utf16(link).c_str(),
                              kLinkDescription);
        CoUninitialize();
    }

    std::string MainExe() const { return folder_ + "\\" + kMainExeName; }

    Snapshot Watched()
    {
        Snapshot s;
        SnapshotFolder(Scratch(), true, &s);
        SnapshotFolder("C:\\windows", false, &s);
        for (const std::string &link : links_)
            SnapshotFolder(link.substr(0, link.rfind('\\')), false, &s);
        SnapshotFolder("C:", false, &s);
        return s;
    }

    // The installation's files, its folder, the uninstaller and the
    // shortcuts may change; nothing else, the user's file least of all.
    bool MayChange(const std::string &path) const
    {
        std::string inFolder = folder_ + "\\";
        if (path.compare(0, inFolder.size(), inFolder) == 0)
            return path != inFolder + "notes.txt";
        return path == inFolder || path == kSelf || path == links_[0] || path == links_[1];
    }

    // What of the installation is still there, but for what is scheduled.
    std::string Leftovers()
    {
        std::vector<std::string> paths = {MainExe(), kSelf, links_[0], links_[1]};
        for (const ManifestRow &row : kManifest)
            paths.push_back(folder_ + "\\" + row.fileName);
        std::string left;
        for (const std::string &path : paths)
            if (FileExists(path) &&
                std::find(scheduled_.begin(), scheduled_.end(), path) == scheduled_.end())
                left += " " + path + " left;";
        for (const char *key : {kAppPathsEntry, kUninstallEntry, kProductKey})
            if (RegistryKeyExists(HKEY_LOCAL_MACHINE, key) ||
                RegistryKeyExists(HKEY_CURRENT_USER, key))
                left += std::string(" ") + key + " left;";
        return left;
    }

    UninstallResult Remove(bool faults)
    {
        finalMessage_.clear();
        boxesShown_ = 0;
        std::memset(UninstallLayer::calls, 0, sizeof UninstallLayer::calls);
        ResetCounts();
        RestoreUninstallCalls();
        usys.MessageBoxW = AnswerYes;
        usys.GetModuleFileNameW = SelfInWindowsFolder;
        usys.MoveFileExA = RecordScheduledDeletion;
        usys.GetProcAddress = CountingGetProcAddress;
        Fake(usys.Sleep, [](DWORD) {});
        if (faults)
            InstallWrappers();
        UninstallResult result = RunUninstall(kInteractiveRun);
        RestoreUninstallCalls();
        return result;
    }

    // One removal with the chosen fault, then one without; returns every
    // broken promise.
    std::string RunOnce()
    {
        Install();
        scheduled_.clear();
        Snapshot before = Watched();
        UninstallResult result = Remove(true);
        std::string broken = g_trace + HeldNow();
        broken += Changes(before, Watched(), [&](const std::string &path) { return MayChange(path); });
        // A removal that says it is complete must be; one that says the rest
        // goes at the next start must have scheduled it. (Told that a file
        // that is there is not, it believes it: then only the rest counts.)
        bool believed = UninstallLayer::failError == ERROR_FILE_NOT_FOUND;
        if ((result == kRemoved || result == kRemovedAtRestart) && !believed)
            broken += Leftovers();
        lastResult_ = result;
        lastMessage_ = finalMessage_;
        Remove(false);
        std::string second = Leftovers();
        if (!second.empty() && !believed)
            broken += " after a second removal:" + second;
        return broken;
    }

    std::string folder_;
    std::vector<std::string> links_;
    UninstallResult lastResult_ = kRemoved;
    std::string lastMessage_;

public:
    int boxesShown_ = 0;
    std::string finalMessage_;
};

// Answers Yes to the question and keeps the final message.
int WINAPI AnswerYes(HWND, LPCWSTR text, LPCWSTR, UINT)
{
    UninstallSweep &test = WineTest::Running<UninstallSweep>();
    if (test.boxesShown_++ == 0)
        return IDYES;
    test.finalMessage_ = Utf8(text);
    return IDOK;
}

TEST_F(UninstallSweep, EverySingleFailingCall)
{
    // A clean removal: everything goes, said so, both shortcuts matched
    // through the counting proxies; and the calls it makes.
    UninstallLayer::failEntry = -1;
    EXPECT_EQ("", RunOnce());
    EXPECT_EQ(kRemoved, lastResult_);
    int counts[kEntryCount];
    Install();
    scheduled_.clear();
    EXPECT_EQ(kRemoved, Remove(true));
    EXPECT_EQ("Quillarix has been removed from your computer.", finalMessage_);
    EXPECT_EQ(2, g_objectsCreated);
    std::memcpy(counts, UninstallLayer::calls, sizeof counts);

    int runs = 0;
    std::map<int, int> results;
    FailKind kind = {ERROR_ACCESS_DENIED, 1, "access denied"};
    auto failing = [&](int e, int k) {
        FailFrom<UninstallLayer>(e, k, kind);
        std::string problems = RunOnce();
        ++runs;
        ++results[lastResult_];
        EXPECT_EQ("", problems) << kEntryNames[e] << " call " << k << " failing: " << kind.name
                                << " (exit code " << lastResult_ << ": \"" << lastMessage_ << "\")";
    };
    int entries = ForEachFailingCall(kEntryNames, kEntryCount, counts, [](int) { return 20; }, failing);
    for (const FailKind &other : kFileFailKinds) {
        kind = other;
        ForEachFailingCall(kEntryNames, kEntryCount, counts,
                           [&](int e) { return IsFileCall(kEntryNames[e]) ? 5 : 0; }, failing);
    }
    // A file that another program holds a moment as it is deleted is waited for: all of it goes.
    kind = kHeldAMoment;
    ForEachFailingCall(
        kEntryNames, kEntryCount, counts,
        [&](int e) { return std::strcmp(kEntryNames[e], "DeleteFileA") == 0 ? 20 : 0; },
        [&](int e, int k) {
            failing(e, k);
            EXPECT_EQ(kRemoved, lastResult_) << "DeleteFileA call " << k << " held a moment";
        });
    FailNothing<UninstallLayer>();
    std::printf("uninstall sweep: %d entries of the %d in the call table swept, %d runs; exit "
                "codes:", entries, int(kEntryCount), runs);
    for (auto [code, count] : results)
        std::printf(" %d x%d", code, count);
    std::printf("\n");
}

}  // namespace
