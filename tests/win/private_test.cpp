// What the elevated programs keep out of every user's reach, through the
// setup's call table: the run's private working folder, the lock against a
// second run, and the default log's name.
#include "winhelpers.h"

#include "base/logfile.h"
#include "base/runframe.h"
#include "install/plan.h"
#include "base/widetext.h"
#include "base/workfolder.h"

#include <cstring>
#include <regex>

namespace {

const std::string kBom = "\xEF\xBB\xBF";  // every log begins with it

// The log at path without the time that begins each of its lines, as "2026-12-11T16:05:01.250+01:00
// " (local time and its offset from UTC); a line without it is left as it is, and so shows.
std::string Untimed(const std::string &path)
{
    static const std::regex kTime(
        "(^\xEF\xBB\xBF|\n)\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}[+-]\\d\\d:\\d\\d ");
    return std::regex_replace(ReadFileBytes(path), kTime, "$1");
}

struct Private : WineTest {
    // Keeps the paths created and the descriptor passed with the last
    // CreateDirectoryA or CreateFileA, as SDDL.
    static void Capture(const char *path, const SECURITY_ATTRIBUTES *attributes)
    {
        Running<Private>().created_.push_back(path);
        Running<Private>().sddl_ = SddlOf(attributes);
    }
    std::string sddl_;
    std::vector<std::string> created_;
    UINT codePage_ = 0;                 // for GetACP
    std::wstring userTemp_;             // for GetTempPathW
    DWORD share_ = 0, flags_ = 0;       // given to CreateFileA
    DWORD error_ = 0;                   // for a failing CreateFileA
    std::string base_;                  // the scratch folder, for the fakes
    decltype(sys.NtCreateFile) realCreate_ = sys.NtCreateFile;
};

TEST_F(Private, WorkFolderIsNewRandomAndForAdministratorsAndSystemOnly)
{
    // The first two names drawn exist already: each is left alone and another one drawn. The
    // folder is made and opened in one call.
    Fake(sys.NtCreateFile, [](PHANDLE handle, ACCESS_MASK access, POBJECT_ATTRIBUTES object,
                              PIO_STATUS_BLOCK io, PLARGE_INTEGER size, ULONG attributes, ULONG share,
                              ULONG disposition, ULONG options, PVOID ea, ULONG cbEa) -> NTSTATUS {
        SECURITY_ATTRIBUTES given = {sizeof given, object->SecurityDescriptor, FALSE};
        Capture(Utf8(object->ObjectName->Buffer).substr(4).c_str(), &given);
        Running<Private>().share_ = share;
        if (Running<Private>().created_.size() <= 2)
            return static_cast<NTSTATUS>(0xC0000035L);  // STATUS_OBJECT_NAME_COLLISION
        return Running<Private>().realCreate_(handle, access, object, io, size, attributes, share,
                                              disposition, options, ea, cbEa);
    });
    char folder[kCbPath];
    DWORD error = 0xdeadbeef;
    HANDLE held = nullptr;
    ASSERT_TRUE(CreateWorkFolder(sys, Scope::kAllUsers, Scratch().c_str(), folder, &held, &error));
    ASSERT_EQ(3u, created_.size());
    EXPECT_EQ(created_[2], folder);
    EXPECT_NE(created_[0], created_[1]);
    EXPECT_NE(created_[1], created_[2]);
    for (const std::string &path : created_) {
        EXPECT_EQ(Scratch("qlx-"), path.substr(0, Scratch("qlx-").size()));
        EXPECT_EQ(Scratch().size() + 1 + 4 + 16, path.size()) << path;
    }
    EXPECT_EQ("O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", sddl_);
    EXPECT_EQ(DWORD(FILE_SHARE_READ | FILE_SHARE_WRITE), share_);  // held, never renamed
    EXPECT_TRUE(GetFileAttributesA(folder) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(MoveFileA(folder, Scratch("renamed").c_str()));  // held from its making
    RemoveWorkFolder(sys, folder, held);  // through the handle
    EXPECT_FALSE(FileExists(created_[2]));
    EXPECT_STREQ("", folder);

    // One that others may change (a user's folder put in its place before it was held) is let
    // go, and none is made.
    Fake(sys.GetKernelObjectSecurity, [](HANDLE, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR out,
                                         DWORD cb, LPDWORD cbNeeded) -> BOOL {
        PSECURITY_DESCRIPTOR made = nullptr;
        ULONG cbMade = 0;
        ConvertStringSecurityDescriptorToSecurityDescriptorA(
            "O:S-1-5-21-1-2-3-1001D:(A;OICI;FA;;;S-1-5-21-1-2-3-1001)", SDDL_REVISION_1, &made,
            &cbMade);
        *cbNeeded = cbMade;
        std::memcpy(out, made, cbMade <= cb ? cbMade : 0);
        LocalFree(made);
        return cbMade <= cb;
    });
    created_.clear();
    EXPECT_FALSE(CreateWorkFolder(sys, Scope::kAllUsers, Scratch().c_str(), folder, &held, &error));
    EXPECT_EQ(nullptr, held);
    EXPECT_STREQ("", folder);
    RestoreSysCalls();

    // Any other failure ends the attempt, with nothing left named.
    created_.clear();
    Fake(sys.NtCreateFile, [](PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES object, PIO_STATUS_BLOCK,
                              PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG) -> NTSTATUS {
        Capture(Utf8(object->ObjectName->Buffer).c_str(), nullptr);
        return static_cast<NTSTATUS>(0xC0000022L);  // STATUS_ACCESS_DENIED
    });
    EXPECT_FALSE(CreateWorkFolder(sys, Scope::kAllUsers, Scratch().c_str(), folder, &held, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), error);
    EXPECT_EQ(1u, created_.size());
    EXPECT_STREQ("", folder);
}

DWORD WINAPI TempPath(DWORD cch, LPWSTR buffer, const wchar_t *path)
{
    DWORD length = static_cast<DWORD>(wcslen(path));
    if (length >= cch)
        return length + 1;
    wcscpy(buffer, path);
    return length;
}
DWORD WINAPI UserTemp(DWORD cch, LPWSTR buffer)
{
    return TempPath(cch, buffer, WineTest::Running<Private>().userTemp_.c_str());
}
DWORD WINAPI SystemTemp(DWORD cch, LPWSTR buffer)
{
    return TempPath(cch, buffer, L"C:\\windows\\SystemTemp\\");
}

// The working folder's temp folder is GetTempPath2W's where the system has
// it (under SYSTEM, one only SYSTEM can use), the log's the user's %TEMP%;
// and a temp folder that this process's code page cannot name is none (a
// system without UTF-8 would hand over a neighbour of it).
TEST_F(Private, TempFolderFromGetTempPath2WhereTheSystemHasIt)
{
    Fake(sys.GetProcAddress, [](HMODULE module, LPCSTR name) -> FARPROC {
        if (std::string(name) != "GetTempPath2W")
            return GetProcAddress(module, name);
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&SystemTemp));
    });
    sys.GetTempPathW = UserTemp;
    Fake(sys.GetACP, []() { return Running<Private>().codePage_; });
    struct Case {
        UINT codePage;  // 1252: a system that ignores the UTF-8 manifest
        bool systemTemp;
        const wchar_t *userTemp;
        const char *found;
    } const cases[] = {
        {CP_UTF8, true, L"C:\\users\\x\\Temp\\", "C:\\windows\\SystemTemp\\"},
        {CP_UTF8, false, L"C:\\users\\x\\Temp\\", "C:\\users\\x\\Temp\\"},
        {CP_UTF8, false, L"C:\\users\\\u0141ukasz \u7530\u4e2d\\Temp\\",
         "C:\\users\\\xC5\x81ukasz \xE7\x94\xB0\xE4\xB8\xAD\\Temp\\"},
        {1252, false, L"C:\\users\\\u00d3la\\Temp\\", "C:\\users\\\xD3la\\Temp\\"},
        {1252, false, L"C:\\users\\\u0141ukasz\\Temp\\", ""},  // never "Lukasz"
        {CP_UTF8, false, L"C:\\users\\x\xD800\\Temp\\", ""},  // a lone surrogate: no UTF-8 form
    };
    for (const Case &c : cases) {
        codePage_ = c.codePage;
        userTemp_ = c.userTemp;
        char temp[kCbPath];
        EXPECT_EQ(c.found[0] != '\0', FindTempFolderText(sys, c.systemTemp, temp)) << c.found;
        EXPECT_STREQ(c.found, temp);
        // Where there is none, the Windows folder's temp folder is used instead.
        bool fellBack = false;
        EXPECT_TRUE(FindTempFolderOrWindows(sys, c.systemTemp, temp, &fellBack));
        EXPECT_EQ(c.found[0] == '\0', fellBack);
        EXPECT_STREQ(c.found[0] ? c.found : "C:\\windows\\Temp\\", temp);
    }
}

