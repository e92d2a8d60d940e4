#include "core/anim/Animation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

namespace {

std::tuple<int, int, int, int> rect(const Cell &cell)
{
    return {cell.left, cell.top, cell.width, cell.height};
}

using Shown = std::pair<int, bool>;

Shown shown(const WalkCycles &cycles, Facing facing, std::uint64_t movedFrames, bool walking = true)
{
    const WalkCycles::Shown cell = cycles.shown(facing, movedFrames, walking);
    return {cell.cell, cell.mirrored};
}

} // namespace

TEST(Facing, TheLargerPartOfTheStepDecidesAndADiagonalFacesSideways)
{
    EXPECT_EQ(facingFor(3, 1, Facing::up), Facing::right);
    EXPECT_EQ(facingFor(-1, 3, Facing::up), Facing::down);
    EXPECT_EQ(facingFor(0.5, -2, Facing::down), Facing::up);
    EXPECT_EQ(facingFor(-2, 2, Facing::down), Facing::left) << "a tie faces sideways";
    EXPECT_EQ(facingFor(0, 0, Facing::up), Facing::up) << "no step keeps the facing";
}

TEST(Sheet, ReadsCellsRowByRowAndMirrorsFromTheRightEdge)
{
    const Sheet sheet(10, 20, 35);
    EXPECT_EQ(rect(sheet.cell(0, false)), std::make_tuple(0, 0, 10, 20));
    EXPECT_EQ(rect(sheet.cell(2, false)), std::make_tuple(20, 0, 10, 20));
    EXPECT_EQ(rect(sheet.cell(3, false)), std::make_tuple(0, 20, 10, 20)) << "a part cell at the edge is no column";
    EXPECT_EQ(rect(sheet.cell(4, true)), std::make_tuple(20, 20, -10, 20));
    EXPECT_EQ(rect(Sheet(50, 5, 20).cell(1, false)), std::make_tuple(0, 5, 50, 5))
        << "a cell wider than the image is one column";
}

TEST(Loop, ShowsEachCellForItsDelayAndStartsAgain)
{
    const Loop loop({4, 7, 5}, 2);
    std::vector<int> cells;
    for (std::uint64_t frame = 0; frame < 8; ++frame)
        cells.push_back(loop.cellAt(frame));
    EXPECT_EQ(cells, (std::vector<int>{4, 4, 7, 7, 5, 5, 4, 4}));
}

TEST(WalkCycles, ADirectionWithoutACycleBorrowsTheMirrorThenDownThenAnyOther)
{
    const WalkCycles rightOnly({std::vector<int>{}, {}, {1, 2}, {}}, 3);
    EXPECT_EQ(shown(rightOnly, Facing::right, 3), Shown(2, false));
    EXPECT_EQ(shown(rightOnly, Facing::left, 3), Shown(2, true));
    EXPECT_EQ(shown(rightOnly, Facing::up, 6), Shown(1, false)) << "no down cycle either: the first declared";
    EXPECT_EQ(shown(rightOnly, Facing::left, 5, false), Shown(1, true)) << "at rest, the first cell";

    const WalkCycles downAndLeft({std::vector<int>{8, 9}, {3}, {}, {}}, 1);
    EXPECT_EQ(shown(downAndLeft, Facing::up, 1), Shown(9, false));
    EXPECT_EQ(shown(downAndLeft, Facing::right, 1), Shown(3, true));
    EXPECT_TRUE(WalkCycles().empty());
    EXPECT_EQ(shown(WalkCycles(), Facing::down, 4), Shown(0, false));
}
