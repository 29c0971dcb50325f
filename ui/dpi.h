// The scale of the screen a window is on. The programs are per-monitor DPI
// aware: what they paint themselves, they size for the DPI of the monitor
// their window is on, and the system no longer stretches their bitmaps.
#pragma once
#include "base/win.h"

// The DPI of the monitor window is on (96 is 100%): GetDpiForWindow where the system has it
// (Windows 10 1607 on), else the system DPI, which older systems give every monitor.
UINT WindowDpi(HWND window);

// The edge in pixels of a standard (SM_CXICON) icon at dpi.
int IconSizeForDpi(UINT dpi);
