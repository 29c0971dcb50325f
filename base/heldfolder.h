// Holding a folder that an elevated program works in. A check of a folder
// by name says nothing of what the name reaches a moment later: a user who
// may rename a level above can move the checked folder away and put a
// junction in its place. So the folder is opened once, checked through
// that handle, and the handle is kept while the program works in it:
// Windows refuses to rename or move a folder while a handle is open beneath
// it, and the handle, opened without FILE_SHARE_DELETE, keeps the folder
// itself in place. Each program calls this through its own call table.
#pragma once
#include "base/pathtext.h"
#include "base/win.h"

enum class FolderHold { kHeld, kLink, kFailed };

// Whether the final path of handle (as the system resolves it, every link
// followed, "\\?\" dropped) is directory, 8.3 names and case aside: false
// when a junction, a symbolic link or a mount at any level led elsewhere,
// or when either cannot be told.
template <typename Calls> bool IsFinalPath(const Calls &calls, HANDLE handle, const char *directory)
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

// Opens the existing folder directory (with its trailing backslash where it
// is a drive root) into *held, never through a link at its own name: kHeld,
// the caller closes *held once done in it. kLink (nothing held) when it is
// a reparse point or its final path is not directory (a link above it);
// kFailed, with *error set, when it cannot be opened or is no folder.
template <typename Calls>
FolderHold HoldFolder(const Calls &calls, const char *directory, HANDLE *held, DWORD *error)
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
