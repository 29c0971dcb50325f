// Fuzzes the version decision: a newer installed version is always left
// alone, and nothing else is; no version information is always replaced.
#include "payload/version_rule.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 16)
        return 0;
    std::uint64_t installed, carried;
    std::memcpy(&installed, data, 8);
    std::memcpy(&carried, data + 8, 8);
    InstalledVersionVerdict v = DecideInstalledVersion(installed, carried);
    using V = InstalledVersionVerdict;
    bool expectedNewer = installed != 0 && installed > carried;
    if ((v == V::kNewerPresent) != expectedNewer ||
        (v == V::kUnidentifiedReplace) != (installed == 0) ||
        (v == V::kRepair) != (installed != 0 && installed == carried))
        std::abort();
    return 0;
}
