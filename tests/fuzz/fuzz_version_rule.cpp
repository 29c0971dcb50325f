// Fuzzes the version decision: only 1.x.0.0 is replaced silently, only 1.x
// with a nonzero low double word is left alone.
#include "payload/version_rule.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 8)
        return 0;
    std::uint32_t major, low;
    std::memcpy(&major, data, 4);
    std::memcpy(&low, data + 4, 4);
    InstalledVersionVerdict v = DecideInstalledVersion(major, low);
    bool expectedNewer = major == 1 && low != 0;
    bool expectedReplace = major == 1 && low == 0;
    if ((v == InstalledVersionVerdict::kNewerPresent) != expectedNewer ||
        (v == InstalledVersionVerdict::kReplace) != expectedReplace)
        std::abort();
    return 0;
}
