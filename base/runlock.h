// One Quillarix setup or removal at a time: each program's first process takes the same lock at
// start and holds it until it ends, however it ends (the uninstaller's temporary copy, whose last
// steps run after that, holds none).
//
// The lock is a file in the Windows folder, made once and kept, opened without sharing. Only
// administrators can create a file there, and the file itself lets in Administrators and SYSTEM
// only, so no user without those rights can take the lock first or open it to hold it. What any
// user may still open is what listing the folder grants on its files (FILE_READ_ATTRIBUTES), and
// such a handle takes part in no sharing check: it cannot make the share-0 open fail. The file is
// never deleted, on close or otherwise: a file deleted while such a handle is open stays "delete
// pending", and every later open of its name is denied until that user lets go. A named mutex
// cannot give that: any user can create "Global\..." first, with a DACL that keeps every later run
// waiting or denies it the mutex altogether; and private namespaces, which would keep such a name
// out of users' reach, are missing on older systems and Wine.
#pragma once
#include "base/sharedcalls.h"

enum class RunLock { kTaken, kBusy, kFailed };

// Takes the lock into *lock (closed with CloseHandle by the caller; null unless taken). kBusy when
// another setup or removal holds it open (a sharing violation). kFailed, with *error the system
// error, when it cannot be taken for another reason, "access denied" included: the run must not go
// on without it.
RunLock TakeRunLock(const SharedCalls &calls, HANDLE *lock, DWORD *error);
