// DPI look-ups. The per-monitor calls are looked up in USER32, which the
// program imports, since older systems lack them; nothing is loaded.
#include "ui/dpi.h"

#include "base/libraries.h"
#include "base/syscalls.h"

template <typename Fn> static Fn UserEntry(const char *name)
{
    HMODULE user = sys.GetModuleHandleA("USER32.DLL");
    return user ? LookUp<Fn>(sys.GetProcAddress(user, name)) : nullptr;
}

static UINT SystemDpi()
{
    HDC screen = sys.GetDC(nullptr);
    if (!screen)
        return USER_DEFAULT_SCREEN_DPI;
    int dpi = sys.GetDeviceCaps(screen, LOGPIXELSY);
    sys.ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

UINT WindowDpi(HWND window)
{
    auto getDpiForWindow = UserEntry<UINT(WINAPI *)(HWND)>("GetDpiForWindow");
    UINT dpi = getDpiForWindow ? getDpiForWindow(window) : 0;
    return dpi ? dpi : SystemDpi();
}

int IconSizeForDpi(UINT dpi)
{
    auto metricsForDpi = UserEntry<int(WINAPI *)(int, UINT)>("GetSystemMetricsForDpi");
    int size = metricsForDpi ? metricsForDpi(SM_CXICON, dpi) : 0;
    // Where the system lacks the call, the DPI is the system's, whose
    // metrics GetSystemMetrics gives.
    return size > 0 ? size : sys.GetSystemMetrics(SM_CXICON);
}
