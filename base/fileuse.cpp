// Whether a file is in use: a read-write open without sharing.
#include "base/fileuse.h"

FileUse ProbeInUse(const SharedCalls &calls, const char *path)
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
