// The run's private working folder in the temp folder: a fresh random name and a DACL that lets in
// Administrators and SYSTEM only; and the temp and Windows folders as the system names them.
#include "base/workfolder.h"

#include "base/heldfolder.h"
#include "base/levels.h"
#include "base/libraries.h"
#include "base/pathtext.h"
#include "base/widetext.h"

bool FindTempFolderText(const SharedCalls &calls, bool systemTemp, char *folder)
{
    using GetTempPath2Fn = DWORD(WINAPI *)(DWORD, LPWSTR);
    GetTempPath2Fn getTempPath2 =
        systemTemp ? ImportedEntry<GetTempPath2Fn>(calls, "KERNEL32.DLL", "GetTempPath2W") : nullptr;
    WCHAR wide[kCbPath];
    DWORD cch = getTempPath2 ? getTempPath2(kCbPath, wide) : calls.GetTempPathW(kCbPath, wide);
    if (cch == 0 || cch >= kCbPath ||
        AnsiFromWide(calls, wide, folder, kCbPath) != Conversion::kExact) {
        folder[0] = '\0';
        return false;
    }
    return true;
}

bool FindTempFolderOrWindows(const SharedCalls &calls, bool systemTemp, char *folder,
                             bool *fellBack)
{
    *fellBack = false;
    if (FindTempFolderText(calls, systemTemp, folder))
        return true;
    *fellBack = ReadWindowsTempFolder(calls, folder) && AppendText(folder, kCbPath, "\\");
    if (!*fellBack)
        folder[0] = '\0';
    return *fellBack;
}

bool ReadWindowsFolder(const SharedCalls &calls, char *folder)
{
    UINT cch = calls.GetWindowsDirectoryA(folder, kCbPath);
    // A result of the buffer's size or more is the size the system needed.
    if (cch == 0 || cch >= kCbPath) {
        folder[0] = '\0';
        return false;
    }
    folder[cch] = '\0';
    if (folder[cch - 1] == '\\')
        folder[cch - 1] = '\0';
    return true;
}

bool ReadWindowsTempFolder(const SharedCalls &calls, char *folder)
{
    return ReadWindowsFolder(calls, folder) && JoinPath(folder, kCbPath, folder, "Temp");
}

// Full control for SYSTEM and Administrators, inherited by what is made
// inside, nothing inherited from the parent; owned by Administrators.
static constexpr char kPrivateFolderSddl[] = "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
static constexpr char kUserPrivateFolderSddl[] =
    "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;OW)";
static constexpr int kWorkFolderTries = 16;

bool CreateFolderWithSddl(const SharedCalls &calls, const char *path, const char *sddl, DWORD *error)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!calls.ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1,
                                                                    &descriptor, nullptr)) {
        *error = calls.GetLastError();
        return false;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    BOOL created = calls.CreateDirectoryA(path, &attributes);
    *error = created ? ERROR_SUCCESS : calls.GetLastError();
    calls.LocalFree(descriptor);
    return created;
}

bool AppendRandomHex(const SharedCalls &calls, char *name, std::size_t cbName)
{
    unsigned char random[8];
    char hex[2 * sizeof random + 1];
    // The system's preferred generator, from BCRYPT.dll loaded by full path:
    // advapi32's RtlGenRandom is forwarded to cryptbase.dll, which Windows
    // would look for in the program's own folder while binding imports.
    if (!BCRYPT_SUCCESS(calls.BCryptGenRandom(nullptr, random, sizeof random,
                                              BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        return false;
    for (std::size_t i = 0; i < sizeof random; ++i) {
        hex[2 * i] = "0123456789abcdef"[random[i] >> 4];
        hex[2 * i + 1] = "0123456789abcdef"[random[i] & 15];
    }
    hex[sizeof hex - 1] = '\0';
    return AppendText(name, cbName, hex);
}

bool CreateWorkFolder(const SharedCalls &calls, Scope scope, const char *base, char *folder,
                      HANDLE *held, DWORD *error)
{
    *held = nullptr;
    *error = ERROR_ALREADY_EXISTS;
    for (int attempt = 0; attempt < kWorkFolderTries && *error == ERROR_ALREADY_EXISTS; ++attempt) {
        char name[32] = "";
        if (!AppendText(name, sizeof name, kWorkFolderPrefix) ||
            !AppendRandomHex(calls, name, sizeof name)) {
            *error = ERROR_GEN_FAILURE;
            break;
        }
        if (!JoinPath(folder, kCbPath, base, name)) {
            *error = ERROR_FILENAME_EXCED_RANGE;
            break;
        }
        FolderHold hold = MakeHeldFolder(
            calls, folder, scope == Scope::kThisUser ? kUserPrivateFolderSddl : kPrivateFolderSddl,
            held, error);
        if (hold == FolderHold::kHeld && FolderHeldOpenTo(calls, *held) == OpenTo::kNobody)
            return true;
        if (hold == FolderHold::kHeld) {
            RemoveWorkFolder(calls, folder, *held);
            *error = ERROR_ACCESS_DENIED;
        } else if (hold == FolderHold::kLink) {
            *error = ERROR_CANT_ACCESS_FILE;  // the temp folder is, or lies in, a link
        } else if (*error == ERROR_FILE_EXISTS) {
            *error = ERROR_ALREADY_EXISTS;
        }
        *held = nullptr;
    }
    folder[0] = '\0';
    return false;
}

void RemoveWorkFolder(const SharedCalls &calls, char *folder, HANDLE held)
{
    if (held) {
        FILE_DISPOSITION_INFO gone = {TRUE};
        calls.SetFileInformationByHandle(held, FileDispositionInfo, &gone, sizeof gone);
        calls.CloseHandle(held);
    }
    folder[0] = '\0';
}
