// mkicon: turns a text pixel map of 16-colour images into a Windows .ico
// with an image for each size that Windows asks for from 100% to 200%
// scaling: 16, 20, 24, 32, 40, 48 and 64 pixels.
//   mkicon MAP.txt OUT.ico
// The map holds "image N" lines, each followed by N rows of N characters:
// 0-9 and a-f index the standard 16-colour palette, "." is transparent.
// Lines starting with "#" are comments. A size the map does not draw is
// made from the smallest drawn image larger than it: each pixel averages
// the area of that image it covers, transparent where most of the area is,
// else in the palette colour nearest the average of the opaque part.
#include "../common/fileio.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const std::uint8_t kPalette[16][3] = {  // red, green, blue
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
    {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
    {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

struct Image {
    int size = 0;
    std::vector<std::string> rows;
};

// The sizes written, in this order: 32 first, since a control that shows
// an icon at its own size takes the group's first image.
constexpr int kSizes[] = {32, 16, 20, 24, 40, 48, 64};

int IndexOf(char c)
{
    return c <= '9' ? c - '0' : c - 'a' + 10;
}

Image Downscale(const Image &from, int n)
{
    const int m = from.size;
    Image to{n, std::vector<std::string>(n, std::string(n, '.'))};
    for (int ty = 0; ty < n; ++ty)
        for (int tx = 0; tx < n; ++tx) {
            // Source pixel sx covers [sx n, sx n + n) in units of 1/(m n)
            // of the image; the target pixel [tx m, tx m + m).
            double opaque = 0, transparent = 0, sum[3] = {0, 0, 0};
            for (int sy = ty * m / n; sy < m && sy * n < (ty + 1) * m; ++sy)
                for (int sx = tx * m / n; sx < m && sx * n < (tx + 1) * m; ++sx) {
                    int wy = std::min((sy + 1) * n, (ty + 1) * m) - std::max(sy * n, ty * m);
                    int wx = std::min((sx + 1) * n, (tx + 1) * m) - std::max(sx * n, tx * m);
                    double w = static_cast<double>(wx) * wy;
                    char c = from.rows[sy][sx];
                    if (c == '.') {
                        transparent += w;
                        continue;
                    }
                    opaque += w;
                    for (int k = 0; k < 3; ++k)
                        sum[k] += w * kPalette[IndexOf(c)][k];
                }
            if (transparent >= opaque)
                continue;
            int best = 0;
            double bestDistance = 1e18;
            for (int i = 0; i < 16; ++i) {
                double d = 0;
                for (int k = 0; k < 3; ++k)
                    d += (sum[k] / opaque - kPalette[i][k]) * (sum[k] / opaque - kPalette[i][k]);
                if (d < bestDistance) {
                    bestDistance = d;
                    best = i;
                }
            }
            to.rows[ty][tx] = "0123456789abcdef"[best];
        }
    return to;
}

void Put16(std::vector<std::uint8_t> &out, unsigned v)
{
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}

void Put32(std::vector<std::uint8_t> &out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back((v >> (8 * i)) & 0xFF);
}

std::vector<std::uint8_t> EncodeImage(const Image &image)
{
    const int n = image.size;
    const int cbXorRow = ((n * 4 + 31) / 32) * 4;
    const int cbAndRow = ((n + 31) / 32) * 4;
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, n);
    Put32(out, 2 * n);  // colour and mask halves
    Put16(out, 1);
    Put16(out, 4);
    Put32(out, 0);
    Put32(out, (cbXorRow + cbAndRow) * n);
    for (int i = 0; i < 4; ++i)
        Put32(out, 0);
    for (const auto &c : kPalette) {
        out.push_back(c[2]);
        out.push_back(c[1]);
        out.push_back(c[0]);
        out.push_back(0);
    }
    for (int y = n - 1; y >= 0; --y) {  // bottom-up
        std::vector<std::uint8_t> row(cbXorRow, 0);
        for (int x = 0; x < n; ++x) {
            char c = image.rows[y][x];
            int index = c == '.' ? 0 : IndexOf(c);
            row[x / 2] |= static_cast<std::uint8_t>(x % 2 ? index : index << 4);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(cbAndRow, 0);
        for (int x = 0; x < n; ++x)
            if (image.rows[y][x] == '.')
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}


}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkicon MAP.txt OUT.ico\n");
        return 2;
    }
    std::FILE *in = std::fopen(argv[1], "r");
    if (!in) {
        std::fprintf(stderr, "mkicon: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<Image> images;
    char line[256];
    int lineNo = 0;
    while (std::fgets(line, sizeof line, in)) {
        ++lineNo;
        line[std::strcspn(line, "\r\n")] = '\0';
        if (line[0] == '#' || line[0] == '\0')
            continue;
        int size;
        if (std::sscanf(line, "image %d", &size) == 1) {
            if (std::find(std::begin(kSizes), std::end(kSizes), size) == std::end(kSizes)) {
                std::fprintf(stderr, "mkicon: %s:%d: no image of %d pixels is written\n", argv[1],
                             lineNo, size);
                return 1;
            }
            images.push_back(Image{size, {}});
            continue;
        }
        if (images.empty() || std::strlen(line) != static_cast<std::size_t>(images.back().size) ||
            static_cast<int>(images.back().rows.size()) >= images.back().size ||
            std::strspn(line, ".0123456789abcdef") != std::strlen(line)) {
            std::fprintf(stderr, "mkicon: %s:%d: bad pixel row\n", argv[1], lineNo);
            return 1;
        }
        images.back().rows.push_back(line);
    }
    std::fclose(in);
    for (const Image &image : images)
        if (static_cast<int>(image.rows.size()) != image.size) {
            std::fprintf(stderr, "mkicon: %s: image %d has %zu rows\n", argv[1], image.size,
                         image.rows.size());
            return 1;
        }
    std::vector<Image> written;
    for (int size : kSizes) {
        const Image *drawn = nullptr, *larger = nullptr;
        for (const Image &image : images) {
            if (image.size == size)
                drawn = &image;
            else if (image.size > size && (!larger || image.size < larger->size))
                larger = &image;
        }
        if (!drawn && !larger) {
            std::fprintf(stderr, "mkicon: %s: no image of %d pixels or larger\n", argv[1], size);
            return 1;
        }
        written.push_back(drawn ? *drawn : Downscale(*larger, size));
    }
    images = written;

    std::vector<std::uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(images.size()));
    std::vector<std::vector<std::uint8_t>> encoded;
    for (const Image &image : images)
        encoded.push_back(EncodeImage(image));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<std::uint8_t>(images[i].size));
        out.push_back(static_cast<std::uint8_t>(images[i].size));
        out.push_back(16);
        out.push_back(0);
        Put16(out, 1);
        Put16(out, 4);
        Put32(out, static_cast<std::uint32_t>(encoded[i].size()));
        Put32(out, offset);
        offset += static_cast<std::uint32_t>(encoded[i].size());
    }
    for (const auto &e : encoded)
        out.insert(out.end(), e.begin(), e.end());
    if (!WriteWholeFile(argv[2], out)) {
        std::fprintf(stderr, "mkicon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
