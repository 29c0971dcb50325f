// Reading who may change a folder and each level above it, through handles.
#include "base/levels.h"

#include "base/pathtext.h"

bool TokenUserOf(const SharedCalls &calls, HANDLE process, TokenUserBytes *user)
{
    HANDLE token = nullptr;
    DWORD cb = 0;
    if (!calls.OpenProcessToken(process, TOKEN_QUERY, &token))
        return false;
    bool read = calls.GetTokenInformation(token, TokenUser, user, sizeof *user, &cb) != FALSE;
    calls.CloseHandle(token);
    return read;
}

bool RunnerSid(const SharedCalls &calls, char *sid, std::size_t cbSid)
{
    TokenUserBytes info;
    char *text = nullptr;
    bool found = TokenUserOf(calls, calls.GetCurrentProcess(), &info) &&
                 calls.ConvertSidToStringSidA(info.user.User.Sid, &text);
    if (found) {
        found = CopyText(sid, cbSid, text);
        calls.LocalFree(text);
    }
    return found;
}

// The verdict of judge on the owner and DACL of the object open as handle, read through it as
// text; unreadable when anything fails, or where there is no DACL (or a null one, which lets
// everyone do anything: text converters differ in how they write that, so it is asked of the
// descriptor).
template <typename Judge>
static OpenTo JudgeThrough(const SharedCalls &calls, HANDLE handle, Judge judge, OpenTo unreadable)
{
    union {
        SECURITY_DESCRIPTOR_RELATIVE header;
        BYTE bytes[65536 + 256];  // a DACL of the largest size an ACL may have, and an owner
    } descriptor;
    DWORD cbNeeded = 0;
    char runner[192];
    char *sddl = nullptr;
    constexpr SECURITY_INFORMATION kWhat = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (!RunnerSid(calls, runner, sizeof runner) ||
        !calls.GetKernelObjectSecurity(handle, kWhat, &descriptor, sizeof descriptor, &cbNeeded) ||
        !calls.GetSecurityDescriptorDacl(&descriptor, &present, &dacl, &defaulted) || !present ||
        !dacl ||
        !calls.ConvertSecurityDescriptorToStringSecurityDescriptorA(&descriptor, SDDL_REVISION_1,
                                                                    kWhat, &sddl, nullptr))
        return unreadable;
    OpenTo way = judge(sddl, runner);
    calls.LocalFree(sddl);
    return way;
}

OpenTo FolderHeldOpenTo(const SharedCalls &calls, HANDLE held)
{
    return JudgeThrough(calls, held, FolderOpenTo, OpenTo::kUnreadable);
}

OpenTo LevelsAboveOpenTo(const SharedCalls &calls, const char *folder, char *level,
                         bool existingOnly)
{
    // Each level in turn, the separator kept for the drive's root only: "C:\", "C:\Apps", ...
    // up to the folder's parent. A folder that is a root ("C:") has no level above.
    const char *first = FindSeparator(folder);
    for (const char *separator = first; separator; separator = FindSeparator(separator + 1)) {
        std::size_t cch = static_cast<std::size_t>((separator == first ? separator + 1 : separator) -
                                                   folder);
        if (cch >= kCbPath)
            return OpenTo::kUnreadable;
        for (std::size_t i = 0; i < cch; ++i)
            level[i] = folder[i];
        level[cch] = '\0';
        HANDLE opened = calls.CreateFileA(level, READ_CONTROL | SYNCHRONIZE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                          nullptr);
        OpenTo way = OpenTo::kUnreadable;
        DWORD error = opened == INVALID_HANDLE_VALUE ? calls.GetLastError() : ERROR_SUCCESS;
        if (existingOnly && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND))
            way = OpenTo::kNobody;
        if (opened != INVALID_HANDLE_VALUE) {
            way = JudgeThrough(calls, opened, LevelOpenTo, OpenTo::kUnreadable);
            calls.CloseHandle(opened);
        }
        if (way != OpenTo::kNobody)
            return way;
    }
    level[0] = '\0';
    return OpenTo::kNobody;
}

const char *OpenToText(OpenTo way)
{
    switch (way) {
    case OpenTo::kNobody:
        break;
    case OpenTo::kOwner:
        return "it belongs to another account";
    case OpenTo::kWriting:
        return "other users may write in it";
    case OpenTo::kDeleting:
        return "other users may delete or rename it";
    case OpenTo::kPermissions:
        return "other users may change its permissions";
    case OpenTo::kOwnership:
        return "other users may take it over";
    case OpenTo::kEmptying:
        return "other users may delete or rename what it holds";
    case OpenTo::kUnreadable:
        return "who may change it cannot be read";
    }
    return "only administrators may change it";
}
