// The one door to the system. Every Win32 call of the program goes through
// `sys`, a table of named function pointers initialised with the real
// functions. Tests replace single entries (to fail a call or record it) and
// put the real ones back with RestoreSysCalls().
#pragma once
#include "base/calltable.h"
#include "base/win.h"

#include <cstdlib>

// One line per call: X(name) for the calls of the imported system libraries,
// LATE(name) for those of VERSION.dll, BCRYPT.dll and RSTRTMGR.dll, which are loaded from
// the system folder at start (BindSystemLibraries). The member has the
// call's name and exact type.
#define QLX_SYSCALLS(X, LATE)                                                 \
    /* files */                                                               \
    X(CreateFileA) X(WriteFile) X(CloseHandle) X(DeleteFileA) X(MoveFileExA)  \
    X(SetFileAttributesA) X(GetFileAttributesExA) X(GetLastError) X(SetLastError) \
    /* folders, drives */                                                     \
    X(GetFileAttributesA) X(CreateDirectoryA) X(RemoveDirectoryA) X(SetFilePointer) \
    X(GetFullPathNameW) X(GetLongPathNameW) X(GetFinalPathNameByHandleW)      \
    X(CompareStringOrdinal) X(GetFileInformationByHandle)                     \
    X(FindFirstFileA) X(FindNextFileA) X(FindClose)                           \
    X(GetWindowsDirectoryA) X(GetSystemDirectoryA) X(GetTempPathW)          \
    X(GetModuleFileNameW)                                                     \
    X(GetLogicalDrives) X(GetDriveTypeA) X(GetDiskFreeSpaceExA)               \
    /* registry */                                                            \
    X(RegCreateKeyExA) X(RegOpenKeyExA) X(RegQueryValueExA) X(RegSetValueExA) X(RegCloseKey)   \
    X(RegQueryValueExW) X(RegSetValueExW)                                     \
    X(RegDeleteValueA) X(lstrlenA)                                            \
    /* security, randomness */                                                \
    X(ConvertStringSecurityDescriptorToSecurityDescriptorA) LATE(BCryptGenRandom) \
    X(ConvertSecurityDescriptorToStringSecurityDescriptorA) X(ConvertSidToStringSidA) \
    X(GetKernelObjectSecurity) X(SetKernelObjectSecurity) X(GetSecurityDescriptorDacl) \
    X(OpenProcessToken) X(GetTokenInformation) X(GetCurrentProcess)           \
    /* resources */                                                           \
    X(FindResourceA) X(SizeofResource) X(LoadResource) X(LockResource)        \
    /* LZ expansion */                                                        \
    X(_lcreat) X(_lclose) X(LZInit) X(LZCopy) X(LZClose)            \
    /* version information: VERSION.dll, not one of the known system ones */ \
    LATE(GetFileVersionInfoSizeA) LATE(GetFileVersionInfoA) LATE(VerQueryValueA) \
    /* messages */                                                            \
    X(MessageBoxW) X(FormatMessageA) X(LocalFree)                             \
    /* windows, dialogs */                                                    \
    X(RegisterClassExA) X(CreateWindowExA) X(ShowWindow) X(UpdateWindow)      \
    X(DefWindowProcA) X(PostQuitMessage) X(GetSystemMetrics) X(LoadIconA)     \
    X(LoadCursorA) X(DialogBoxParamW) X(CreateDialogParamW) X(DestroyWindow)  \
    X(EndDialog) X(GetDlgItem) X(EnableWindow) X(SetDlgItemTextW)             \
    X(GetDlgItemTextW) X(SendDlgItemMessageA) X(SendMessageA) X(FindWindowExA) \
    X(SetWindowPos) X(InvalidateRect) X(LoadImageA) X(DestroyIcon)             \
    X(GetWindowRect) X(MapWindowPoints) X(MonitorFromWindow) X(GetMonitorInfoA) \
    X(GetPropA) X(SetPropA) X(RemovePropA)                                    \
    /* painting */                                                            \
    X(CreateSolidBrush) X(CreatePen) X(SelectObject) X(Rectangle) X(SetBkMode) \
    X(CreateFontIndirectA) X(SetTextColor) X(GetTextExtentPointA) X(TextOutA) \
    X(SetTextAlign) X(DeleteObject) X(GetDC) X(ReleaseDC) X(GetDeviceCaps)    \
    /* shell */                                                               \
    X(SHBrowseForFolderW) X(SHGetPathFromIDListW)                             \
    X(SHGetSpecialFolderLocation) X(ILFree)                                   \
    /* run-time linking, text conversion */                                   \
    X(LoadLibraryA) X(GetProcAddress) X(FreeLibrary) X(MultiByteToWideChar)   \
    X(WideCharToMultiByte) X(GetACP)   \
    /* heap */                                                                \
    X(malloc) X(free)                                                         \
    /* process */                                                             \
    X(GetModuleHandleA) X(ExitProcess) X(GetLocalTime) X(GetCommandLineW)    \
    X(CreateThread) X(WaitForSingleObject)                                    \
    /* running copies of Quillarix: found through a process snapshot and the  \
       Restart Manager (rstrtmgr.dll, loaded late), asked to close through it \
       or their windows, waited for */                                         \
    X(CreateToolhelp32Snapshot) X(Process32FirstW) X(Process32NextW)          \
    X(OpenProcess) X(QueryFullProcessImageNameW) X(WaitForMultipleObjects)    \
    X(EnumWindows) X(GetWindowThreadProcessId) X(SendMessageTimeoutW)         \
    X(PostMessageW) LATE(RmStartSession) LATE(RmRegisterResources)            \
    LATE(RmGetList) LATE(RmShutdown) LATE(RmEndSession)

struct SysCalls {
    QLX_SYSCALLS(QLX_CALL_TABLE_MEMBER, QLX_CALL_TABLE_MEMBER)
};

extern SysCalls sys;

// Restricts library search to the system folder, then loads VERSION.dll,
// BCRYPT.dll and RSTRTMGR.dll from there by their full paths and binds the LATE entries to
// their functions (the libraries stay loaded). Where it cannot be loaded, or an entry point
// is missing, the entry keeps failing as the call fails. The first thing
// the program does.
void BindSystemLibraries();

// Puts every entry back to the real function (as bound).
void RestoreSysCalls();
