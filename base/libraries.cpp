// Restricting the library search to the system folder, and loading a library
// (OLE32 among them) from there by its full path.
#include "base/libraries.h"

#include "base/pathtext.h"

#include <cstring>

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
    auto setDirectory = LookUp<SetDllDirectoryFn>(calls.GetProcAddress(kernel, "SetDllDirectoryA"));
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

HMODULE LateLibrary(const SharedCalls &calls, LateLibraries *late, const char *name)
{
    for (int i = 0; i < late->count; ++i)
        if (std::strcmp(late->names[i], name) == 0)
            return late->modules[i];
    HMODULE module = LoadSystemLibrary(calls, name);
    if (late->count < 8) {
        late->names[late->count] = name;
        late->modules[late->count++] = module;
    }
    return module;
}

bool LoadOle32(const SharedCalls &calls, Ole32 *ole)
{
    ole->module = LoadSystemLibrary(calls, "ole32.dll");
    if (!ole->module)
        return false;
    ole->coInitialize = LookUp<CoInitializeFn>(calls.GetProcAddress(ole->module, "CoInitialize"));
    ole->coUninitialize =
        LookUp<CoUninitializeFn>(calls.GetProcAddress(ole->module, "CoUninitialize"));
    ole->coCreateInstance =
        LookUp<CoCreateInstanceFn>(calls.GetProcAddress(ole->module, "CoCreateInstance"));
    ole->createStreamOnHGlobal =
        LookUp<CreateStreamOnHGlobalFn>(calls.GetProcAddress(ole->module, "CreateStreamOnHGlobal"));
    if (ole->coInitialize && ole->coUninitialize && ole->coCreateInstance &&
        ole->createStreamOnHGlobal)
        return true;
    calls.FreeLibrary(ole->module);
    return false;
}
