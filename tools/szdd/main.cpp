// szdd: compresses files into SZDD form and expands them again.
//   szdd compress IN OUT
//   szdd expand IN OUT
#include "szdd_codec.h"
#include "../common/fileio.h"

#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char **argv)
{
    if (argc != 4 || (std::strcmp(argv[1], "compress") != 0 && std::strcmp(argv[1], "expand") != 0)) {
        std::fprintf(stderr, "usage: szdd compress IN OUT\n       szdd expand IN OUT\n");
        return 2;
    }
    std::vector<std::uint8_t> in;
    if (!ReadWholeFile(argv[2], &in)) {
        std::fprintf(stderr, "szdd: cannot read %s\n", argv[2]);
        return 1;
    }
    std::vector<std::uint8_t> out;
    if (std::strcmp(argv[1], "compress") == 0) {
        out = szdd::Compress(in.data(), in.size());
    } else if (const char *why = szdd::Expand(in.data(), in.size(), &out)) {
        std::fprintf(stderr, "szdd: %s: %s\n", argv[2], why);
        return 1;
    }
    if (!WriteWholeFile(argv[3], out)) {
        std::fprintf(stderr, "szdd: cannot write %s\n", argv[3]);
        std::remove(argv[3]);
        return 1;
    }
    return 0;
}
