// Which installed versions of the main executable are replaced.
#include "payload/version_rule.h"

#include <gtest/gtest.h>

namespace {

TEST(DecideInstalledVersion, ComparesMajorAndLowDoubleWordOnly)
{
    using V = InstalledVersionVerdict;
    struct Case {
        unsigned major, low;
        V expected;
    } cases[] = {
        {1, 0, V::kReplace},                    // 1.0.0.0 and 1.5.0.0
        {1, 1, V::kNewerPresent},               // 1.0.0.1
        {1, 0x10000, V::kNewerPresent},         // 1.0.1.0
        {2, 0, V::kUnidentifiedReplace},        // 2.0.0.0
        {0, 0, V::kUnidentifiedReplace},        // no version information
        {0, 5, V::kUnidentifiedReplace},
        {0xFFFF, 0xFFFFFFFF, V::kUnidentifiedReplace},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.expected, DecideInstalledVersion(c.major, c.low)) << c.major << "." << c.low;
}

}  // namespace
