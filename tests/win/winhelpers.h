// Helpers for the Windows tests: a fixture with a scratch folder and a clean
// call table, recorded message boxes, and small file helpers.
#pragma once
#include "install/plan.h"
#include "base/product.h"
#include "install/syscalls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Fake(sys.Entry, [](...) -> R { ... }) puts a captureless lambda into a
// call-table entry. The lambda is called from a function of the entry's own
// calling convention: on i686 the Win32 calls are __stdcall, and a lambda
// converts only to a plain (cdecl) function pointer, which would leave the
// stack unbalanced on every call.
template <typename Entry, typename Lambda> struct FakeThunk;
#define QLX_FAKE_THUNK(CONVENTION)                                                  \
    template <typename R, typename... A, typename Lambda>                           \
    struct FakeThunk<R(CONVENTION *)(A...), Lambda> {                               \
        static R CONVENTION Call(A... args) { return Lambda{}(args...); }           \
    };
QLX_FAKE_THUNK()
#if defined(__i386__)
QLX_FAKE_THUNK(__stdcall)
#endif
#undef QLX_FAKE_THUNK

template <typename Entry, typename Lambda> void Fake(Entry &entry, Lambda)
{
    entry = &FakeThunk<Entry, Lambda>::Call;
}

// The two ways a run talks, for every user's installation.
inline constexpr RunMode kSilentRun = {Talk::kLog, Scope::kAllUsers, false};
inline constexpr RunMode kInteractiveRun = {Talk::kWindows, Scope::kAllUsers, false};

struct RecordedBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
};

// Every test starts with the real call table but recorded message boxes, an
// empty scratch folder C:\qlxtests\<test name>, and an installation plan
// with the real temp folder and the scratch folder as the run's private
// folder; all are undone afterwards.
//
// Fakes cannot capture: what they record or are told to return lives in the
// running test's fixture (public members), which they reach by Running().
class WineTest : public ::testing::Test {
public:
    template <class F> static F &Running() { return *static_cast<F *>(running_); }

    std::vector<RecordedBox> boxes_;  // message boxes shown through the call table
    std::string BoxCaptions() const;  // "ERROR 12|ERROR 1A|..." for compact expectations
    // For RecordScheduledDeletion and MoveFailingOnFullDisk.
    std::vector<std::string> scheduled_;
    bool schedulingAllowed_ = true;
    std::string diskFullFor_;

protected:
    void SetUp() override;
    void TearDown() override;
    std::string Scratch(const std::string &name = "") const;
    // The plan's install folder is the scratch folder, its main executable mainExe in it.
    void PlanInScratch(const char *mainExe);

    std::string scratch_;
    InstallPlan plan_{};

private:
    static WineTest *running_;  // set by SetUp, cleared by TearDown
};

// Fakes the process list in calls (either program's table) so that a process runs from exe: a
// running copy of it. An empty exe puts the real calls back.
void FakeRunningCopy(SharedCalls &calls, const std::string &exe);

// Who runs the program, as its token tells it: as Wine has it (every process an elevated
// administrator), a standard user, an administrator whose token is filtered, or SYSTEM. Fakes
// the token calls in calls to read *token at each call.
enum Token { kAsIs, kStandard, kSplit, kSystem };
void FakeToken(SharedCalls &calls, const Token *token);

std::string Utf8(const WCHAR *wide);                 // "" for null
inline std::string Utf8(const char *text) { return text; }  // 8-bit text is UTF-8 already
std::wstring Utf16(const std::string &text);         // from UTF-8, the tests' code page
std::string ReadFileBytes(const std::string &path);  // "" when missing
bool FileExists(const std::string &path);
bool WriteFileBytes(const std::string &path, const std::string &bytes);
void RemoveTree(const std::string &path);  // clears read-only attributes first
std::string ResourceBytes(WORD id);          // a "FILE" resource of this module
std::string SystemText(DWORD number);        // the system's text in US English, as the setup asks it
void DeleteRegistryTree(HKEY root, const char *path);
void SetRegistryText(HKEY root, const char *key, const char *name, const std::string &text);

// A file the rig staged in its scratch folder (relative path with "/"), as
// Wine sees it: "make test" copies the payload sources into payload-src/
// and the built setups into setups/<tree>/.
std::string RigPath(const std::string &relative);
std::string PayloadSource(const char *name);  // RigPath("payload-src/" + name)

int CountFiles(const std::string &folder);  // files directly in folder
std::vector<std::string> FileNames(const std::string &folder);  // the same, by name, sorted
// The private working folders (qlx-*) in the temp folder temp, by name.
std::vector<std::string> WorkFolders(const std::string &temp);

// Makes folder hold what the setup installs there, in stand-in contents:
// the manifest's files (read-only where the manifest says so) and
// Quillarix.exe.
void WriteInstalledFiles(const std::string &folder);

// Where the shell's folder csidl keeps Quillarix.lnk.
std::string ShortcutPath(int csidl);

// A MoveFileExA for the uninstaller's table: records in scheduled_ what
// would be deleted at the next start of Windows (and fails as the system
// does when schedulingAllowed_ is false), so that no test leaves real
// pending deletions in the prefix.
BOOL WINAPI RecordScheduledDeletion(LPCSTR path, LPCSTR to, DWORD flags);

// The program files folder of a fresh prefix as this process sees it: a
// 32-bit program on 64-bit Windows is given the "(x86)" one.
inline const std::string kProgramFiles =
    sizeof(void *) == 4 ? "C:\\Program Files (x86)" : "C:\\Program Files";

// A value as stored: its exact bytes, "<no key>" or "<no value>"; *type
// (if given) receives its type. A null name reads the default value.
std::string RegistryValue(HKEY root, const char *path, const char *name, DWORD *type = nullptr);
bool RegistryKeyExists(HKEY root, const char *path);

// A MoveFileExA for the setup's table that fails as a full disk makes the
// write before it fail (ERROR_DISK_FULL) for a target named diskFullFor_.
BOOL WINAPI MoveFailingOnFullDisk(LPCSTR from, LPCSTR to, DWORD flags);

// The owner and DACL of the descriptor that attributes carry, as SDDL;
// "<none>" without one.
std::string SddlOf(const SECURITY_ATTRIBUTES *attributes);
