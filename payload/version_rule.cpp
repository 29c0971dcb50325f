// Which installed main executables the setup replaces: an installation only goes forward (or is
// repaired); it never moves a machine to an older version.
#include "payload/version_rule.h"

InstalledVersionVerdict DecideInstalledVersion(std::uint64_t installed, std::uint64_t carried)
{
    if (installed == 0)
        return InstalledVersionVerdict::kUnidentifiedReplace;
    if (installed > carried)
        return InstalledVersionVerdict::kNewerPresent;
    return installed == carried ? InstalledVersionVerdict::kRepair
                                : InstalledVersionVerdict::kUpgrade;
}
