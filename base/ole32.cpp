// OLE32, loaded from the system folder by its full path.
#include "base/ole32.h"

#include "base/libraries.h"

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
    if (ole->coInitialize && ole->coUninitialize && ole->coCreateInstance)
        return true;
    calls.FreeLibrary(ole->module);
    return false;
}
