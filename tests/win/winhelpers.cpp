// Test helpers: the fixture, recorded message boxes, files and resources.
#include "winhelpers.h"

#include <sddl.h>

#include "install/plan.h"
#include "payload/manifest.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

WineTest *WineTest::running_;

std::string Utf8(const WCHAR *wide)
{
    if (!wide)
        return "";
    int cb = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string text(cb > 0 ? cb - 1 : 0, '\0');
    if (cb > 1)
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], cb, nullptr, nullptr);
    return text;
}

static std::wstring g_runningExe;

void FakeRunningCopy(SharedCalls &calls, const std::string &exe)
{
    g_runningExe = Utf16(exe);
    calls.Process32FirstW = &Process32FirstW;
    calls.QueryFullProcessImageNameW = &QueryFullProcessImageNameW;
    if (exe.empty())
        return;
    Fake(calls.Process32FirstW, [](HANDLE, PROCESSENTRY32W *entry) -> BOOL {
        entry->th32ProcessID = GetCurrentProcessId();  // this process's handle is asked about
        lstrcpynW(entry->szExeFile, wcsrchr(g_runningExe.c_str(), L'\\') + 1, MAX_PATH);
        return TRUE;
    });
    Fake(calls.QueryFullProcessImageNameW, [](HANDLE, DWORD, LPWSTR image, PDWORD cch) -> BOOL {
        return lstrcpynW(image, g_runningExe.c_str(), static_cast<int>(*cch)) != nullptr;
    });
}

static const Token *g_token;

void FakeToken(SharedCalls &calls, const Token *token)
{
    g_token = token;
    Fake(calls.GetTokenInformation, [](HANDLE handle, TOKEN_INFORMATION_CLASS what, LPVOID info,
                                       DWORD cb, PDWORD cbNeeded) -> BOOL {
        Token who = *g_token;
        if (what == TokenElevation && (who == kStandard || who == kSplit))
            static_cast<TOKEN_ELEVATION *>(info)->TokenIsElevated = FALSE;
        else if (what == TokenElevationType && (who == kStandard || who == kSplit))
            *static_cast<TOKEN_ELEVATION_TYPE *>(info) =
                who == kSplit ? TokenElevationTypeLimited : TokenElevationTypeDefault;
        else
            return GetTokenInformation(handle, what, info, cb, cbNeeded);
        return TRUE;
    });
    Fake(calls.ConvertSidToStringSidA, [](PSID sid, LPSTR *text) -> BOOL {
        if (*g_token != kSystem)
            return ConvertSidToStringSidA(sid, text);
        *text = static_cast<LPSTR>(LocalAlloc(LMEM_FIXED, sizeof "S-1-5-18"));
        return lstrcpyA(*text, "S-1-5-18") != nullptr;
    });
}

std::wstring Utf16(const std::string &text)
{
    WCHAR wide[MAX_PATH * 2] = L"";
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide, MAX_PATH * 2);
    return wide;
}

static int WINAPI RecordMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style)
{
    WineTest::Running<WineTest>().boxes_.push_back({owner, Utf8(text), Utf8(caption), style});
    return IDOK;
}

std::string WineTest::BoxCaptions() const
{
    std::string all;
    for (const RecordedBox &box : boxes_)
        all += (all.empty() ? "" : "|") + box.caption;
    return all;
}

void WineTest::SetUp()
{
    running_ = this;
    RestoreSysCalls();
    sys.MessageBoxW = RecordMessageBox;
    plan_ = InstallPlan{};
    DWORD cch = GetTempPathA(sizeof plan_.tempFolder, plan_.tempFolder);
    ASSERT_GT(cch, 0u);
    ASSERT_LT(cch, sizeof plan_.tempFolder);
    CreateDirectoryA("C:\\qlxtests", nullptr);
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    scratch_ = std::string("C:\\qlxtests\\") + info->test_suite_name() + "." + info->name();
    RemoveTree(scratch_);
    ASSERT_TRUE(CreateDirectoryA(scratch_.c_str(), nullptr)) << scratch_;
    CopyText(plan_.workFolder, kCbPath, scratch_.c_str());  // the run's private folder
}

void WineTest::TearDown()
{
    RestoreSysCalls();
    SetCurrentDirectoryA("C:\\");
    RemoveTree(scratch_);
    running_ = nullptr;
}

void WineTest::PlanInScratch(const char *mainExe)
{
    CopyText(plan_.installFolder, kCbPath, scratch_.c_str());
    JoinPath(plan_.mainExePath, kCbPath, plan_.installFolder, mainExe);
}

