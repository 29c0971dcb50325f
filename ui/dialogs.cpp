// The location, folder, licence and progress dialogs. Their templates live
// in the resource script; the procedures below give them their behaviour.
#include "ui/ui.h"

#include "base/errors.h"
#include "base/pathtext.h"
#include "base/report.h"
#include "base/product.h"
#include "base/state.h"
#include "base/syscalls.h"
#include "base/widetext.h"
#include "payload/catalogue.h"
#include "payload/store.h"
#include "resources/resource.h"
#include "ui/dpi.h"

#include <cstring>

// The icon in the location and folder dialogs. The template's icon control
// loads the group's first image, 32 pixels; on a scaled screen the dialog
// shows instead the image of the size the DPI asks for, loaded here. Each
// dialog owns the icon it shows, kept as a property of the dialog, and
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
        g_setup.instance, MAKEINTRESOURCEA(IDI_QUILLARIX), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
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

static INT_PTR RunFolderDialog(HWND owner)
{
    return sys.DialogBoxParamA(g_setup.instance, MAKEINTRESOURCEA(IDD_FOLDER), owner,
                               FolderDialogProc, 0);
}

INT_PTR CALLBACK LocationDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG: {
        sys.SetDlgItemTextA(dialog, IDC_FOLDER_EDIT, g_setup.installFolder);
        HWND change = sys.GetDlgItem(dialog, IDC_CHANGE);
        if (change)
            sys.EnableWindow(change, !g_setup.existingInstall);
        ShowIconForDpi(dialog);
        return TRUE;
    }
    case WM_DPICHANGED:  // the system scales the dialog itself
        ShowIconForDpi(dialog);
        return FALSE;
    case WM_DESTROY:
        ReleaseIcon(dialog);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            sys.EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        case IDC_CHANGE:
            if (RunFolderDialog(dialog) == IDOK)
                sys.SetDlgItemTextA(dialog, IDC_FOLDER_EDIT, g_setup.installFolder);
            return FALSE;
        }
        break;
    }
    return FALSE;
}

// Browse...: the shell's folder browser, then the chosen folder joined with
// "Quillarix" into the edit control. The install folder is not touched.
static void BrowseForFolder(HWND dialog)
{
    BROWSEINFOA info;
    std::memset(&info, 0, sizeof info);
    info.hwndOwner = dialog;
    info.pszDisplayName = g_setup.browsePath;
    info.lpszTitle = "Chose the folder where you wish to install Quillarix";
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST items = sys.SHBrowseForFolderA(&info);
    if (!items)
        return;
    BOOL havePath = sys.SHGetPathFromIDListA(items, g_setup.browsePath);
    sys.ILFree(items);
    // An item without a file-system path, or one too long to take the
    // product folder, leaves the edit text as it was.
    char composed[kCbPath];
    if (!havePath || !JoinPath(composed, sizeof composed, g_setup.browsePath, kProductName))
        return;
    sys.SetDlgItemTextA(dialog, IDC_FOLDER_EDIT, composed);
}

INT_PTR CALLBACK FolderDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        sys.SendDlgItemMessageA(dialog, IDC_FOLDER_EDIT, EM_LIMITTEXT, kCbPath - 2, 0);
        sys.SetDlgItemTextA(dialog, IDC_FOLDER_EDIT, g_setup.installFolder);
        ShowIconForDpi(dialog);
        return TRUE;
    case WM_DPICHANGED:
        ShowIconForDpi(dialog);
        return FALSE;
    case WM_DESTROY:
        ReleaseIcon(dialog);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            // Read in UTF-16 and converted here: the 8-bit call would cut a
            // text longer than its buffer in bytes (a character may take
            // three) into a different path, and on older systems would
            // hand over neighbours of the characters the code page lacks.
            {
                WCHAR wide[kCbPath + 1];
                char typed[kCbPath];
                UINT cch = sys.GetDlgItemTextW(dialog, IDC_FOLDER_EDIT, wide, kCbPath + 1);
                if (cch >= kCbPath ||
                    AnsiFromWide(sys, wide, typed, sizeof typed) == Conversion::kTooLong) {
                    ReportError("Folder name too long", errcode::kFolderTooLong);
                    return TRUE;
                }
                CopyText(g_setup.installFolder, kCbPath, typed);
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

// Puts the licence text (resource 159, not zero-terminated) into the text
// control through a terminated heap copy. Without the text, or without
// memory for the copy, the control stays empty.
static void ShowLicenceText(HWND dialog)
{
    PayloadBytes bytes;
    if (!FindPayload(IDF_LICENSE, &bytes))
        return;
    char *text = static_cast<char *>(sys.malloc(bytes.cb + 1));
    if (!text)
        return;
    std::memcpy(text, bytes.data, bytes.cb);
    text[bytes.cb] = '\0';
    sys.SetDlgItemTextA(dialog, IDC_LICENSE_TEXT, text);
    sys.free(text);
}

INT_PTR CALLBACK LicenceDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        ShowLicenceText(dialog);
        return TRUE;
    case WM_COMMAND:
        // Its only commands are its two buttons: Accept (and Enter) is
        // IDOK, Decline (and Esc) IDCANCEL.
        if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL)
            break;
        sys.EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// "A moment please...": shown while the installation runs, closed by the
// sequence. It has no buttons and takes no commands.
INT_PTR CALLBACK ProgressDialogProc(HWND, UINT msg, WPARAM, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        return TRUE;
    }
    return FALSE;
}

INT_PTR RunLocationDialog(HWND owner)
{
    return sys.DialogBoxParamA(g_setup.instance, MAKEINTRESOURCEA(IDD_LOCATION), owner,
                               LocationDialogProc, 0);
}

INT_PTR RunLicenceDialog(HWND owner)
{
    return sys.DialogBoxParamA(g_setup.instance, MAKEINTRESOURCEA(IDD_LICENSE), owner,
                               LicenceDialogProc, 0);
}

HWND CreateProgressDialog(HWND owner)
{
    return sys.CreateDialogParamA(g_setup.instance, MAKEINTRESOURCEA(IDD_PROGRESS), owner,
                                  ProgressDialogProc, 0);
}
