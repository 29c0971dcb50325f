// Fuzzes compression: every input must come back unchanged.
#include "szdd_codec.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::vector<std::uint8_t> packed = szdd::Compress(data, size);
    std::vector<std::uint8_t> out;
    if (szdd::Expand(packed.data(), packed.size(), &out) != nullptr ||
        out != std::vector<std::uint8_t>(data, data + size))
        std::abort();
    return 0;
}
