// The backdrop's tile layout.
#include "ui/tiling.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace {

std::vector<std::pair<int, int>> Lay(int width, int height, int w)
{
    std::vector<std::pair<int, int>> copies;
    LayOutTiles(width, height, w, [&](int x, int y) { copies.emplace_back(x, y); });
    return copies;
}

std::set<int> Rows(const std::vector<std::pair<int, int>> &copies)
{
    std::set<int> rows;
    for (auto &c : copies)
        rows.insert(c.second);
    return rows;
}

TEST(LayOutTiles, RowCountFollowsScreenHeight)
{
    auto rows480 = Rows(Lay(640, 480, 100));
    EXPECT_EQ(26u, rows480.size());
    EXPECT_EQ(475, *rows480.rbegin());
    auto rows768 = Rows(Lay(1024, 768, 100));
    EXPECT_EQ(41u, rows768.size());
    EXPECT_EQ(760, *rows768.rbegin());
}

TEST(LayOutTiles, RowsShiftLeftAndCopiesOverlapByOnePixel)
{
    std::vector<int> row0, row1;
    for (auto &c : Lay(300, 38, 100))
        (c.second == 0 ? row0 : row1).push_back(c.first);
    EXPECT_EQ((std::vector<int>{0, 99, 198, 297}), row0);
    EXPECT_EQ((std::vector<int>{-95, 4, 103, 202}), row1);
}

TEST(LayOutTiles, CopyEndingExactlyAtLeftEdgeIsDrawn)
{
    // w = 96: row 1 starts at -95 (drawn, -95 + 96 > 0). Row 2 starts at
    // -190; -190 + 96 < 0 is skipped, the next copy at -95 is drawn.
    auto copies = Lay(10, 60, 96);
    std::set<std::pair<int, int>> set(copies.begin(), copies.end());
    EXPECT_TRUE(set.count({-95, 19}));
    EXPECT_FALSE(set.count({-190, 38}));
    EXPECT_TRUE(set.count({-95, 38}));
    // w = 95 with row 1 at -95: x + w == 0 exactly, still drawn.
    auto edge = Lay(10, 20, 95);
    std::set<std::pair<int, int>> edgeSet(edge.begin(), edge.end());
    EXPECT_TRUE(edgeSet.count({-95, 19}));
}

TEST(LayOutTiles, NarrowOrMissingMeasurementDrawsNothing)
{
    EXPECT_TRUE(Lay(1024, 768, 1).empty());
    EXPECT_TRUE(Lay(1024, 768, 0).empty());
    EXPECT_TRUE(Lay(1024, 768, -5).empty());
    EXPECT_TRUE(Lay(1024, 0, 100).empty());
    EXPECT_FALSE(Lay(1024, 768, 2).empty());
}

}  // namespace
