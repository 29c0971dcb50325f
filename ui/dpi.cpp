// DPI look-ups. The per-monitor calls are looked up in USER32, since older systems lack them.
#include "ui/ui.h"

#include "base/libraries.h"
#include "install/syscalls.h"

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
    auto getDpiForWindow = ImportedEntry<UINT(WINAPI *)(HWND)>(sys, "USER32.DLL", "GetDpiForWindow");
    UINT dpi = getDpiForWindow ? getDpiForWindow(window) : 0;
    return dpi ? dpi : SystemDpi();
}

int IconSizeForDpi(UINT dpi)
{
    auto metricsForDpi = ImportedEntry<int(WINAPI *)(int, UINT)>(sys, "USER32.DLL",
                                                              "GetSystemMetricsForDpi");
    int size = metricsForDpi ? metricsForDpi(SM_CXICON, dpi) : 0;
    // Where the system lacks the call, the DPI is the system's, whose
    // metrics GetSystemMetrics gives.
    return size > 0 ? size : sys.GetSystemMetrics(SM_CXICON);
}
