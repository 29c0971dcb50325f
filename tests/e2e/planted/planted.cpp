// What every planted library does: find the system's library of its name
// by full path, fill the pointers of the exports it passes on, and note
// callers from the program's own image.
#include "planted.h"

FARPROC SystemFunction(const char *name)
{
    static HMODULE system;
    if (!system) {
        char path[MAX_PATH];
        UINT cch = GetSystemDirectoryA(path, MAX_PATH - 16);
        if (cch == 0 || cch >= MAX_PATH - 16)
            return nullptr;
        lstrcpynA(path + cch, "\\" QLX_PLANTED_AS, MAX_PATH - cch);
        system = LoadLibraryA(path);
    }
    return system ? GetProcAddress(system, name) : nullptr;
}

void NoteCaller(void *returnAddress, const char *function)
{
    auto *image = reinterpret_cast<const BYTE *>(GetModuleHandleA(nullptr));
    auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(image);
    auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(image + dos->e_lfanew);
    auto *caller = static_cast<const BYTE *>(returnAddress);
    if (caller < image || caller >= image + nt->OptionalHeader.SizeOfImage)
        return;
    char line[2 * MAX_PATH] = "";
    DWORD cch = GetModuleFileNameA(nullptr, line, MAX_PATH);
    if (cch >= MAX_PATH)
        cch = 0;
    lstrcpynA(line + cch, " called planted " QLX_PLANTED_AS ": ", MAX_PATH);
    lstrcpynA(line + lstrlenA(line), function, MAX_PATH - 64);
    HANDLE file = CreateFileA("C:\\planted-library-ran.txt", FILE_APPEND_DATA, FILE_SHARE_READ,
                              nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(lstrlenA(line)), &written, nullptr);
    WriteFile(file, "\r\n", 2, &written, nullptr);
    CloseHandle(file);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        for (unsigned i = 0; i < kPassedExportCount; ++i)
            *kPassedExports[i].target = reinterpret_cast<void *>(SystemFunction(kPassedExports[i].name));
    return TRUE;
}
