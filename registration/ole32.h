// OLE32 loaded by name (it is never imported) with the three entry points
// that the shell link object needs, and that object's published ids. The
// setup and the uninstaller both use it, each through its own call table.
#pragma once
#include "base/win.h"

using CoInitializeFn = HRESULT(WINAPI *)(LPVOID);
using CoUninitializeFn = void(WINAPI *)();
using CoCreateInstanceFn = HRESULT(WINAPI *)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID *);

inline constexpr CLSID kClsidShellLink = {
    0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidShellLinkA = {
    0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidPersistFile = {
    0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct Ole32 {
    HMODULE module;
    CoInitializeFn coInitialize;
    CoUninitializeFn coUninitialize;
    CoCreateInstanceFn coCreateInstance;
};

template <typename Fn> Fn LookUp(FARPROC found)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(found));
}

// Loads "OLE32.DLL" and looks up CoInitialize, CoUninitialize and
// CoCreateInstance through calls (a call table). False when the library or
// any entry point is missing; the library is then already released.
// Otherwise the caller releases ole->module with FreeLibrary.
template <typename Calls> bool LoadOle32(const Calls &calls, Ole32 *ole)
{
    ole->module = calls.LoadLibraryA("OLE32.DLL");
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
