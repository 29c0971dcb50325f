// OLE32 loaded at run time (it is never imported) from the system folder,
// with the three entry points that the shell link object needs, and that
// object's published ids; and the types of OLEAUT32's string calls, which
// the shell's automation objects take. Each program loads it through its
// own call table.
#pragma once
#include "base/sharedcalls.h"

using CoInitializeFn = HRESULT(WINAPI *)(LPVOID);
using CoUninitializeFn = void(WINAPI *)();
using CoCreateInstanceFn = HRESULT(WINAPI *)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID *);
using SysAllocStringFn = BSTR(WINAPI *)(const OLECHAR *);
using SysFreeStringFn = void(WINAPI *)(BSTR);

inline constexpr CLSID kClsidShellLink = {
    0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidShellLinkW = {
    0x000214F9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidPersistFile = {
    0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct Ole32 {
    HMODULE module;
    CoInitializeFn coInitialize;
    CoUninitializeFn coUninitialize;
    CoCreateInstanceFn coCreateInstance;
};

// Loads ole32.dll by its full path in the system folder, never by its bare
// name, and looks up CoInitialize, CoUninitialize and CoCreateInstance
// through calls (a call table). False when the library or any entry point
// is missing; the library is then already released. Otherwise the caller
// releases ole->module with FreeLibrary.
bool LoadOle32(const SharedCalls &calls, Ole32 *ole);
