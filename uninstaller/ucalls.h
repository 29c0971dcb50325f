// The uninstaller's door to the system: like the setup's call table, one named entry per Win32 call
// (the shared ones, then its own), defined as the setup's is (QLX_DEFINE_CALL_TABLE); tests replace
// entries, RestoreUninstallCalls() restores.
#pragma once
#include "base/sharedcalls.h"
#include "base/win.h"

// The uninstaller's own calls, beyond the shared ones (none late-bound).
#define QLX_UNINSTALLER_ONLY_CALLS(X, LATE)                                        \
    X(RegDeleteKeyA) X(RegQueryInfoKeyA) X(GetLongPathNameA) X(CopyFileA) X(ReadFile) \
    X(GetFileAttributesW)                                                          \
    X(CreateProcessA) X(CreateEventA) X(SetEvent) X(CreateFileMappingA)            \
    X(MapViewOfFile) X(UnmapViewOfFile) X(DuplicateHandle)                         \
    X(InitializeProcThreadAttributeList) X(UpdateProcThreadAttribute)              \
    X(DeleteProcThreadAttributeList)

// The whole table, in the order of its members: the shared calls first.
#define QLX_UNINSTALL_CALLS(X, LATE) QLX_SHARED_CALLS(X, LATE) QLX_UNINSTALLER_ONLY_CALLS(X, LATE)

struct UninstallCalls : SharedCalls {
    QLX_UNINSTALLER_ONLY_CALLS(QLX_CALL_TABLE_MEMBER, QLX_CALL_TABLE_LATE_MEMBER)
};

extern UninstallCalls usys;

// Binds the LATE entries: the first thing the uninstaller does.
void BindUninstallLibraries();
void RestoreUninstallCalls();
