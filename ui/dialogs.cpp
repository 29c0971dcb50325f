// The location, folder, licence and progress dialogs. Their templates live
// in the resource script; the procedures below give them their behaviour.
#include "ui/ui.h"

#include "base/errors.h"
#include "base/pathtext.h"
#include "install/report.h"
#include "base/product.h"
#include "install/plan.h"
#include "install/syscalls.h"
#include "base/widetext.h"
#include "base/catalogue.h"
#include "payload/store.h"
#include "resources/resource.h"

#include <commctrl.h>
#include <cstring>

// The icon in the location and folder dialogs. The template's icon control loads the group's first
// image, 32 pixels; on a scaled screen the dialog shows instead the image of the size the DPI asks
// for, loaded here. Each dialog owns the icon it shows, kept as a property of the dialog, and
// destroys it when it is replaced or the dialog ends.
static constexpr char kIconProperty[] = "Quillarix.Icon";

static HWND IconControl(HWND dialog)
{
    for (HWND control = sys.FindWindowExA(dialog, nullptr, "Static", nullptr); control;
         control = sys.FindWindowExA(dialog, control, "Static", nullptr))
        if (sys.SendMessageA(control, STM_GETICON, 0, 0))
            return control;
    return nullptr;
}

static void ShowIconForDpi(HWND dialog)
{
    HWND control = IconControl(dialog);
    if (!control)
        return;
    int size = IconSizeForDpi(WindowDpi(dialog));
    HICON icon = static_cast<HICON>(sys.LoadImageA(
        ProgramModule(), MAKEINTRESOURCEA(IDI_QUILLARIX), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    if (!icon)
        return;  // the icon shown so far stays
    HANDLE previous = sys.GetPropA(dialog, kIconProperty);
    if (!sys.SetPropA(dialog, kIconProperty, icon)) {
        sys.DestroyIcon(icon);
        return;
    }
    sys.SendMessageA(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    if (previous)
        sys.DestroyIcon(static_cast<HICON>(previous));
}

static void ReleaseIcon(HWND dialog)
{
    HANDLE icon = sys.RemovePropA(dialog, kIconProperty);
    if (icon)
        sys.DestroyIcon(static_cast<HICON>(icon));
}

// The dialogs are Unicode windows: text goes in and out in UTF-16, converted here from the
// program's code page. An 8-bit window would keep and draw bytes in the system's code page,
// whatever the program's, and a folder like "C:\Программы" would show as mojibake on most systems.
// Sets the text of control id to text; false where it does not convert.
static bool SetItemText(HWND dialog, int id, const char *text)
{
    WCHAR wide[kCbPath];
    return sys.MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, wide, kCbPath) != 0 &&
           sys.SetDlgItemTextW(dialog, id, wide);
}

// Every dialog is named, as its title, though no title bar shows it: screen readers, the taskbar
// and Alt+Tab tell the person where they are by it.
static void NameDialog(HWND dialog, const WCHAR *name)
{
    sys.SetWindowTextW(dialog, name);
}

// The location and folder dialogs keep the choice they work on, given
// when they are created, as a property of the dialog.
static constexpr char kChoiceProperty[] = "Quillarix.Choice";

// Takes the choice given with WM_INITDIALOG, shows its folder and the icon;
// false when the choice cannot be kept (the dialog then ends with -1).
static bool StartChoiceDialog(HWND dialog, LPARAM lParam)
{
    auto *choice = reinterpret_cast<FolderChoice *>(lParam);
    if (!choice || !sys.SetPropA(dialog, kChoiceProperty, choice)) {
        sys.EndDialog(dialog, -1);
        return false;
    }
    SetItemText(dialog, IDC_FOLDER_EDIT, choice->folder);
    ShowIconForDpi(dialog);
    return true;
}

static FolderChoice *ChoiceOf(HWND dialog)
{
    return static_cast<FolderChoice *>(sys.GetPropA(dialog, kChoiceProperty));
}

// The messages both choice dialogs answer alike, leaving them to the system too: a change of scale
// (the system scales the dialog itself) and the end. True when msg was one of them.
static bool ChoiceDialogMessage(HWND dialog, UINT msg)
{
    if (msg == WM_DPICHANGED) {
        ShowIconForDpi(dialog);
    } else if (msg == WM_DESTROY) {
        sys.RemovePropA(dialog, kChoiceProperty);
        ReleaseIcon(dialog);
    } else {
        return false;
    }
    return true;
}

static INT_PTR RunFolderDialog(HWND owner, FolderChoice *choice)
{
    return sys.DialogBoxParamW(ProgramModule(), MAKEINTRESOURCEW(IDD_FOLDER), owner,
                               FolderDialogProc, reinterpret_cast<LPARAM>(choice));
}

INT_PTR CALLBACK LocationDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (ChoiceDialogMessage(dialog, msg))
        return FALSE;
    switch (msg) {
    case WM_INITDIALOG: {
        NameDialog(dialog, L"Quillarix Setup");
        if (!StartChoiceDialog(dialog, lParam))
            return TRUE;
        HWND change = sys.GetDlgItem(dialog, IDC_CHANGE);
        if (change)
            sys.EnableWindow(change, ChoiceOf(dialog)->canChange);
        // Install has the focus, as Enter's button, though Tab follows the layout from the top.
        sys.SetFocus(sys.GetDlgItem(dialog, IDOK));
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            sys.EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        case IDC_CHANGE:
            if (FolderChoice *choice = ChoiceOf(dialog);
                choice && RunFolderDialog(dialog, choice) == IDOK)
                SetItemText(dialog, IDC_FOLDER_EDIT, choice->folder);
            return FALSE;
        }
        break;
    }
    return FALSE;
}

// Browse...: the shell's folder browser, then the chosen folder joined with "Quillarix" into the
// edit control. The install folder is not touched. The folder is asked in UTF-16 and must convert
// exactly: where the system's code page lacks a character of it, the 8-bit call would hand over a
// neighbour ("D:\Lodz" for "D:\Łódź"), another folder, which would then be created.
static void BrowseForFolder(HWND dialog)
{
    WCHAR displayName[kCbPath], chosen[kCbPath];
    BROWSEINFOW info;
    std::memset(&info, 0, sizeof info);
    info.hwndOwner = dialog;
    info.pszDisplayName = displayName;
    info.lpszTitle = L"Choose the folder where you wish to install Quillarix";
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST items = sys.SHBrowseForFolderW(&info);
    if (!items)
        return;
    BOOL havePath = sys.SHGetPathFromIDListW(items, chosen);
    sys.ILFree(items);
    // An item without a file-system path, one the code page cannot name, or one too long to take
    // the product folder leaves the edit text as it was.
    char folder[kCbPath], composed[kCbPath];
    if (!havePath || AnsiFromWide(sys, chosen, folder, sizeof folder) != Conversion::kExact ||
        !JoinPath(composed, sizeof composed, folder, kProductName))
        return;
    SetItemText(dialog, IDC_FOLDER_EDIT, composed);
}

INT_PTR CALLBACK FolderDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (ChoiceDialogMessage(dialog, msg))
        return FALSE;
    switch (msg) {
    case WM_INITDIALOG:
        NameDialog(dialog, L"Quillarix Setup: install folder");
        sys.SendDlgItemMessageA(dialog, IDC_FOLDER_EDIT, EM_LIMITTEXT, kCchPath - 1, 0);
        StartChoiceDialog(dialog, lParam);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            // Read in UTF-16 and converted here: the 8-bit call would cut a text longer than its
            // buffer in bytes (a character may take three) into a different path, and on older
            // systems would hand over neighbours of the characters the code page lacks.
            {
                WCHAR wide[kCchPath + 1];
                char typed[kCbPath];
                UINT cch = sys.GetDlgItemTextW(dialog, IDC_FOLDER_EDIT, wide, kCchPath + 1);
                Conversion converted = cch >= kCchPath
                                           ? Conversion::kTooLong
                                           : AnsiFromWide(sys, wide, typed, sizeof typed);
                if (converted != Conversion::kExact) {
                    if (converted == Conversion::kTooLong)
                        ReportError(Talk::kWindows, "Folder name too long", errcode::kFolderTooLong);
                    else
                        ReportError(Talk::kWindows, kFolderBeyondCodePageText,
                                    errcode::kFolderBeyondCodePage);
                    return TRUE;
                }
                if (FolderChoice *choice = ChoiceOf(dialog))
                    CopyText(choice->folder, kCbPath, typed);
            }
            [[fallthrough]];
        case IDCANCEL:
            sys.EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        case IDC_BROWSE:
            BrowseForFolder(dialog);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// Puts the licence text (resource 159, UTF-8, not zero-terminated) into the text
// control through a terminated UTF-16 heap copy. Without the text, or
// without memory for the copy, the control stays empty.
static void ShowLicenceText(HWND dialog)
{
    PayloadBytes bytes;
    if (!FindPayload(IDF_LICENSE, &bytes))
        return;
    int cch = static_cast<int>(bytes.cb);
    WCHAR *text = static_cast<WCHAR *>(sys.malloc((bytes.cb + 1) * sizeof(WCHAR)));
    if (!text)
        return;
    int converted = sys.MultiByteToWideChar(CP_UTF8, 0, static_cast<const char *>(bytes.data), cch,
                                            text, cch);
    text[converted > 0 ? converted : 0] = 0;
    sys.SetDlgItemTextW(dialog, IDC_LICENSE_TEXT, text);
    sys.free(text);
}

// Keeps the licence dialog within the work area of its monitor: at a high DPI on a small screen
// (192 DPI on 1024 x 768) its fixed-pitch text makes it wider than the screen. It is then made
// smaller, its text control with it (the text scrolls) and its buttons moved up, and placed inside.
static void KeepWithinWorkArea(HWND dialog)
{
    RECT window;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    HMONITOR found = sys.MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST);
    if (!sys.GetWindowRect(dialog, &window) || !found || !sys.GetMonitorInfoA(found, &monitor))
        return;
    const RECT &work = monitor.rcWork;
    LONG width = window.right - window.left, height = window.bottom - window.top;
    LONG dx = width > work.right - work.left ? width - (work.right - work.left) : 0;
    LONG dy = height > work.bottom - work.top ? height - (work.bottom - work.top) : 0;
    width -= dx;
    height -= dy;
    LONG x = window.left < work.left ? work.left : window.left;
    LONG y = window.top < work.top ? work.top : window.top;
    x = x + width > work.right ? work.right - width : x;
    y = y + height > work.bottom ? work.bottom - height : y;
    sys.SetWindowPos(dialog, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (dx == 0 && dy == 0)
        return;
    for (int id : {IDC_LICENSE_TEXT, IDOK, IDCANCEL}) {
        HWND control = sys.GetDlgItem(dialog, id);
        RECT r;
        if (!control || !sys.GetWindowRect(control, &r))
            continue;
        sys.MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
        // The text loses what the dialog lost; the buttons keep their share
        // of its width and move up with its bottom.
        if (id == IDC_LICENSE_TEXT)
            sys.SetWindowPos(control, nullptr, 0, 0, r.right - r.left - dx, r.bottom - r.top - dy,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        else
            sys.SetWindowPos(control, nullptr, r.left * width / (width + dx), r.top - dy, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

INT_PTR CALLBACK LicenceDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        NameDialog(dialog, L"Quillarix Setup: licence agreement");
        ShowLicenceText(dialog);
        KeepWithinWorkArea(dialog);
        // The text is read first, and nothing of it is selected; Enter in it (read-only, it
        // wants Enter) accepts nothing.
        sys.SetFocus(sys.GetDlgItem(dialog, IDC_LICENSE_TEXT));
        return FALSE;
    case WM_COMMAND:
        // Its only commands are its two buttons: Accept (Alt+A, and Enter on it) is
        // IDOK, Decline (Alt+D, and Esc) IDCANCEL.
        if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL)
            break;
        sys.EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// For whom: Enter is only for the person installing; every user's choice shows the shield, the
// mark of a step that asks for an administrator.
INT_PTR CALLBACK ScopeDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        NameDialog(dialog, L"Quillarix Setup: for whom");
        sys.SendDlgItemMessageA(dialog, IDC_ALL_USERS, BCM_SETSHIELD, 0, TRUE);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL &&
            LOWORD(wParam) != IDC_ALL_USERS)
            break;
        sys.EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// "A moment please...": shown while the installation runs, closed by the
// sequence. It has no buttons and takes no commands.
INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT msg, WPARAM, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        NameDialog(dialog, L"Quillarix Setup: installing");
        return TRUE;
    }
    return FALSE;
}

INT_PTR RunLocationDialog(HWND owner, FolderChoice *choice)
{
    return sys.DialogBoxParamW(ProgramModule(), MAKEINTRESOURCEW(IDD_LOCATION), owner,
                               LocationDialogProc, reinterpret_cast<LPARAM>(choice));
}

INT_PTR RunLicenceDialog(HWND owner)
{
    return sys.DialogBoxParamW(ProgramModule(), MAKEINTRESOURCEW(IDD_LICENSE), owner,
                               LicenceDialogProc, 0);
}

INT_PTR RunScopeDialog(HWND owner)
{
    return sys.DialogBoxParamW(ProgramModule(), MAKEINTRESOURCEW(IDD_SCOPE), owner,
                               ScopeDialogProc, 0);
}

HWND CreateProgressDialog(HWND owner)
{
    // The bar is the common controls' (from the system folder, as every library is loaded).
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    sys.InitCommonControlsEx(&controls);
    return sys.CreateDialogParamW(ProgramModule(), MAKEINTRESOURCEW(IDD_PROGRESS), owner,
                                  ProgressDialogProc, 0);
}
