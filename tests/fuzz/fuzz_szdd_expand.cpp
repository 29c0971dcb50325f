// Fuzzes the strict SZDD expander with arbitrary files.
#include "szdd_codec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::vector<std::uint8_t> out;
    szdd::Expand(data, size, &out);
    return 0;
}
