// The end-to-end driver's screen capture: the whole screen as pixels, saved
// as pictures, and what the backdrop and the scaled dialogs must show.
#include "driver.h"

// The header of a bottom-up 24-bit picture of the whole screen.
BITMAPINFOHEADER ScreenHeader(const Pixels &shot)
{
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = shot.width;
    header.biHeight = shot.height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    return header;
}

Pixels CaptureScreen()
{
    Pixels shot;
    shot.width = GetSystemMetrics(SM_CXSCREEN);
    shot.height = GetSystemMetrics(SM_CYSCREEN);
    shot.cbRow = ((shot.width * 3 + 3) / 4) * 4;
    shot.bytes.resize(shot.cbRow * shot.height);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, shot.width, shot.height);
    HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, shot.width, shot.height, screen, 0, 0, SRCCOPY);
    SelectObject(dc, old);  // GetDIBits wants the bitmap unselected
    BITMAPINFOHEADER header = ScreenHeader(shot);
    GetDIBits(dc, bitmap, 0, shot.height, shot.bytes.data(),
              reinterpret_cast<BITMAPINFO *>(&header), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return shot;
}

// Asks every visible window of the followed program to paint what it has
// not painted yet (UpdateWindow sends the paint and returns after it), then
// waits until two captures in a row are the same: the screen has settled.
Pixels SettledScreen()
{
    for (HWND window : TopWindows()) {
        if (IsWindowVisible(window) && OwnedBySetup(window)) {
            UpdateWindow(window);
            Responsive(window);
        }
    }
    Pixels last = CaptureScreen();
    WaitUntil([&] {
        Pixels next = CaptureScreen();
        bool same = next.bytes == last.bytes;
        last = std::move(next);
        return same;
    });
    return last;
}

bool SaveScreen(const std::string &path)
{
    Pixels shot = SettledScreen();
    BITMAPINFOHEADER header = ScreenHeader(shot);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(shot.bytes.size());
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::fwrite(&file, sizeof file, 1, f);
    std::fwrite(&header, sizeof header, 1, f);
    std::fwrite(shot.bytes.data(), 1, shot.bytes.size(), f);
    return std::fclose(f) == 0;
}

// The backdrop as the screen shows it, the dialogs hidden: the dark blue
// field, the darker tiles along every row, white only in the title's box,
// all sized for the DPI that the setup was started at. The title's height,
// from its first lit row to its baseline (the last row above the subtitle
// that crosses its letters, not just the tail of the Q), must be the one
// seen at 96 DPI times DPI/96, within two pixels.
// Returns what is wrong, or "" when the screen shows the backdrop.
std::string BackdropFault(const Pixels &shot)
{
    int width = shot.width, height = shot.height;
    if (width != 1024 || height != 768)
        return "the screen is not 1024 x 768";
    auto scaled = [](int pixels) { return MulDiv(pixels, g_dpi, 96); };
    const COLORREF field = RGB(0, 0, 128), tile = RGB(0, 0, 96), white = RGB(255, 255, 255);
    long fieldCount = 0, whiteOutside = 0, titleWhite = 0, rowsWithTiles = 0;
    // "Quillarix" and the subtitle; the title's cells end on the line.
    const int titleRight = scaled(420), titleBottom = scaled(110), line = scaled(60);
    const int pitch = scaled(19);
    std::vector<int> titleLit(line);  // lit pixels of each row above the line
    int titleTop = -1, baseline = -1;
    for (int row = 0; row * pitch < height; ++row) {
        long tiles = 0;
        for (int y = row * pitch; y < row * pitch + pitch && y < height; ++y)
            for (int x = 2; x < width - 2; x += 1) {
                COLORREF c = shot.At(x, y);
                bool inTitle = x < titleRight && y < titleBottom;
                if (c == field)
                    ++fieldCount;
                else if (c == tile)
                    ++tiles;
                else if (c == white)
                    ++(inTitle ? titleWhite : whiteOutside);
                if (inTitle && y < line && GetRValue(c) > 0)  // white, or smoothed white
                    ++titleLit[y];
            }
        if (tiles > 50 && row * pitch >= titleBottom)
            ++rowsWithTiles;
    }
    for (int y = line - 1; y >= 0; --y) {
        titleTop = titleLit[y] ? y : titleTop;
        baseline = baseline < 0 && titleLit[y] >= scaled(20) ? y : baseline;
    }
    int titleHeight = baseline - titleTop + 1;
    std::string counts = " (" + std::to_string(g_dpi) + " DPI: field " +
                         std::to_string(fieldCount) + " pixels, rows with tiles " +
                         std::to_string(rowsWithTiles) + ", title " +
                         std::to_string(titleHeight) + " pixels high)";
    if (fieldCount < long(width) * height / 2)
        return "the field colour (0, 0, 128) does not dominate" + counts;
    if (rowsWithTiles < (height - titleBottom) / pitch - 1)
        return "tile colour (0, 0, 96) missing along the rows" + counts;
    if (titleWhite < scaled(scaled(500)))
        return "no white title" + counts;
    if (whiteOutside != 0)
        return std::to_string(whiteOutside) + " white pixels outside the title" + counts;
    g_titleHeight96 = g_dpi == 96 && !g_titleHeight96 ? titleHeight : g_titleHeight96;
    int expected = MulDiv(g_titleHeight96, g_dpi, 96);  // 0 before a backdrop at 96 DPI
    if (std::abs(titleHeight - expected) > 2)
        return "the title is not " + std::to_string(expected) + " pixels high" + counts;
    Note("-> backdrop:%s", counts);
    return "";
}

// The current dialog lies wholly on the screen, and its icon control is
// the size of a standard icon at the DPI and shows, pixel for pixel, the
// setup's own image of that size (drawn here over the control's corner
// pixel, which every image leaves transparent). Returns what is wrong, or "".
std::string ScaledDialogFault(const Pixels &shot)
{
    RECT dialog, icon = {};
    GetWindowRect(g_current, &dialog);
    if (dialog.left < 0 || dialog.top < 0 || dialog.right > shot.width || dialog.bottom > shot.height)
        return "the dialog reaches off the screen";
    for (HWND child : Children(g_current))
        if (SendMessageA(child, STM_GETICON, 0, 0))
            GetWindowRect(child, &icon);
    int size = MulDiv(32, g_dpi, 96);
    if (icon.right - icon.left != size || icon.bottom - icon.top != size)
        return "no icon control of " + std::to_string(size) + " pixels square";
    HMODULE setup = LoadLibraryExA(g_setupPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HICON image = static_cast<HICON>(
        LoadImageA(setup, MAKEINTRESOURCEA(103), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH background = CreateSolidBrush(shot.At(icon.left, icon.top));
    RECT all = {0, 0, size, size};
    FillRect(dc, &all, background);
    int different = DrawIconEx(dc, 0, 0, image, size, size, 0, nullptr, DI_NORMAL) ? 0 : size * size;
    for (int y = 0; y < size && !different; ++y)
        for (int x = 0; x < size; ++x)
            different += GetPixel(dc, x, y) != shot.At(icon.left + x, icon.top + y);
    SelectObject(dc, old);
    DeleteObject(background), DeleteObject(bitmap), DeleteDC(dc), ReleaseDC(nullptr, screen);
    DestroyIcon(image), FreeLibrary(setup);
    return different ? std::to_string(different) + " pixels of the icon differ from the setup's " +
                           std::to_string(size) + "-pixel image"
                     : "";
}
