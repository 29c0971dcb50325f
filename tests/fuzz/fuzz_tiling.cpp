// Fuzzes the backdrop's tile layout: every copy drawn lies on a row, overlaps
// the screen, and the layout always ends (any measured width, screen sizes
// up to 4096 pixels, 96 to 480 DPI).
#include "ui/tiling.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 7)
        return 0;
    int width = (data[0] | (data[1] << 8)) % 4097;
    int height = (data[2] | (data[3] << 8)) % 4097;
    int w = static_cast<std::int16_t>(data[4] | (data[5] << 8));
    const TileGrid grid = TileGridForDpi(96 + data[6] * 3 / 2);
    long drawn = LayOutTiles(width, height, w, [&](int x, int y) {
        if (y % grid.rowPitch != 0 || y >= height || x >= width || x + w < 0)
            std::abort();
        if ((x + (y / grid.rowPitch) * grid.rowShift) % (w - grid.overlap) != 0)
            std::abort();  // copies sit every w - overlap pixels from the row's start
    }, grid);
    if (w <= grid.overlap && drawn != 0)
        std::abort();
    return 0;
}
