// User interface: the full-screen backdrop, the four dialogs, and the scale they are drawn at.
#pragma once
#include "base/pathtext.h"
#include "base/win.h"

// Registers the backdrop class, creates, shows and paints the window; null when either step fails.
HWND CreateBackdropWindow(HINSTANCE instance);

// The DPI of the monitor window is on (96 is 100%): GetDpiForWindow where the system has it
// (Windows 10 1607 on), else the system DPI, which older systems give every monitor. The programs
// are per-monitor DPI aware: what they paint themselves, they size for the DPI of the monitor their
// window is on, and the system no longer stretches their bitmaps.
UINT WindowDpi(HWND window);

// The edge in pixels of a standard (SM_CXICON) icon at dpi.
int IconSizeForDpi(UINT dpi);

// Paints the whole backdrop on dc, sized for dpi (96: unscaled); gives dc back its brush and font.
void PaintBackdrop(HDC dc, UINT dpi);

// What the location dialog and its folder dialog work on: the folder shown (kCbPath bytes: the
// plan's install folder, the proposed one at first; OK in the folder dialog puts the text typed
// there) and whether Change... may be used.
struct FolderChoice {
    char *folder;
    bool canChange;
};

// Modal dialogs: 1 for Install / Accept, 2 for Cancel / Decline, -1 when it could not be created.
INT_PTR RunLocationDialog(HWND owner, FolderChoice *choice);
INT_PTR RunLicenceDialog(HWND owner);
// For whom a person without administrator rights installs: 1 only for them, IDC_ALL_USERS for
// every user, 2 cancelled, -1 when it could not be created.
INT_PTR RunScopeDialog(HWND owner);

// The modeless progress dialog, or null. The caller destroys it.
HWND CreateProgressDialog(HWND owner);

// Exposed for tests that create the dialogs themselves (the location and
// folder dialogs take a FolderChoice as their creation parameter).
INT_PTR CALLBACK LocationDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FolderDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK LicenceDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ScopeDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

