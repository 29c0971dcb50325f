// Whether a file is in use by another process, told by opening it with no
// sharing at all: the setup refuses to replace, and the uninstaller to
// remove, a Quillarix.exe that is running. Each asks through its own call
// table.
#pragma once
#include "base/win.h"

enum class FileUse { kAbsent, kPresent, kHeldElsewhere };

// Opens path for reading with no sharing, existing files only, and closes
// it again: a sharing violation means another process holds it (a running
// program); any other failure counts as absent.
template <typename Calls> FileUse ProbeUnshared(const Calls &calls, const char *path)
{
    HANDLE hfile = calls.CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hfile != INVALID_HANDLE_VALUE) {
        calls.CloseHandle(hfile);
        return FileUse::kPresent;
    }
    return calls.GetLastError() == ERROR_SHARING_VIOLATION ? FileUse::kHeldElsewhere
                                                            : FileUse::kAbsent;
}
