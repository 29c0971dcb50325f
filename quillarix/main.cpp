// Quillarix: the installed application as the setup delivers it. It opens a window titled with the
// product name and the folder it was started in, and shows that folder's Sample.scp. It closes when
// asked to (WM_CLOSE, or the end of the session or of the application through WM_ENDSESSION).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "quillarix/app.h"

static HWND s_text;

static LRESULT CALLBACK MainWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SIZE:
        if (s_text)
            MoveWindow(s_text, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    // Asked to close by an installer (ENDSESSION_CLOSEAPP, through the
    // Restart Manager or directly) or at the end of the session: it holds
    // nothing unsaved, so it agrees, and closes once the end is confirmed.
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

// Reads Sample.scp from the current folder into a zero-terminated heap
// text, or returns null. The caller frees it with HeapFree.
static char *ReadSample()
{
    HANDLE file = CreateFileA("Sample.scp", GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    char *text = nullptr;
    DWORD cb = GetFileSize(file, nullptr);
    if (cb != INVALID_FILE_SIZE && cb < 16 * 1024 * 1024) {
        // Room for LF -> CR LF conversion and the terminating zero.
        text = static_cast<char *>(HeapAlloc(GetProcessHeap(), 0, 2 * cb + 1));
        DWORD cbRead = 0;
        if (text && ReadFile(file, text + cb, cb, &cbRead, nullptr)) {
            DWORD out = 0;
            for (DWORD i = 0; i < cbRead; ++i) {
                char c = text[cb + i];
                if (c == '\n' && (out == 0 || text[out - 1] != '\r'))
                    text[out++] = '\r';
                text[out++] = c;
            }
            text[out] = '\0';
        } else if (text) {
            HeapFree(GetProcessHeap(), 0, text);
            text = nullptr;
        }
    }
    CloseHandle(file);
    return text;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "QuillarixMain";
    if (!RegisterClassExA(&wc))
        return 1;

    char folder[MAX_PATH] = "";
    DWORD cch = GetCurrentDirectoryA(sizeof folder, folder);
    if (cch == 0 || cch >= sizeof folder)
        folder[0] = '\0';
    char title[MAX_PATH + 32] = "Quillarix - ";
    lstrcpynA(title + 12, folder, sizeof title - 12);

    HWND window = CreateWindowExA(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 640, 480, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    s_text = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                             WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                                 ES_AUTOVSCROLL,
                             0, 0, 0, 0, window, nullptr, instance, nullptr);
    char *sample = ReadSample();
    SetWindowTextA(s_text, sample ? sample : "Sample.scp is not in this folder.");
    if (sample)
        HeapFree(GetProcessHeap(), 0, sample);
    ShowWindow(window, show);
    UpdateWindow(window);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
