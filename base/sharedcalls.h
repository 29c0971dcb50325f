// The calls that both programs make: the part of the call table that the setup's `sys` and the
// uninstaller's `usys` have in common, each table deriving from it. The helpers that both programs
// use take this part, so either program passes its own table.
#pragma once
#include "base/calltable.h"
#include "base/win.h"

// One line per call, as in either program's list: X(name) for an imported system library's call,
// LATE(library, name) for one of a library loaded from the system folder at start.
#define QLX_SHARED_CALLS(X, LATE)                                                           \
    /* files, folders (the calls through a folder's handle from NTDLL) */                   \
    X(CreateFileA) X(WriteFile) X(CloseHandle) X(DeleteFileA) X(MoveFileExA)                \
    X(SetFileAttributesA) X(GetFileAttributesA) X(GetFileAttributesExA) X(CreateDirectoryA) \
    X(RemoveDirectoryA) X(GetLastError) X(GetLongPathNameW) X(GetFinalPathNameByHandleW)    \
    X(CompareStringOrdinal) X(GetFileInformationByHandle) X(GetWindowsDirectoryA)           \
    X(GetSystemDirectoryA) X(GetTempPathW) X(GetModuleFileNameW)                            \
    X(SetFileInformationByHandle) X(GetFullPathNameW) LATE(ntdll, NtCreateFile)             \
    LATE(ntdll, NtSetInformationFile) LATE(ntdll, RtlNtStatusToDosError)                    \
    /* registry, security, randomness */                                                    \
    X(RegOpenKeyExA) X(RegQueryValueExA) X(RegDeleteValueA) X(RegCloseKey)                  \
    X(ConvertStringSecurityDescriptorToSecurityDescriptorA) X(LocalFree)                    \
    X(ConvertSecurityDescriptorToStringSecurityDescriptorA) X(ConvertSidToStringSidA)       \
    X(GetKernelObjectSecurity) X(GetSecurityDescriptorDacl) X(OpenProcessToken)             \
    X(GetTokenInformation) X(EqualSid) LATE(bcrypt, BCryptGenRandom)                        \
    /* messages, shell, run-time linking, text conversion, process */                       \
    X(MessageBoxW) X(SHGetSpecialFolderLocation) X(SHGetPathFromIDListW) X(ILFree)          \
    X(LoadLibraryA) X(GetProcAddress) X(FreeLibrary) X(GetModuleHandleA)                    \
    X(MultiByteToWideChar) X(WideCharToMultiByte) X(GetACP) X(GetCommandLineW)              \
    X(GetEnvironmentVariableW)                                                              \
    X(GetCurrentProcess) X(WaitForSingleObject) X(GetTickCount) X(Sleep) X(GetLocalTime)    \
    X(ShellExecuteExW) X(GetExitCodeProcess) X(CreateFileW)                                 \
    X(GetTimeZoneInformation)                                                               \
    /* running copies of Quillarix: found through a process snapshot and the                \
       Restart Manager, asked to close through it or their windows, waited for */           \
    X(CreateToolhelp32Snapshot) X(Process32FirstW) X(Process32NextW) X(OpenProcess)         \
    X(QueryFullProcessImageNameW) X(WaitForMultipleObjects) X(EnumWindows)                  \
    X(GetWindowThreadProcessId) X(SendMessageTimeoutW) X(PostMessageW) X(GetShellWindow)    \
    LATE(rstrtmgr, RmStartSession) LATE(rstrtmgr, RmRegisterResources)                      \
    LATE(rstrtmgr, RmGetList) LATE(rstrtmgr, RmShutdown) LATE(rstrtmgr, RmEndSession)

struct SharedCalls {
    QLX_SHARED_CALLS(QLX_CALL_TABLE_MEMBER, QLX_CALL_TABLE_LATE_MEMBER)
};
