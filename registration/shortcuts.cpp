// Start-menu and desktop shortcuts through the shell link object. OLE32 is
// not imported: it is loaded by name here and released before returning.
#include "registration/registration.h"

#include "setup/pathtext.h"
#include "setup/product.h"
#include "setup/state.h"
#include "setup/syscalls.h"

#include <cstring>

using CoInitializeFn = HRESULT(WINAPI *)(LPVOID);
using CoUninitializeFn = void(WINAPI *)();
using CoCreateInstanceFn = HRESULT(WINAPI *)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID *);

// Filled by CreateShortcuts while OLE32 is loaded.
static CoCreateInstanceFn s_coCreateInstance;

static const CLSID kClsidShellLink = {
    0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const IID kIidShellLinkA = {
    0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const IID kIidPersistFile = {
    0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

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
    HMODULE ole32 = sys.LoadLibraryA("OLE32.DLL");
    if (!ole32)
        return;
    auto coInitialize = reinterpret_cast<CoInitializeFn>(
        reinterpret_cast<void (*)()>(sys.GetProcAddress(ole32, "CoInitialize")));
    auto coUninitialize = reinterpret_cast<CoUninitializeFn>(
        reinterpret_cast<void (*)()>(sys.GetProcAddress(ole32, "CoUninitialize")));
    s_coCreateInstance = reinterpret_cast<CoCreateInstanceFn>(
        reinterpret_cast<void (*)()>(sys.GetProcAddress(ole32, "CoCreateInstance")));
    // Only S_OK: S_FALSE means COM was already initialised on this thread.
    if (!coInitialize || !coUninitialize || !s_coCreateInstance || coInitialize(nullptr) != S_OK) {
        s_coCreateInstance = nullptr;
        sys.FreeLibrary(ole32);
        return;
    }

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

    coUninitialize();
    s_coCreateInstance = nullptr;
    sys.FreeLibrary(ole32);
}
