// The uninstaller's door to the system: like the setup's call table, one
// named entry per Win32 call, initialised with the real function (LATE ones,
// of BCRYPT.dll and RSTRTMGR.dll, bound at start by BindUninstallLibraries); tests replace
// single entries and put them back with RestoreUninstallCalls().
#pragma once
#include "base/calltable.h"
#include "base/win.h"

#define QLX_UNINSTALL_CALLS(X, LATE)                                               \
    X(MessageBoxW) X(RegOpenKeyExA) X(RegQueryValueExA) X(RegDeleteKeyA)        \
    X(RegDeleteValueA) X(RegQueryInfoKeyA) X(RegCloseKey) X(GetFileAttributesA) \
    X(SetFileAttributesA) X(DeleteFileA) X(RemoveDirectoryA) X(MoveFileExA)     \
    X(CreateFileA) X(CloseHandle) X(GetLastError) X(GetModuleFileNameW)         \
    X(GetWindowsDirectoryA) X(LoadLibraryA) X(GetProcAddress) X(FreeLibrary)    \
    X(SHGetSpecialFolderLocation) X(SHGetPathFromIDListW) X(ILFree)             \
    X(MultiByteToWideChar) X(GetModuleHandleA) X(GetSystemDirectoryA) \
    X(GetLongPathNameA) X(GetTempPathW) X(CopyFileA) LATE(BCryptGenRandom)       \
    X(CreateProcessA) X(CreateEventA) X(SetEvent) X(CreateFileMappingA)          \
    X(MapViewOfFile) X(UnmapViewOfFile) X(DuplicateHandle) X(GetCurrentProcess)  \
    X(WaitForSingleObject) X(WaitForMultipleObjects) X(GetExitCodeProcess) X(Sleep)   \
    X(GetFileAttributesExA) X(WriteFile) X(GetCommandLineW) X(CreateDirectoryA)  \
    X(ConvertStringSecurityDescriptorToSecurityDescriptorA) X(LocalFree)   \
    X(WideCharToMultiByte) X(GetACP) X(GetFileInformationByHandle)                \
    X(GetFinalPathNameByHandleW) X(GetLongPathNameW) X(CompareStringOrdinal)     \
    X(InitializeProcThreadAttributeList) X(UpdateProcThreadAttribute)            \
    X(DeleteProcThreadAttributeList)                                             \
    /* running copies of Quillarix: found and asked to close as the setup     \
       does (the Restart Manager's rstrtmgr.dll loaded late) */                \
    X(CreateToolhelp32Snapshot) X(Process32FirstW) X(Process32NextW)            \
    X(OpenProcess) X(QueryFullProcessImageNameW) X(EnumWindows)                 \
    X(GetWindowThreadProcessId) X(SendMessageTimeoutW) X(PostMessageW)          \
    LATE(RmStartSession) LATE(RmRegisterResources) LATE(RmGetList)              \
    LATE(RmShutdown) LATE(RmEndSession)

struct UninstallCalls {
    QLX_UNINSTALL_CALLS(QLX_CALL_TABLE_MEMBER, QLX_CALL_TABLE_MEMBER)
};

extern UninstallCalls usys;

// Restricts library search to the system folder, then loads BCRYPT.dll and
// RSTRTMGR.dll from there by their full paths and binds the LATE entries. The first thing
// the uninstaller does.
void BindUninstallLibraries();

void RestoreUninstallCalls();
