// Opening a folder once, checking it through that handle and holding it.
#include "base/heldfolder.h"

#include "base/pathtext.h"

// Whether the final path of handle (as the system resolves it, every link followed, "\\?\" dropped)
// is directory, 8.3 names and case aside: false when a junction, a symbolic link or a mount at any
// level led elsewhere, or when either cannot be told. With network, any folder on a network share
// (\\?\UNC\..., also through a mapped drive) passes.
static bool IsFinalPath(const SharedCalls &calls, HANDLE handle, const char *directory, bool network)
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
    if (network && calls.CompareStringOrdinal(path, 4, L"UNC\\", 4, TRUE) == CSTR_EQUAL)
        return true;
    return calls.CompareStringOrdinal(path, -1, expected, -1, TRUE) == CSTR_EQUAL;
}

// Keeps the folder open as folder in *held when it is a folder, no reparse point and has the final
// path of directory; closes it otherwise.
static FolderHold KeepIfFolder(const SharedCalls &calls, HANDLE folder, const char *directory,
                               bool network, HANDLE *held, DWORD *error)
{
    BY_HANDLE_FILE_INFORMATION info;
    FolderHold hold = FolderHold::kHeld;
    if (!calls.GetFileInformationByHandle(folder, &info)) {
        *error = calls.GetLastError();
        hold = FolderHold::kFailed;
    } else if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        *error = ERROR_DIRECTORY;
        hold = FolderHold::kFailed;
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
               !IsFinalPath(calls, folder, directory, network)) {
        hold = FolderHold::kLink;
    }
    if (hold == FolderHold::kHeld) {
        *held = folder;
        return hold;
    }
    // A folder made here, then refused, goes again (its handle may delete it).
    FILE_DISPOSITION_INFO gone = {TRUE};
    calls.SetFileInformationByHandle(folder, FileDispositionInfo, &gone, sizeof gone);
    calls.CloseHandle(folder);
    return hold;
}

FolderHold HoldFolder(const SharedCalls &calls, const char *directory, HANDLE *held, DWORD *error,
                      bool network)
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
    return KeepIfFolder(calls, folder, directory, network, held, error);
}

FolderHold MakeHeldFolder(const SharedCalls &calls, const char *path, const char *sddl, HANDLE *held,
                          DWORD *error)
{
    *held = nullptr;
    WCHAR name[kCbPath + 4] = L"\\??\\";
    int cch = calls.MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, name + 4, kCbPath);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (cch <= 1) {
        *error = ERROR_INVALID_NAME;
        return FolderHold::kFailed;
    }
    if (!calls.ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1,
                                                                    &descriptor, nullptr)) {
        *error = calls.GetLastError();
        return FolderHold::kFailed;
    }
    UNICODE_STRING text = {static_cast<USHORT>((cch + 3) * sizeof(WCHAR)),
                           static_cast<USHORT>((cch + 4) * sizeof(WCHAR)), name};
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, nullptr, descriptor);
    IO_STATUS_BLOCK io;
    HANDLE folder = nullptr;
    NTSTATUS status = calls.NtCreateFile(
        &folder, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE | DELETE,
        &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ | FILE_SHARE_WRITE,
        FILE_CREATE, FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT,
        nullptr, 0);
    calls.LocalFree(descriptor);
    if (!NT_SUCCESS(status)) {
        *error = calls.RtlNtStatusToDosError(status);
        if (*error == ERROR_SUCCESS)
            *error = ERROR_GEN_FAILURE;
        return FolderHold::kFailed;
    }
    return KeepIfFolder(calls, folder, path, false, held, error);
}
