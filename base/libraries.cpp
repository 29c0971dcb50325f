// Restricting the library search to the system folder, and loading a library
// from there by its full path.
#include "base/libraries.h"

#include "base/pathtext.h"

void RestrictLibrarySearch(const SharedCalls &calls)
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI *)(DWORD);
    using SetDllDirectoryFn = BOOL(WINAPI *)(LPCSTR);
    HMODULE kernel = calls.GetModuleHandleA("KERNEL32.DLL");
    if (!kernel)
        return;
    auto setDefault = LookUp<SetDefaultDllDirectoriesFn>(
        calls.GetProcAddress(kernel, "SetDefaultDllDirectories"));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    auto setDirectory =
        LookUp<SetDllDirectoryFn>(calls.GetProcAddress(kernel, "SetDllDirectoryA"));
    if (setDirectory)
        setDirectory("");
}

HMODULE LoadSystemLibrary(const SharedCalls &calls, const char *name)
{
    char path[kCbPath];
    UINT cch = calls.GetSystemDirectoryA(path, sizeof path);
    if (cch == 0 || cch >= sizeof path || !JoinPath(path, sizeof path, path, name))
        return nullptr;
    return calls.LoadLibraryA(path);
}