std::string WineTest::Scratch(const std::string &name) const
{
    return name.empty() ? scratch_ : scratch_ + "\\" + name;
}

std::string ReadFileBytes(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "";
    std::string bytes;
    char buffer[65536];
    DWORD cb = 0;
    while (ReadFile(file, buffer, sizeof buffer, &cb, nullptr) && cb > 0)
        bytes.append(buffer, cb);
    CloseHandle(file);
    return bytes;
}

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WriteFileBytes(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD cb = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &cb, nullptr);
    CloseHandle(file);
    return ok && cb == bytes.size();
}

void RemoveTree(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (std::strcmp(found.cFileName, ".") && std::strcmp(found.cFileName, ".."))
                RemoveTree(path + "\\" + found.cFileName);
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

std::string ResourceBytes(WORD id)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), "FILE");
    if (!found)
        return "";
    DWORD cb = SizeofResource(module, found);
    const char *data = static_cast<const char *>(LockResource(LoadResource(module, found)));
    return data ? std::string(data, cb) : "";
}

std::string SystemText(DWORD number)
{
    WCHAR *text = nullptr;
    if (!FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
                        number, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                        reinterpret_cast<WCHAR *>(&text), 0, nullptr))
        return "";
    std::string copy = Utf8(text);
    LocalFree(text);
    return copy;
}

void DeleteRegistryTree(HKEY root, const char *path)
{
    RegDeleteTreeA(root, path);
    RegDeleteKeyA(root, path);
}

void SetRegistryText(HKEY root, const char *key, const char *name, const std::string &text)
{
    HKEY opened;
    RegCreateKeyA(root, key, &opened);
    RegSetValueExA(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(opened);
}

std::string RigPath(const std::string &relative)
{
    const char *scratch = std::getenv("QLX_SCRATCH");
    std::string path = std::string("Z:") + (scratch ? scratch : "") + "/" + relative;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string PayloadSource(const char *name)
{
    return RigPath(std::string("payload-src/") + name);
}

void WriteInstalledFiles(const std::string &folder)
{
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const ManifestRow &row : kManifest) {
        std::string path = folder + "\\" + row.fileName;
        WriteFileBytes(path, row.fileName);
        if (row.readOnly)
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    WriteFileBytes(folder + "\\" + kMainExeName, "MZ");
}

std::string ShortcutPath(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
    return std::string(path) + kLinkName;
}

BOOL WINAPI RecordScheduledDeletion(LPCSTR path, LPCSTR to, DWORD flags)
{
    WineTest &test = WineTest::Running<WineTest>();
    if (to != nullptr || flags != MOVEFILE_DELAY_UNTIL_REBOOT || !test.schedulingAllowed_) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    test.scheduled_.push_back(path);
    return TRUE;
}

// The names in folder that match pattern, of files or of folders, sorted.
static std::vector<std::string> Names(const std::string &folder, const char *pattern, bool folders)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        if (((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folders && name != "." &&
            name != "..")
            names.push_back(name);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> FileNames(const std::string &folder)
{
    return Names(folder, "*", false);
}

std::vector<std::string> WorkFolders(const std::string &temp)
{
    return Names(temp, "qlx-*", true);
}

int CountFiles(const std::string &folder)
{
    return static_cast<int>(FileNames(folder).size());
}

std::string RegistryValue(HKEY root, const char *path, const char *name, DWORD *type)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<no key>";
    char data[1024];
    DWORD cb = sizeof data, t = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, &t, reinterpret_cast<BYTE *>(data), &cb);
    RegCloseKey(key);
    if (type)
        *type = t;
    return status == ERROR_SUCCESS ? std::string(data, cb) : "<no value>";
}

bool RegistryKeyExists(HKEY root, const char *path)
{
    return RegistryValue(root, path, "") != "<no key>";
}

BOOL WINAPI MoveFailingOnFullDisk(LPCSTR from, LPCSTR to, DWORD flags)
{
    std::string target = to ? to : "";
    std::string suffix = "\\" + WineTest::Running<WineTest>().diskFullFor_;
    if (target.size() >= suffix.size() &&
        target.compare(target.size() - suffix.size(), suffix.size(), suffix) == 0) {
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return MoveFileExA(from, to, flags);
}

std::string SddlOf(const SECURITY_ATTRIBUTES *attributes)
{
    std::string sddl = "<none>";
    char *text = nullptr;
    if (attributes && attributes->lpSecurityDescriptor &&
        ConvertSecurityDescriptorToStringSecurityDescriptorA(
            attributes->lpSecurityDescriptor, SDDL_REVISION_1,
            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &text, nullptr)) {
        sddl = text;
        LocalFree(text);
    }
    return sddl;
}