// The lock is a file in the Windows folder that only administrators and
// SYSTEM can open, held without sharing and kept when closed. Held by
// another run it answers with a sharing violation; "access denied" (what a
// process without those rights gets) or any other failure ends the run:
// nothing is ever taken as no lock. A handle that anyone may take (the
// attributes, as listing the folder grants) holds no run back.
TEST_F(Private, RunLockIsHeldByOneRunAndNeverReadAsFree)
{
    HANDLE lock = nullptr, second = nullptr;
    DWORD error = 0;
    Fake(sys.CreateFileA, [](LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                             DWORD disposition, DWORD flags, HANDLE tmpl) -> HANDLE {
        Capture(path, sa);
        Running<Private>().share_ = share;
        Running<Private>().flags_ = flags;
        return CreateFileA(path, access, share, sa, disposition, flags, tmpl);
    });
    ASSERT_EQ(RunLock::kTaken, TakeRunLock(sys, Scope::kAllUsers, &lock, &error));
    EXPECT_EQ(std::string("C:\\windows\\") + kRunLockName, created_.at(0));
    EXPECT_EQ("O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)", sddl_);
    EXPECT_EQ(0u, share_);
    EXPECT_EQ(0u, flags_ & FILE_FLAG_DELETE_ON_CLOSE);
    EXPECT_EQ(RunLock::kBusy, TakeRunLock(sys, Scope::kAllUsers, &second, &error));
    EXPECT_EQ(nullptr, second);
    CloseHandle(lock);
    EXPECT_TRUE(FileExists(created_[0]));  // kept: nothing is ever pending deletion
    HANDLE pin = CreateFileA(created_[0].c_str(), FILE_READ_ATTRIBUTES, 0, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, pin);
    EXPECT_EQ(RunLock::kTaken, TakeRunLock(sys, Scope::kAllUsers, &lock, &error)) << error;
    CloseHandle(lock);
    CloseHandle(pin);

    struct Case {
        DWORD error;
        RunLock expected;
    } const cases[] = {{ERROR_ACCESS_DENIED, RunLock::kFailed},
                       {ERROR_SHARING_VIOLATION, RunLock::kBusy},
                       {ERROR_PATH_NOT_FOUND, RunLock::kFailed}};
    for (const Case &c : cases) {
        error_ = c.error;
        Fake(sys.CreateFileA, [](LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                 HANDLE) -> HANDLE {
            SetLastError(Running<Private>().error_);
            return INVALID_HANDLE_VALUE;
        });
        lock = reinterpret_cast<HANDLE>(0xA5A5);
        EXPECT_EQ(c.expected, TakeRunLock(sys, Scope::kAllUsers, &lock, &error)) << c.error;
        EXPECT_EQ(nullptr, lock) << c.error;
        EXPECT_EQ(c.error, error);
    }
}

