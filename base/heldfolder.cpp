// Opening a folder once, checking it through that handle and holding it.
#include "base/heldfolder.h"

#include "base/pathtext.h"

// Whether the final path of handle (as the system resolves it, every link followed, "\\?\" dropped)
// is directory, 8.3 names and case aside: false when a junction, a symbolic link or a mount at any
// level led elsewhere, or when either cannot be told.
static bool IsFinalPath(const SharedCalls &calls, HANDLE handle, const char *directory)
{
    WCHAR wide[kCbPath], expected[kCbPath], final[kCbPath + 8];
    if (calls.MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, directory, -1, wide, kCbPath) == 0)
        return false;
    DWORD cch = calls.GetLongPathNameW(wide, expected, kCbPath);
    if (cch == 0 || cch >= kCbPath)
        return false;
    cch = calls.GetFinalPathNameByHandleW(handle, final, kCbPath + 8, FILE_NAME_NORMALIZED);
    if (cch == 0 || cch >= kCbPath + 8)
        return false;
    const WCHAR *path = final;
    if (cch >= 4 && final[0] == L'\\' && final[1] == L'\\' && final[2] == L'?' && final[3] == L'\\')
        path += 4;
    return calls.CompareStringOrdinal(path, -1, expected, -1, TRUE) == CSTR_EQUAL;
}

FolderHold HoldFolder(const SharedCalls &calls, const char *directory, HANDLE *held, DWORD *error)
{
    *held = nullptr;
    HANDLE folder = calls.CreateFileA(directory,
                                      FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL |
                                          SYNCHRONIZE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                      nullptr);
    if (folder == INVALID_HANDLE_VALUE) {
        *error = calls.GetLastError();
        return FolderHold::kFailed;
    }
    BY_HANDLE_FILE_INFORMATION info;
    FolderHold hold = FolderHold::kHeld;
    if (!calls.GetFileInformationByHandle(folder, &info)) {
        *error = calls.GetLastError();
        hold = FolderHold::kFailed;
    } else if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        *error = ERROR_DIRECTORY;
        hold = FolderHold::kFailed;
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
               !IsFinalPath(calls, folder, directory)) {
        hold = FolderHold::kLink;
    }
    if (hold == FolderHold::kHeld)
        *held = folder;
    else
        calls.CloseHandle(folder);
    return hold;
}
