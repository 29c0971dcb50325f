// Fuzzes the registry text decision: value bytes, type and reported size as
// input; the result must be a text that ends within the buffer, and nothing
// may be touched past the buffer (ASan watches the heap copy).
#include "base/regtext.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 4)
        return 0;
    std::size_t cbBuffer = data[0] % 64;           // small buffers reach every edge
    unsigned long type = data[1] % 8;              // REG_NONE .. REG_QWORD range
    std::size_t cbData = data[2] % 80;             // may claim more than the buffer
    data += 3;
    size -= 3;
    std::vector<char> buffer(cbBuffer);
    if (cbBuffer > 0)
        std::memcpy(buffer.data(), data, size < cbBuffer ? size : cbBuffer);
    RegistryTextVerdict verdict = TerminateRegistryText(buffer.data(), cbBuffer, type, cbData);
    if (verdict == RegistryTextVerdict::kText) {
        if (type != kRegSz || cbData > cbBuffer || cbBuffer == 0 ||
            std::memchr(buffer.data(), 0, cbBuffer) == nullptr)
            std::abort();
    } else if (cbBuffer > 0 && buffer[0] != '\0') {
        std::abort();
    }
    return 0;
}