// A log is never written through a name that exists: a file there is
// replaced, not written into; where the default name cannot be freed (held
// open by a user's program) the next numbered name is taken, and a given
// name that cannot be freed is left alone, the log beside it.
TEST_F(Private, LogsTakeANewFileUnderAFreeName)
{
    const std::string scratch = Scratch();  // one string: both ends of the same text
    userTemp_ = std::wstring(scratch.begin(), scratch.end()) + L"\\";
    sys.GetTempPathW = UserTemp;
    std::string first = Scratch("QuillarixSetup.log"), second = Scratch("QuillarixSetup-2.log");
    ASSERT_TRUE(WriteFileBytes(first, "a user's text\r\n"));
    OpenRunLog(sys, "", kSilentRun, kSetupLogName);
    LogLine({"one"});
    CloseLogFile(0);
    EXPECT_EQ(kBom + "one\r\nExit code 0\r\n", Untimed(first));

    HANDLE held = CreateFileA(first.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    OpenRunLog(sys, "", kSilentRun, kSetupLogName);
    CloseLogFile(1603);
    CloseHandle(held);
    EXPECT_EQ(kBom + "one\r\nExit code 0\r\n", Untimed(first));
    EXPECT_EQ(kBom + "Exit code 1603\r\n", Untimed(second));

    // Not silent and not asked for: no log at all.
    OpenRunLog(sys, "", kInteractiveRun, kSetupLogName);
    EXPECT_EQ(nullptr, g_logFile);

    std::string given = Scratch("deploy.log");
    ASSERT_TRUE(WriteFileBytes(given, "a user's text\r\n"));
    OpenRunLog(sys, given.c_str(), kInteractiveRun, kSetupLogName);
    CloseLogFile(0);
    EXPECT_EQ(kBom + "Exit code 0\r\n", Untimed(given));
    held = CreateFileA(given.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
    OpenRunLog(sys, given.c_str(), kSilentRun, kSetupLogName);
    CloseLogFile(5);
    CloseHandle(held);
    EXPECT_EQ(kBom + "Exit code 0\r\n", Untimed(given));
    std::vector<std::string> names = FileNames(Scratch());  // sorted: upper case first
    ASSERT_EQ(4u, names.size());
    EXPECT_EQ(0u, names[3].rfind("deploy.log.", 0)) << names[3];
    EXPECT_EQ(kBom + "Exit code 5\r\n", Untimed(Scratch(names[3])));

    // A level above the log's folder swapped between the log's making and its rename (a
    // junction re-pointed: here the level renamed and made anew, with a user's file at the log's
    // name): the log goes into the folder it was made in, and the user's file stays as it was.
    base_ = Scratch();
    ASSERT_TRUE(CreateDirectoryA(Scratch("level").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(Scratch("level\\logs").c_str(), nullptr));
    Fake(sys.NtSetInformationFile, [](HANDLE file, PIO_STATUS_BLOCK io, PVOID info, ULONG cb,
                                      FILE_INFORMATION_CLASS what) -> NTSTATUS {
        const std::string &base = Running<Private>().base_;
        MoveFileA((base + "\\level").c_str(), (base + "\\moved").c_str());
        CreateDirectoryA((base + "\\level").c_str(), nullptr);
        CreateDirectoryA((base + "\\level\\logs").c_str(), nullptr);
        WriteFileBytes(base + "\\level\\logs\\deploy.log", "a user's text\r\n");
        auto real = reinterpret_cast<decltype(&NtSetInformationFile)>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtSetInformationFile")));
        return real(file, io, info, cb, what);
    });
    OpenRunLog(sys, Scratch("level\\logs\\deploy.log").c_str(), kSilentRun, kSetupLogName);
    CloseLogFile(0);
    EXPECT_EQ("a user's text\r\n", ReadFileBytes(Scratch("level\\logs\\deploy.log")));
    // (Wine cannot rename relative to a folder whose path has changed: there the log keeps its
    // random name; Windows renames through the handle whatever the names above it.)
    std::vector<std::string> moved = FileNames(Scratch("moved\\logs"));
    ASSERT_EQ(1u, moved.size());
    EXPECT_EQ(0u, moved[0].rfind("deploy.log", 0)) << moved[0];
    EXPECT_EQ(kBom + "Exit code 0\r\n", Untimed(Scratch("moved\\logs\\" + moved[0])));
}

}  // namespace
