// mktestdata: writes the binary inputs of the payload tests, the same bytes
// on every build.
//   mktestdata OUTDIR
// binary.bin  10000 pseudo-random bytes
// long.bin    50000 bytes: text and data repeating with period 4097
// runs.bin    30000 bytes: runs of one byte value, 1 to 300 long
#include "../common/fileio.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

static std::uint32_t s_state = 20261208;

static std::uint8_t NextByte()
{
    s_state = s_state * 1664525u + 1013904223u;
    return static_cast<std::uint8_t>(s_state >> 24);
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mktestdata OUTDIR\n");
        return 2;
    }
    std::string dir = argv[1];
    std::vector<std::uint8_t> binary(10000);
    for (auto &b : binary)
        b = NextByte();
    std::vector<std::uint8_t> unit(4097);
    for (std::size_t i = 0; i < unit.size(); ++i)
        unit[i] = i % 3 ? NextByte() : static_cast<std::uint8_t>("FADE IN: "[i % 9]);
    std::vector<std::uint8_t> longData(50000);
    for (std::size_t i = 0; i < longData.size(); ++i)
        longData[i] = unit[i % unit.size()];
    std::vector<std::uint8_t> runs;
    while (runs.size() < 30000) {
        std::uint8_t value = NextByte();
        std::size_t length = 1 + (NextByte() * 300u) / 256u;
        runs.insert(runs.end(), length, value);
    }
    runs.resize(30000);
    if (!WriteWholeFile(dir + "/binary.bin", binary) || !WriteWholeFile(dir + "/long.bin", longData) ||
        !WriteWholeFile(dir + "/runs.bin", runs)) {
        std::fprintf(stderr, "mktestdata: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
