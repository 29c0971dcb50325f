// The one door to the system. Every Win32 call of the setup goes through `sys`, a table of named
// function pointers initialised with the real functions: the calls it shares with the uninstaller
// (SharedCalls), then its own. Tests replace single entries (to fail a call or record it) and put
// the real ones back with RestoreSysCalls().
#pragma once
#include "base/sharedcalls.h"
#include "base/win.h"

#include <cstdlib>

// One line per call of the setup's own, beyond the shared ones (X and LATE as there). The member
// has the call's name and exact type.
#define QLX_SETUP_ONLY_CALLS(X, LATE)                                                       \
    /* files, folders, drives */                                                            \
    X(SetLastError) X(SetFilePointer) X(FindFirstFileA) X(FindNextFileA) X(FindClose)       \
    X(GetLogicalDrives) X(GetDriveTypeA) X(GetDiskFreeSpaceExA)                             \
    /* registry */                                                                          \
    X(RegCreateKeyExA) X(RegSetValueExA) X(RegQueryValueExW) X(RegSetValueExW) X(lstrlenA)  \
    /* resources, LZ expansion */                                                           \
    X(FindResourceA) X(SizeofResource) X(LoadResource) X(LockResource)                      \
    X(_lcreat) X(_lclose) X(LZInit) X(LZCopy) X(LZClose)                                    \
    /* version information: VERSION.dll, not one of the known system ones */               \
    LATE(version, GetFileVersionInfoSizeA) LATE(version, GetFileVersionInfoA)               \
    LATE(version, VerQueryValueA)                                                           \
    /* messages, windows, dialogs, the shell's folder browser */                            \
    X(FormatMessageW) X(RegisterClassExA) X(CreateWindowExA) X(ShowWindow) X(UpdateWindow)  \
    X(DefWindowProcA) X(PostQuitMessage) X(GetSystemMetrics) X(LoadIconA) X(LoadCursorA)    \
    X(DialogBoxParamW) X(CreateDialogParamW) X(DestroyWindow) X(EndDialog) X(GetDlgItem)    \
    X(EnableWindow) X(SetDlgItemTextW) X(GetDlgItemTextW) X(SendDlgItemMessageA)            \
    X(SetWindowTextW) X(SetFocus) X(PeekMessageW) X(IsDialogMessageW) X(TranslateMessage)   \
    X(DispatchMessageW) LATE(comctl32, InitCommonControlsEx)                                \
    X(SendMessageA) X(FindWindowExA) X(SetWindowPos) X(InvalidateRect) X(LoadImageA)        \
    X(DestroyIcon) X(GetWindowRect) X(MapWindowPoints) X(MonitorFromWindow)                 \
    X(GetMonitorInfoA) X(GetPropA) X(SetPropA) X(RemovePropA) X(SHBrowseForFolderW)         \
    X(SHGetKnownFolderIDList)                                                               \
    /* painting */                                                                          \
    X(CreateSolidBrush) X(CreatePen) X(SelectObject) X(Rectangle) X(SetBkMode)              \
    X(CreateFontIndirectA) X(SetTextColor) X(GetTextExtentPointA) X(TextOutA)               \
    X(SetTextAlign) X(DeleteObject) X(GetDC) X(ReleaseDC) X(GetDeviceCaps) X(GetSysColor)   \
    X(SystemParametersInfoW)                                                                \
    /* heap, process */                                                                     \
    X(malloc) X(free) X(ExitProcess) X(CreateThread)

// The whole table, in the order of its members: the shared calls first.
#define QLX_SYSCALLS(X, LATE) QLX_SHARED_CALLS(X, LATE) QLX_SETUP_ONLY_CALLS(X, LATE)

struct SysCalls : SharedCalls {
    QLX_SETUP_ONLY_CALLS(QLX_CALL_TABLE_MEMBER, QLX_CALL_TABLE_LATE_MEMBER)
};

extern SysCalls sys;

// Binds the LATE entries (QLX_DEFINE_CALL_TABLE): the first thing the program does.
void BindSystemLibraries();
void RestoreSysCalls();
