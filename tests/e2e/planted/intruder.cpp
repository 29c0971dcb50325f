// What a user's program puts in place of a file the elevated setup or
// uninstaller closed in a folder that users write: were it ever started, it
// leaves C:\intruder-ran.txt with the command line it was given.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    HANDLE file = CreateFileA("C:\\intruder-ran.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        const char *line = GetCommandLineA();
        DWORD written;
        WriteFile(file, line, lstrlenA(line), &written, nullptr);
        CloseHandle(file);
    }
    return 0;
}
