// One Quillarix setup or removal at a time: both programs take the same
// lock at start and keep it until they end. Each asks through its own call
// table.
//
// The lock is a file in the Windows folder, made once and kept: each run
// opens it without sharing and holds it until it ends (however it ends).
// Only administrators can create a file there, and the file itself lets in
// Administrators and SYSTEM only, so no user without those rights can take
// the lock first or open it to hold it. What any user may still open is
// what listing the folder grants (attributes, read control, synchronize),
// and such a handle takes part in no sharing check: it cannot make the
// share-0 open fail. The file is never deleted, on close or otherwise: a
// file deleted while such a handle is open stays "delete pending", and
// every later open of its name is denied until that user lets go. A named
// mutex cannot give that: any user can create "Global\..." first, with a
// DACL that keeps every later run waiting or denies it the mutex
// altogether; and private namespaces, which would keep such a name out of
// users' reach, are missing on older systems and Wine.
#pragma once
#include "base/pathtext.h"
#include "base/product.h"
#include "base/win.h"

// The lock file: full control for SYSTEM and Administrators, nothing else.
inline constexpr char kRunLockSddl[] = "O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)";

enum class RunLock { kTaken, kBusy, kFailed };

// Takes the lock into *lock (closed with CloseHandle by the caller; null
// unless taken). kBusy when another setup or removal holds it open (a
// sharing violation). kFailed, with *error the system error, when it cannot
// be taken for another reason, "access denied" included: the run must not
// go on without it.
template <typename Calls> RunLock TakeRunLock(const Calls &calls, HANDLE *lock, DWORD *error)
{
    *lock = nullptr;
    char path[kCbPath];
    UINT cch = calls.GetWindowsDirectoryA(path, sizeof path);
    if (cch == 0 || cch >= sizeof path) {
        *error = cch == 0 ? calls.GetLastError() : ERROR_FILENAME_EXCED_RANGE;
        return RunLock::kFailed;
    }
    if (!JoinPath(path, sizeof path, path, kRunLockName)) {
        *error = ERROR_FILENAME_EXCED_RANGE;
        return RunLock::kFailed;
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!calls.ConvertStringSecurityDescriptorToSecurityDescriptorA(kRunLockSddl, SDDL_REVISION_1,
                                                                    &descriptor, nullptr)) {
        *error = calls.GetLastError();
        return RunLock::kFailed;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    HANDLE file = calls.CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, &attributes,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    *error = file == INVALID_HANDLE_VALUE ? calls.GetLastError() : ERROR_SUCCESS;
    calls.LocalFree(descriptor);
    if (file != INVALID_HANDLE_VALUE) {
        *lock = file;
        return RunLock::kTaken;
    }
    return *error == ERROR_SHARING_VIOLATION ? RunLock::kBusy : RunLock::kFailed;
}
