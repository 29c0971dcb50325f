// The full-screen backdrop: a dark blue field tiled with the product name in
// a darker blue italic, and the product name and "Screenwriting Software" in
// white at the top left; in high contrast, the theme's window colours and no
// tiles. Everything is drawn when the background is erased, at the size the
// window's DPI asks for: the 96-DPI sizes below times DPI/96.
#include "ui/ui.h"

#include "resources/resource.h"
#include "base/pathtext.h"
#include "base/product.h"
#include "install/syscalls.h"
#include "ui/tiling.h"

#include <cstring>

static constexpr COLORREF kFieldColour = 0x800000;
static constexpr COLORREF kTileColour = 0x600000;
static constexpr COLORREF kTitleColour = 0xFFFFFF;

static LRESULT CALLBACK BackdropWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        return 0;
    case WM_DESTROY:
        sys.PostQuitMessage(0);
        return 0;
    case WM_ERASEBKGND:
        PaintBackdrop(reinterpret_cast<HDC>(wParam), WindowDpi(window));
        return 1;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:  // a high-contrast theme turned on or off, among others
        sys.InvalidateRect(window, nullptr, TRUE);
        break;
    case WM_DPICHANGED: {
        // The screen's scale changed: take the place the system proposes and
        // paint afresh, with fonts made for the new DPI.
        const RECT *proposed = reinterpret_cast<const RECT *>(lParam);
        sys.SetWindowPos(window, nullptr, proposed->left, proposed->top,
                         proposed->right - proposed->left, proposed->bottom - proposed->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        sys.InvalidateRect(window, nullptr, TRUE);
        return 0;
    }
    }
    return sys.DefWindowProcA(window, msg, wParam, lParam);
}

HWND CreateBackdropWindow(HINSTANCE instance)
{
    WNDCLASSEXA wc;
    std::memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = BackdropWindowProc;
    wc.hInstance = instance;
    wc.hIcon = sys.LoadIconA(instance, MAKEINTRESOURCEA(IDI_QUILLARIX));
    wc.hCursor = sys.LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kProductName;
    wc.hIconSm = sys.LoadIconA(instance, MAKEINTRESOURCEA(IDI_QUILLARIX));
    if (!sys.RegisterClassExA(&wc))
        return nullptr;
    // Named, though no title bar shows it: the taskbar, Alt+Tab and screen readers say it.
    HWND window = sys.CreateWindowExA(0, kProductName, QLX_PRODUCT " Setup",
                                      WS_POPUP | WS_DLGFRAME, 0, 0,
                                      sys.GetSystemMetrics(SM_CXSCREEN),
                                      sys.GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                      instance, nullptr);
    if (!window)
        return nullptr;
    sys.ShowWindow(window, SW_SHOWMAXIMIZED);
    sys.UpdateWindow(window);
    return window;
}

static HFONT CreateFaceFont(const char *face, LONG height, bool italic)
{
    LOGFONTA font;
    std::memset(&font, 0, sizeof font);
    font.lfHeight = height;
    font.lfItalic = italic ? TRUE : FALSE;
    CopyText(font.lfFaceName, sizeof font.lfFaceName, face);
    return sys.CreateFontIndirectA(&font);
}

static void SelectFont(HDC dc, HFONT font, HGDIOBJ *original)
{
    HGDIOBJ previous = sys.SelectObject(dc, font);
    if (!*original)
        *original = previous;
}

// Whether a high-contrast theme is on: the person needs the theme's colours, and no pattern
// behind text.
static bool HighContrast()
{
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof contrast;
    return sys.SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

void PaintBackdrop(HDC dc, UINT dpi)
{
    const bool contrast = HighContrast();
    auto scaled = [dpi](int pixels) { return ScaleForDpi(pixels, dpi); };
    int width = sys.GetSystemMetrics(SM_CXSCREEN);
    int height = sys.GetSystemMetrics(SM_CYSCREEN);
    HGDIOBJ originalBrush = nullptr;
    HGDIOBJ originalFont = nullptr;

    HBRUSH brush = sys.CreateSolidBrush(contrast ? sys.GetSysColor(COLOR_WINDOW) : kFieldColour);
    if (brush)
        originalBrush = sys.SelectObject(dc, brush);
    // The field's outline, one pixel at 96 DPI in the dc's own (black) pen,
    // is as much wider as the DPI asks, drawn inside the field.
    HPEN pen = scaled(1) > 1 ? sys.CreatePen(PS_INSIDEFRAME, scaled(1), RGB(0, 0, 0)) : nullptr;
    HGDIOBJ originalPen = pen ? sys.SelectObject(dc, pen) : nullptr;
    sys.Rectangle(dc, 0, 0, width, height);
    if (pen) {
        sys.SelectObject(dc, originalPen);
        sys.DeleteObject(pen);
    }
    sys.SetBkMode(dc, TRANSPARENT);

    HFONT tileFont = contrast ? nullptr : CreateFaceFont("Symbol", scaled(-18), true);
    if (tileFont) {
        sys.SetTextColor(dc, kTileColour);
        SelectFont(dc, tileFont, &originalFont);
        const int cch = static_cast<int>(sizeof kProductNameUpper - 1);
        SIZE extent = {0, 0};
        if (sys.GetTextExtentPointA(dc, kProductNameUpper, cch, &extent)) {
            LayOutTiles(width, height, extent.cx, [&](int x, int y) {
                sys.TextOutA(dc, x, y, kProductNameUpper, cch);
            }, TileGridForDpi(dpi));
        }
    }

    sys.SetTextColor(dc, contrast ? sys.GetSysColor(COLOR_WINDOWTEXT) : kTitleColour);
    // The title's character cells end where the subtitle's begin.
    const int left = scaled(12), line = scaled(60);
    HFONT titleFont = CreateFaceFont("Times New Roman", scaled(-48), false);
    if (titleFont)
        SelectFont(dc, titleFont, &originalFont);
    sys.SetTextAlign(dc, TA_LEFT | TA_BOTTOM);
    sys.TextOutA(dc, left, line, kProductName, static_cast<int>(sizeof kProductName - 1));

    HFONT subtitleFont = CreateFaceFont("Times New Roman", scaled(-36), false);
    if (subtitleFont)
        SelectFont(dc, subtitleFont, &originalFont);
    sys.SetTextAlign(dc, TA_LEFT | TA_TOP);
    static const char kSubtitle[] = "Screenwriting Software";
    sys.TextOutA(dc, left, line, kSubtitle, static_cast<int>(sizeof kSubtitle - 1));

    if (originalBrush)
        sys.SelectObject(dc, originalBrush);
    if (originalFont)
        sys.SelectObject(dc, originalFont);
    if (brush)
        sys.DeleteObject(brush);
    if (tileFont)
        sys.DeleteObject(tileFont);
    if (titleFont)
        sys.DeleteObject(titleFont);
    if (subtitleFont)
        sys.DeleteObject(subtitleFont);
}
