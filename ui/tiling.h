// Layout of the backdrop's tiled product name, free of the system: which
// rows there are and where each copy of the tile text is drawn.
#pragma once

inline constexpr int kTileRowPitch = 19;
inline constexpr int kTileRowShift = 95;

// Calls draw(x, y) for every copy of a tile w pixels wide on a screen of
// width x height: rows every 19 pixels from y = 0 while y < height, row k
// starting at x = -95 k, copies every w - 1 pixels while x < width, drawn
// unless they lie wholly left of the screen (x + w < 0). A width under 2
// cannot advance along a row and draws nothing. Returns the copies drawn.
template <typename Draw>
long LayOutTiles(int width, int height, int w, Draw draw)
{
    if (w < 2 || height <= 0)
        return 0;
    long drawn = 0;
    for (long y = 0, k = 0; y < height; y += kTileRowPitch, ++k) {
        for (long x = -kTileRowShift * k; x < width; x += w - 1) {
            if (x + w >= 0) {
                draw(static_cast<int>(x), static_cast<int>(y));
                ++drawn;
            }
        }
    }
    return drawn;
}
