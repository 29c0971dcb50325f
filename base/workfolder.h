// The run's private working folder. Both programs run with administrator
// rights, often as SYSTEM, whose temp folder every user may create files in;
// a file there that the program closes and then reopens, starts or writes
// through by name can be swapped by any user in between. So everything
// temporary goes into a folder made fresh for the run: a random name, made
// by a call that fails when the name exists, and a protected DACL that lets
// in Administrators and SYSTEM only. Each program calls these through its
// own call table.
#pragma once
#include "base/libraries.h"
#include "base/pathtext.h"
#include "base/widetext.h"
#include "base/win.h"

// The temp folder, where the private folder goes, into folder (kCbPath
// bytes), with its trailing backslash: where systemTemp is set, GetTempPath2W where the system has it (looked
// up, since older systems and Wine lack it; under SYSTEM it gives a folder
// only SYSTEM can use); else GetTempPathW, the user's %TEMP%. False, with
// folder empty, when there is none, it does not fit, or the code page
// cannot name it.
template <typename Calls> bool FindTempFolderText(const Calls &calls, bool systemTemp, char *folder)
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

// Full control for SYSTEM and Administrators, inherited by what is made
// inside, nothing inherited from the parent; owned by Administrators.
inline constexpr char kPrivateFolderSddl[] = "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
inline constexpr char kWorkFolderPrefix[] = "qlx-";
inline constexpr int kWorkFolderTries = 16;

// Creates the folder path with the security descriptor sddl, failing when
// the name exists (CreateDirectoryA never opens an existing folder). False
// with *error the system error of the failing call.
template <typename Calls>
bool CreateFolderWithSddl(const Calls &calls, const char *path, const char *sddl, DWORD *error)
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

// Appends 16 hex digits from the system's cryptographic generator to
// name (cbName bytes). False, leaving name unchanged, when the generator
// fails or they do not fit.
template <typename Calls> bool AppendRandomHex(const Calls &calls, char *name, std::size_t cbName)
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

// Creates the run's working folder in base (a folder, with or without its
// trailing backslash) into folder (kCbPath bytes): "qlx-" and 16 hex digits
// from the system's cryptographic generator, another name while the one
// drawn exists (never an existing folder). False, with folder empty and
// *error set, when none could be made; the caller removes it with
// RemoveWorkFolder once the run is done.
template <typename Calls>
bool CreateWorkFolder(const Calls &calls, const char *base, char *folder, DWORD *error)
{
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
        if (CreateFolderWithSddl(calls, folder, kPrivateFolderSddl, error))
            return true;
        if (*error == ERROR_FILE_EXISTS)
            *error = ERROR_ALREADY_EXISTS;
    }
    folder[0] = '\0';
    return false;
}

// Removes the working folder, which its users have emptied; nothing for an
// empty path. What cannot be removed stays, out of every user's reach.
template <typename Calls> void RemoveWorkFolder(const Calls &calls, char *folder)
{
    if (folder[0] != '\0')
        calls.RemoveDirectoryA(folder);
    folder[0] = '\0';
}
