// Fuzzes the backdrop's tile layout: every copy drawn lies on a row, overlaps
// the screen, and the layout always ends (any measured width, screen sizes
// up to 4096 pixels).
#include "ui/tiling.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 6)
        return 0;
    int width = (data[0] | (data[1] << 8)) % 4097;
    int height = (data[2] | (data[3] << 8)) % 4097;
    int w = static_cast<std::int16_t>(data[4] | (data[5] << 8));
    long drawn = LayOutTiles(width, height, w, [&](int x, int y) {
        if (y % kTileRowPitch != 0 || y >= height || x >= width || x + w < 0)
            std::abort();
        if ((x + (y / kTileRowPitch) * kTileRowShift) % (w - 1) != 0)
            std::abort();  // copies sit every w - 1 pixels from the row's start
    });
    if (w < 2 && drawn != 0)
        std::abort();
    return 0;
}
