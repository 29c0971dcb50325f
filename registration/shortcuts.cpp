// Start-menu and desktop shortcuts through the shell link object. OLE32 is not imported: it is
// loaded here from the system folder by its full path (LoadOle32) and released before returning.
#include "registration/registration.h"

#include "base/pathtext.h"
#include "base/product.h"
#include "install/report.h"
#include "install/plan.h"
#include "base/shortcut_paths.h"
#include "install/syscalls.h"
#include "base/widetext.h"

// Text of the program's code page as UTF-16 into wide (kCbPath units):
// false where it does not convert whole.
static bool Wide(const char *text, WCHAR *wide)
{
    return sys.MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, wide, kCbPath) != 0;
}

HRESULT CreateOneShortcut(CoCreateInstanceFn coCreateInstance, const char *installFolder,
                          const char *mainExePath, const WCHAR *shortcutPath,
                          const char *description)
{
    // Every text in UTF-16: the link keeps its target as Unicode, whatever
    // the code page of the program that reads it.
    WCHAR target[kCbPath], directory[kCbPath], text[kCbPath];
    char folder[kCbPath];
    if (!DirectoryPath(folder, sizeof folder, installFolder) || !Wide(folder, directory) ||
        !Wide(mainExePath, target) || !Wide(description, text))
        return E_INVALIDARG;  // never a link to, or under, a path that was not converted
    IShellLinkW *link = nullptr;
    HRESULT hr = coCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkW,
                                  reinterpret_cast<void **>(&link));
    if (FAILED(hr))
        return hr;
    IPersistFile *file = nullptr;
    // A link that cannot be made whole is not saved: no link without its target, folder or icon.
    if (SUCCEEDED(hr = link->SetPath(target)) &&
        SUCCEEDED(hr = link->SetWorkingDirectory(directory)) &&
        SUCCEEDED(hr = link->SetIconLocation(target, 0)) &&
        SUCCEEDED(hr = link->SetDescription(text)) &&
        SUCCEEDED(hr = link->QueryInterface(kIidPersistFile, reinterpret_cast<void **>(&file)))) {
        hr = file->Save(shortcutPath, TRUE);
        file->Release();
    }
    link->Release();
    return hr;
}

void CreateShortcuts(const InstallPlan &plan)
{
    Ole32 ole;
    if (!LoadOle32(sys, &ole))
        return;
    // Only on S_OK: S_FALSE means COM was already initialised on this
    // thread, and makes none; but by COM's rule it too is balanced.
    HRESULT initialised = ole.coInitialize(nullptr);
    if (initialised != S_OK) {
        if (SUCCEEDED(initialised))
            ole.coUninitialize();
        sys.FreeLibrary(ole.module);
        return;
    }
    // A folder that cannot be found only means a missing shortcut; the log says which.
    ForEachShortcutPath(
        sys, plan.backdrop, ShortcutsForEveryUser(plan.mode),
        [&](const WCHAR *path) {
            HRESULT hr = CreateOneShortcut(ole.coCreateInstance, plan.installFolder,
                                           plan.mainExePath, path, kLinkDescription);
            char shown[kCbPath];
            NarrowForDisplay(sys, path, shown, sizeof shown);
            if (SUCCEEDED(hr))
                LogLine({"Shortcut ", shown});
            else
                LogLine({"Shortcut ", shown, " not made: error ",
                         DecimalText(static_cast<unsigned long>(hr)).text});
        },
        [](int csidl) {
            LogLine({"No shortcut made: the shell names no folder for ",
                     csidl == CSIDL_STARTMENU || csidl == CSIDL_COMMON_STARTMENU ? "the Start menu"
                                                                                 : "the desktop"});
        });
    ole.coUninitialize();
    sys.FreeLibrary(ole.module);
}
