// Main executable replacement: the installed version decides, a running copy
// is refused, and the old file is only removed once the new one is there.
#include "winhelpers.h"

#include "payload/mainexe.h"
#include "base/closeapp.h"
#include "payload/version_rule.h"
#include "base/pathtext.h"
#include "install/plan.h"

namespace {

// Stand-ins with version resources (see cmake/wintests.cmake).
enum : WORD { kV1000 = 950, kV1500, kV1001, kV1010, kV2000, kNoVersion, kV0900 };

class MainExe : public WineTest {
public:
    void SetUp() override
    {
        WineTest::SetUp();
        PlanInScratch("Quillarix.exe");
        newExe_ = ReadFileBytes(PayloadSource("Quillarix.exe"));
        ASSERT_FALSE(newExe_.empty());
    }
    void InstallOld(WORD id)
    {
        old_ = ResourceBytes(id);
        ASSERT_FALSE(old_.empty());
        ASSERT_TRUE(WriteFileBytes(plan_.mainExePath, old_));
    }
    std::string Installed() { return ReadFileBytes(plan_.mainExePath); }
    int asked_ = 0, taken_ = 0, released_ = 0;  // counted by fakes
    std::string moved_;                          // by MoveFileExA: "from > to flags"

    std::string newExe_, old_;
};

TEST_F(MainExe, VersionsAreReadFromTheFixedRecord)
{
    struct Case {
        WORD id;
        std::uint32_t ms, ls;
    } cases[] = {{kV1000, 0x10000, 0}, {kV1500, 0x10005, 0}, {kV1001, 0x10000, 1},
                 {kV1010, 0x10000, 0x10000}, {kV2000, 0x20000, 0}, {kNoVersion, 0, 0},
                 {kV0900, 9, 0}};
    for (const Case &c : cases) {
        InstallOld(c.id);
        EXPECT_EQ(FileVersionOf(c.ms, c.ls), ReadInstalledVersion(plan_.mainExePath)) << c.id;
    }
    EXPECT_EQ(FileVersionOf(0x10000, 0), CarriedMainExeVersion());
}

TEST_F(MainExe, InstalledVersionDecidesTheOutcome)
{
    const std::string kUnidentified =
        "The installed copy of Quillarix could not be identified.  It will be replaced.";
    struct Case {
        WORD id;
        MainExeOutcome outcome;
        const char *captions;
    } cases[] = {
        {kV0900, MainExeOutcome::kInstalled, ""},     // older: upgraded
        {kV1000, MainExeOutcome::kInstalled, ""},     // the same: repaired
        {kV1001, MainExeOutcome::kNewerPresent, ""},  // every field counts
        {kV1010, MainExeOutcome::kNewerPresent, ""},
        {kV1500, MainExeOutcome::kNewerPresent, ""},
        {kV2000, MainExeOutcome::kNewerPresent, ""},
        {kNoVersion, MainExeOutcome::kInstalled, "ERROR 17"},
    };
    for (const Case &c : cases) {
        boxes_.clear();
        InstallOld(c.id);
        EXPECT_EQ(c.outcome, ReplaceMainExecutable(plan_)) << c.id;
        EXPECT_EQ(c.captions, BoxCaptions()) << c.id;
        for (const RecordedBox &box : boxes_)
            EXPECT_EQ(kUnidentified, box.text);
        bool replaced = c.outcome == MainExeOutcome::kInstalled;
        EXPECT_TRUE(Installed() == (replaced ? newExe_ : old_)) << c.id;
        EXPECT_FALSE(FileExists(Scratch("image.tmp"))) << c.id;
    }
}

TEST_F(MainExe, WithoutAnInstalledCopyNoVersionIsRead)
{
    Fake(sys.GetFileVersionInfoSizeA, [](LPCSTR, LPDWORD) -> DWORD {
        ++Running<MainExe>().asked_;
        return 0;
    });
    EXPECT_EQ(MainExeOutcome::kInstalled, ReplaceMainExecutable(plan_));
    EXPECT_EQ(0, asked_);
    EXPECT_TRUE(Installed() == newExe_);
    EXPECT_TRUE(boxes_.empty());
}

// A copy that another program holds open, and no process runs from, is no running copy: the new
// one waits beside it as "image.tmp" and replaces it when Windows restarts.
TEST_F(MainExe, CopyHeldOpenByAnotherProgramIsReplacedAtTheRestart)
{
    InstallOld(kV1000);
    HANDLE held = CreateFileA(plan_.mainExePath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    Fake(sys.Sleep, [](DWORD) {});
    Fake(sys.MoveFileExA, [](LPCSTR from, LPCSTR to, DWORD flags) -> BOOL {
        if (!(flags & MOVEFILE_DELAY_UNTIL_REBOOT))
            return MoveFileExA(from, to, flags);
        Running<MainExe>().moved_ = std::string(from) + " > " + to + " " + std::to_string(flags);
        return TRUE;
    });
    EXPECT_EQ(MainExeOutcome::kScheduled, ReplaceMainExecutable(plan_));
    CloseHandle(held);
    EXPECT_EQ(Scratch("image.tmp") + " > " + plan_.mainExePath + " " +
                  std::to_string(MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING),
              moved_);
    EXPECT_TRUE(Installed() == old_);
    EXPECT_EQ(newExe_, ReadFileBytes(Scratch("image.tmp")));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainExe, ReadOnlyOldCopyCannotBeMovedOver)
{
    InstallOld(kV1000);
    ASSERT_TRUE(SetFileAttributesA(plan_.mainExePath, FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(MainExeOutcome::kFailed, ReplaceMainExecutable(plan_));
    ASSERT_EQ("ERROR 37", BoxCaptions());
    EXPECT_FALSE(boxes_[0].text.empty());
    EXPECT_TRUE(Installed() == old_);
    EXPECT_TRUE(FileExists(Scratch("image.tmp")));  // the caller removes it
}

TEST_F(MainExe, FailedExpansionReportsTheSystemError)
{
    Fake(sys._lcreat, [](LPCSTR, int) -> HFILE {
        SetLastError(ERROR_DISK_FULL);
        return HFILE_ERROR;
    });
    InstallOld(kV1000);
    EXPECT_EQ(MainExeOutcome::kFailed, ReplaceMainExecutable(plan_));
    ASSERT_EQ("ERROR 34", BoxCaptions());
    EXPECT_EQ(SystemText(ERROR_DISK_FULL), boxes_[0].text);
    EXPECT_TRUE(Installed() == old_);  // the old copy stays until the new one is complete
}

TEST_F(MainExe, VersionBlockIsReleased)
{
    Fake(sys.malloc, [](size_t cb) -> void * { ++Running<MainExe>().taken_; return malloc(cb); });
    Fake(sys.free, [](void *p) { ++Running<MainExe>().released_; free(p); });
    InstallOld(kV1001);
    ReplaceMainExecutable(plan_);
    EXPECT_EQ(1, taken_);
    EXPECT_EQ(1, released_);
}

// A running copy asked to close through the call table: the Restart
// Manager's list and shutdown, or the program's own window (the other
// window enumerated is another program's). The process is an event, set
// when the program ends.
class Closing : public MainExe {
public:
    // kGoing: a window that does not answer, of a copy that is ending; kNone: no window, and it
    // does not end; kEnding: no window, ending; kLate: its window comes after the first look (a
    // copy just started).
    enum Window { kAgrees, kRefuses, kHangs, kGoing, kNone, kEnding, kLate };
    static constexpr DWORD kId = 4242;
    static HWND Ours() { return reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1001)); }
    HANDLE process_ = nullptr;
    std::vector<HANDLE> opened_;
    std::string trace_, exe_;
    bool listed_ = false, elsewhere_ = false;
    DWORD shutdown_ = 0;
    Window window_ = kAgrees;
    RM_APP_TYPE type_ = RmMainWindow;
    DWORD now_ = 0, step_ = 0;  // the tick count, and how far it moves at each look
    int looks_ = 0;             // enumerations of the windows
};

TEST_F(Closing, RunningCopyIsClosedOnlyAsItAgrees)
{
    Fake(sys.RmStartSession, [](DWORD *session, DWORD, WCHAR *) -> DWORD { *session = 7; return 0; });
    Fake(sys.RmRegisterResources, [](DWORD, UINT cFiles, LPCWSTR *, UINT cProcesses,
                                     RM_UNIQUE_PROCESS *, UINT, LPCWSTR *) -> DWORD {
        Running<Closing>().trace_ += cFiles ? "" : cProcesses == 1 ? "the process|" : "?|";
        return 0;
    });
    Fake(sys.RmGetList, [](DWORD, UINT *needed, UINT *count, RM_PROCESS_INFO *info, DWORD *) -> DWORD {
        *needed = *count = Running<Closing>().listed_ ? 1 : 0;
        info[0].Process.dwProcessId = kId;
        info[0].ApplicationType = Running<Closing>().type_;
        return 0;
    });
    Fake(sys.RmShutdown, [](DWORD, ULONG flags, RM_WRITE_STATUS_CALLBACK) -> DWORD {
        Running<Closing>().trace_ += flags ? "forced|" : "shutdown|";
        if (Running<Closing>().shutdown_ == 0)
            SetEvent(Running<Closing>().process_);
        return Running<Closing>().shutdown_;
    });
    Fake(sys.RmEndSession, [](DWORD) -> DWORD { Running<Closing>().trace_ += "end session|"; return 0; });
    Fake(sys.CreateToolhelp32Snapshot, [](DWORD, DWORD) { return CreateEventA(nullptr, 1, 0, nullptr); });
    Fake(sys.Process32FirstW, [](HANDLE, PROCESSENTRY32W *entry) -> BOOL {
        entry->th32ProcessID = kId;
        lstrcpynW(entry->szExeFile, L"QUILLARIX.EXE", MAX_PATH);
        return TRUE;
    });
    Fake(sys.Process32NextW, [](HANDLE, PROCESSENTRY32W *) -> BOOL { return FALSE; });
    Fake(sys.OpenProcess, [](DWORD, BOOL, DWORD) -> HANDLE {
        HANDLE copy = nullptr;
        DuplicateHandle(GetCurrentProcess(), Running<Closing>().process_, GetCurrentProcess(), &copy, 0, 0, DUPLICATE_SAME_ACCESS);
        Running<Closing>().opened_.push_back(copy);
        return copy;
    });
    Fake(sys.QueryFullProcessImageNameW, [](HANDLE, DWORD, LPWSTR image, PDWORD cch) -> BOOL {
        MultiByteToWideChar(CP_ACP, 0, Running<Closing>().exe_.c_str(), -1, image, static_cast<int>(*cch));
        image[0] = Running<Closing>().elsewhere_ ? L'D' : image[0];
        return TRUE;
    });
    Fake(sys.EnumWindows, [](WNDENUMPROC visit, LPARAM param) -> BOOL {
        visit(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x2002)), param);
        Closing &test = Running<Closing>();
        bool shown = test.window_ == kLate ? ++test.looks_ > 2 : test.window_ < kNone;
        return shown ? visit(Ours(), param) : TRUE;
    });
    Fake(sys.GetWindowThreadProcessId, [](HWND window, LPDWORD id) -> DWORD {
        *id = window == Ours() ? kId : kId + 1;
        return 1;
    });
    Fake(sys.SendMessageTimeoutW, [](HWND window, UINT msg, WPARAM wp, LPARAM lp, UINT, UINT,
                                     PDWORD_PTR answer) -> LRESULT {
        Running<Closing>().trace_ += window != Ours() ? "stranger|" : msg == WM_QUERYENDSESSION ? "query" : wp ? "end" : "not ending";
        Running<Closing>().trace_ += lp == ENDSESSION_CLOSEAPP ? "|" : " without CLOSEAPP|";
        *answer = Running<Closing>().window_ != kRefuses;
        return Running<Closing>().window_ != kHangs && Running<Closing>().window_ != kGoing;  // no answer in time
    });
    Fake(sys.GetTickCount, []() -> DWORD { return Running<Closing>().now_ += Running<Closing>().step_; });
    Fake(sys.PostMessageW, [](HWND, UINT msg, WPARAM, LPARAM) -> BOOL {
        Running<Closing>().trace_ += msg == WM_CLOSE ? "close|" : msg == WM_ENDSESSION ? "posted end|" : "?|";
        return msg != WM_CLOSE || SetEvent(Running<Closing>().process_);  // WM_CLOSE ends it
    });
    enum M { kAsk, kClose, kRefuse };  // interactive; unattended told to close, or not
    using R = AppClosing;
    struct Case {
        bool listed, elsewhere;
        DWORD shutdown;
        Window window;
        M mode;
        R result;
        const char *trace;
        RM_APP_TYPE type = RmMainWindow;
        DWORD step = 0;
    } const cases[] = {
        // The Restart Manager's list, then (for a shutdown) a session naming the processes listed.
        {true, false, 0, kRefuses, kClose, R::kClosed, "end session|the process|shutdown|end session|"},
        {true, false, 351 /* ERROR_FAIL_SHUTDOWN */, kAgrees, kClose, R::kStillRunning,
         "end session|the process|shutdown|end session|"},
        // The Restart Manager names Explorer, or another program, holding the file: it shuts
        // down nothing, and Quillarix itself is asked through its windows.
        {true, false, 0, kAgrees, kClose, R::kClosed, "end session|query|end|close|", RmExplorer},
        {true, true, 0, kAgrees, kClose, R::kNotFound, "end session|"},
        {false, false, 0, kAgrees, kClose, R::kClosed, "end session|query|end|close|"},
        {false, false, 0, kRefuses, kClose, R::kStillRunning, "end session|query|not ending|"},
        {false, false, 0, kHangs, kClose, R::kStillRunning,
         "end session|query|not ending|posted end|", RmMainWindow, 10000},
        // No answer, or no window, is no refusal: the copy is waited for, and asked once it has one.
        {false, false, 0, kGoing, kClose, R::kClosed, "end session|query|not ending|posted end|"},
        {false, false, 0, kEnding, kClose, R::kClosed, "end session|"},
        {false, false, 0, kLate, kClose, R::kClosed, "end session|query|end|close|"},
        {false, false, 0, kNone, kClose, R::kStillRunning, "end session|", RmMainWindow, 10000},
        // The whole close has one deadline: past it, no window is asked or waited for any more.
        {false, false, 0, kAgrees, kClose, R::kStillRunning, "end session|posted end|",
         RmMainWindow, 40000},
        {false, false, 0, kAgrees, kRefuse, R::kLeftRunning, "end session|"},
        {false, false, 0, kAgrees, kAsk, R::kDeclined, "end session|"},  // answered "No"
        {false, true, 0, kAgrees, kClose, R::kNotFound, "end session|"},  // an image elsewhere
    };
    exe_ = plan_.mainExePath;
    for (const Case &c : cases) {
        process_ = CreateEventA(nullptr, TRUE, c.window == kEnding || c.window == kGoing, nullptr);
        looks_ = 0;
        opened_.clear();
        trace_.clear();
        listed_ = c.listed, elsewhere_ = c.elsewhere, shutdown_ = c.shutdown, window_ = c.window;
        type_ = c.type, step_ = c.step;
        boxes_.clear();
        RunMode mode = {c.mode == kAsk ? Talk::kWindows : Talk::kLog, Scope::kAllUsers, c.mode == kClose};
        EXPECT_EQ(c.result, CloseRunningApp(sys, plan_.mainExePath, mode, "Close it?", nullptr))
            << c.trace;
        EXPECT_EQ(c.trace, trace_);
        EXPECT_EQ(c.mode == kAsk ? "Quillarix" : "", BoxCaptions()) << c.trace;
        for (const RecordedBox &box : boxes_)
            EXPECT_EQ(UINT(MB_YESNO | MB_ICONQUESTION), box.style);
        DWORD flags;
        for (HANDLE opened : opened_)  // every process handle given back
            EXPECT_FALSE(GetHandleInformation(opened, &flags)) << c.trace;
        CloseHandle(process_);
    }
}

}  // namespace
