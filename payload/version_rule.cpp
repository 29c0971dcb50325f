// Which installed main executables the setup replaces.
#include "payload/version_rule.h"

InstalledVersionVerdict DecideInstalledVersion(std::uint32_t major, std::uint32_t low)
{
    if (major != 1)
        return InstalledVersionVerdict::kUnidentifiedReplace;
    if (low != 0)
        return InstalledVersionVerdict::kNewerPresent;
    return InstalledVersionVerdict::kReplace;
}
