// Whether a file is in use: a read-write open without sharing.
#include "base/fileuse.h"

#include "base/closeapp.h"
#include "base/retry.h"

static FileUse ProbeOnce(const SharedCalls &calls, const char *path)
{
    HANDLE hfile = calls.CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hfile != INVALID_HANDLE_VALUE) {
        calls.CloseHandle(hfile);
        return FileUse::kPresent;
    }
    switch (calls.GetLastError()) {
    case ERROR_SHARING_VIOLATION:
        return FileUse::kHeldElsewhere;
    case ERROR_ACCESS_DENIED:
        return FileUse::kPresent;
    default:
        return FileUse::kAbsent;
    }
}

FileUse ProbeInUse(const SharedCalls &calls, const char *path)
{
    FileUse use = ProbeOnce(calls, path);
    if (use != FileUse::kHeldElsewhere)
        return use;
    if (IsAppRunning(calls, path))
        return FileUse::kRunning;
    DWORD error = 0;
    RetryWhileHeld(calls, path, &error, [&] {
        use = ProbeOnce(calls, path);
        return use != FileUse::kHeldElsewhere;
    });
    return use;
}
