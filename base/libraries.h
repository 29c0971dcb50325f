// Loading libraries safely. Windows looks for a library that is not one of its known system
// libraries in the program's own folder first, and a setup runs with administrator rights from a
// Downloads folder that anyone's browser can drop a file into. So the programs import only known
// system libraries, restrict the search to the system folder before anything can load another one,
// and load the rest, OLE32 among them, by their full path in that folder.
#pragma once
#include "base/sharedcalls.h"

// A function found by GetProcAddress, as its own type.
template <typename Fn> Fn LookUp(FARPROC found)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(found));
}

// The entry point name of module, a system library the program imports (so
// it is loaded already, and nothing is loaded here), as its own type; null
// where this system's copy of the library lacks it.
template <typename Fn>
Fn ImportedEntry(const SharedCalls &calls, const char *module, const char *name)
{
    HMODULE loaded = calls.GetModuleHandleA(module);
    return loaded ? LookUp<Fn>(calls.GetProcAddress(loaded, name)) : nullptr;
}

// Makes every later library load by name search the system folder only (SetDefaultDllDirectories,
// looked up because older systems lack it); where only SetDllDirectoryA exists, at least takes the
// current folder out of the search. The first thing each program does.
void RestrictLibrarySearch(const SharedCalls &calls);

// Loads the library name from the system folder by its full path. Null
// when the folder cannot be told, the path does not fit, or loading fails.
HMODULE LoadSystemLibrary(const SharedCalls &calls, const char *name);

// The libraries a call table's LATE entries come from, each loaded once (LoadSystemLibrary) while
// the table is bound, and kept for the process.
struct LateLibraries {
    const char *names[8];
    HMODULE modules[8];
    int count;
};
HMODULE LateLibrary(const SharedCalls &calls, LateLibraries *late, const char *name);

// The entry point name of module (null: none) as its own type, or its failing stand-in
// (base/calltable.h) where the module or the entry point is missing.
template <typename Fn> Fn LateEntry(const SharedCalls &calls, HMODULE module, const char *name)
{
    FARPROC found = module ? calls.GetProcAddress(module, name) : nullptr;
    return found ? LookUp<Fn>(found) : &Unbound<Fn>::Call;
}

// The OLE32 and OLEAUT32 calls the programs use, and the shell link object's published ids.
using CoInitializeFn = HRESULT(WINAPI *)(LPVOID);
using CoUninitializeFn = void(WINAPI *)();
using CoCreateInstanceFn = HRESULT(WINAPI *)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID *);
using CreateStreamOnHGlobalFn = HRESULT(WINAPI *)(HGLOBAL, BOOL, LPSTREAM *);
using SysAllocStringFn = BSTR(WINAPI *)(const OLECHAR *);
using SysFreeStringFn = void(WINAPI *)(BSTR);

inline constexpr CLSID kClsidShellLink = {
    0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidShellLinkW = {
    0x000214F9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidPersistFile = {
    0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidPersistStream = {
    0x00000109, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct Ole32 {
    HMODULE module;
    CoInitializeFn coInitialize;
    CoUninitializeFn coUninitialize;
    CoCreateInstanceFn coCreateInstance;
    CreateStreamOnHGlobalFn createStreamOnHGlobal;
};

// Loads ole32.dll by its full path in the system folder and looks up CoInitialize, CoUninitialize,
// CoCreateInstance and CreateStreamOnHGlobal. False, with the library released, when it or an entry point is missing;
// otherwise the caller releases ole->module with FreeLibrary.
bool LoadOle32(const SharedCalls &calls, Ole32 *ole);
