// Layout of the backdrop, free of the system: its sizes at the screen's DPI,
// which rows the tiled product name has and where each copy of it is drawn.
#pragma once

// value, a size in pixels at 96 DPI, at dpi: times dpi / 96, rounded half
// away from zero as MulDiv rounds.
constexpr int ScaleForDpi(int value, unsigned dpi)
{
    long long scaled = static_cast<long long>(value < 0 ? -value : value) * dpi;
    int rounded = static_cast<int>((scaled + 48) / 96);
    return value < 0 ? -rounded : rounded;
}

// The tiling's spacing in pixels, at 96 DPI unless scaled: rows every 19 pixels, each starting 95
// further left than the one above, neighbouring copies overlapping by one pixel.
struct TileGrid {
    int rowPitch = 19;
    int rowShift = 95;
    int overlap = 1;
};

constexpr TileGrid TileGridForDpi(unsigned dpi)
{
    TileGrid grid;
    return {ScaleForDpi(grid.rowPitch, dpi), ScaleForDpi(grid.rowShift, dpi),
            ScaleForDpi(grid.overlap, dpi)};
}

// Calls draw(x, y) for every copy of a tile w pixels wide on a screen of width x height: rows every
// rowPitch pixels from y = 0 while y < height, row k starting at x = -rowShift k, copies every w -
// overlap pixels while x < width, drawn unless they lie wholly left of the screen (x + w < 0). A
// tile no wider than the overlap cannot advance and draws nothing. Returns the copies drawn.
template <typename Draw>
long LayOutTiles(int width, int height, int w, Draw draw, const TileGrid &grid = TileGrid{})
{
    if (w <= grid.overlap || height <= 0 || grid.rowPitch < 1)
        return 0;
    long drawn = 0;
    for (long y = 0, k = 0; y < height; y += grid.rowPitch, ++k) {
        for (long x = -grid.rowShift * k; x < width; x += w - grid.overlap) {
            if (x + w >= 0) {
                draw(static_cast<int>(x), static_cast<int>(y));
                ++drawn;
            }
        }
    }
    return drawn;
}
