// Start-menu and desktop shortcuts through the shell link object. OLE32 is
// not imported: it is loaded by name here and released before returning.
#include "registration/registration.h"

#include "registration/ole32.h"
#include "setup/pathtext.h"
#include "setup/product.h"
#include "setup/state.h"
#include "setup/syscalls.h"

#include <cstring>

// Filled by CreateShortcuts while OLE32 is loaded.
static CoCreateInstanceFn s_coCreateInstance;

HRESULT CreateOneShortcut(const char *installFolder, const char *mainExePath,
                          const char *shortcutPath, const char *description)
{
    IShellLinkA *link = nullptr;
    HRESULT hr = s_coCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                    kIidShellLinkA, reinterpret_cast<void **>(&link));
    if (FAILED(hr))
        return hr;
    link->SetPath(mainExePath);
    link->SetIconLocation(mainExePath, 0);
    link->SetDescription(description);
    link->SetWorkingDirectory(installFolder);
    IPersistFile *file = nullptr;
    hr = link->QueryInterface(kIidPersistFile, reinterpret_cast<void **>(&file));
    if (FAILED(hr)) {
        link->Release();
        return hr;
    }
    WCHAR widePath[kCbPath];
    if (sys.MultiByteToWideChar(CP_ACP, 0, shortcutPath, -1, widePath, kCbPath) == 0)
        hr = E_FAIL;  // never save under a path that was not converted
    else
        hr = file->Save(widePath, TRUE);
    file->Release();
    link->Release();
    return hr;
}

void CreateShortcuts()
{
    Ole32 ole;
    if (!LoadOle32(sys, &ole))
        return;
    // Only S_OK: S_FALSE means COM was already initialised on this thread.
    if (ole.coInitialize(nullptr) != S_OK) {
        sys.FreeLibrary(ole.module);
        return;
    }
    s_coCreateInstance = ole.coCreateInstance;

    char linkName[kCbPath];
    CopyText(linkName, sizeof linkName, kProductFolder);
    AppendText(linkName, sizeof linkName, ".lnk");

    static const int kFolders[] = {CSIDL_STARTMENU, CSIDL_DESKTOPDIRECTORY};
    for (int csidl : kFolders) {
        LPITEMIDLIST items = nullptr;
        if (sys.SHGetSpecialFolderLocation(g_setup.backdrop, csidl, &items) != S_OK)
            continue;
        char path[kCbPath];
        BOOL havePath = sys.SHGetPathFromIDListA(items, path);
        sys.ILFree(items);
        // A folder too long to take "\Quillarix.lnk" gets no shortcut.
        if (!havePath || !AppendText(path, sizeof path, linkName))
            continue;
        CreateOneShortcut(g_setup.installFolder, g_setup.mainExePath, path,
                          "Shortcut to Quillarix");
    }

    ole.coUninitialize();
    s_coCreateInstance = nullptr;
    sys.FreeLibrary(ole.module);
}
