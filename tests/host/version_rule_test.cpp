// Which installed versions of the main executable are replaced.
#include "payload/version_rule.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint64_t Version(unsigned a, unsigned b, unsigned c, unsigned d)
{
    return FileVersionOf(a << 16 | b, c << 16 | d);
}

TEST(DecideInstalledVersion, ComparesAllFourFieldsWithTheCarriedVersion)
{
    using V = InstalledVersionVerdict;
    const std::uint64_t carried = Version(1, 0, 0, 0);
    struct Case {
        std::uint64_t installed;
        V expected;
    } cases[] = {
        {Version(0, 9, 0, 0), V::kUpgrade},
        {Version(1, 0, 0, 0), V::kRepair},
        {Version(1, 0, 0, 1), V::kNewerPresent},
        {Version(1, 0, 1, 0), V::kNewerPresent},
        {Version(1, 5, 0, 0), V::kNewerPresent},
        {Version(2, 0, 0, 0), V::kNewerPresent},
        {Version(0, 0, 0, 1), V::kUpgrade},
        {0, V::kUnidentifiedReplace},  // no version information
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.expected, DecideInstalledVersion(c.installed, carried)) << std::hex
                                                                           << c.installed;
    // A later carried version upgrades what was newer than 1.0.
    EXPECT_EQ(V::kUpgrade, DecideInstalledVersion(Version(1, 5, 0, 0), Version(2, 0, 0, 0)));
}

}  // namespace
