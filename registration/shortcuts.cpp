// Start-menu and desktop shortcuts through the shell link object. OLE32 is
// not imported: it is loaded by name here and released before returning.
#include "registration/registration.h"

#include "base/pathtext.h"
#include "base/product.h"
#include "base/report.h"
#include "base/state.h"
#include "base/syscalls.h"
#include "registration/shortcut_paths.h"

HRESULT CreateOneShortcut(CoCreateInstanceFn coCreateInstance, const char *installFolder,
                          const char *mainExePath, const char *shortcutPath,
                          const char *description)
{
    IShellLinkA *link = nullptr;
    HRESULT hr = coCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkA,
                                  reinterpret_cast<void **>(&link));
    if (FAILED(hr))
        return hr;
    link->SetPath(mainExePath);
    link->SetIconLocation(mainExePath, 0);
    link->SetDescription(description);
    char directory[kCbPath];
    DirectoryPath(directory, sizeof directory, installFolder);
    link->SetWorkingDirectory(directory);
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
    // A folder that cannot be found only means a missing shortcut. A
    // silent run is a deployment: its shortcuts are every user's.
    ForEachShortcutPath(
        sys, g_setup.backdrop, g_setup.silent,
        [&](const char *path) {
            HRESULT hr = CreateOneShortcut(ole.coCreateInstance, g_setup.installFolder,
                                           g_setup.mainExePath, path, kLinkDescription);
            if (SUCCEEDED(hr))
                LogLine({"Shortcut ", path});
            else
                LogLine({"Shortcut ", path, " not made: error ",
                         DecimalText(static_cast<unsigned long>(hr)).text});
        },
        [](int) {});
    ole.coUninitialize();
    sys.FreeLibrary(ole.module);
}
