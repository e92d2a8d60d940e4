#include "core/stage/DepthOrder.h"
#include "core/stage/StageRules.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

// The drawing order of a scene sorted by depth, and the player's size by depth.

namespace {

std::vector<std::size_t> drawn(const DepthOrder &order, float playerY)
{
    std::vector<std::size_t> places;
    order.fill(places, playerY);
    return places;
}

} // namespace

TEST(DepthOrder, ThePlayerGoesAmongTheBaselinesAtItsPlaceAndTheRestKeepTheirs)
{
    // The list holds the last child first: 0 and 1 come after the player in
    // the document, 4 and 5 before it. 1, 3 and 5 have baselines.
    const std::vector<std::optional<float>> baselines{std::nullopt, 500.f, std::nullopt, 300.f, std::nullopt, 700.f};
    const DepthOrder order(baselines, 2, {});
    EXPECT_EQ(drawn(order, 100), (std::vector<std::size_t>{0, 2, 3, 1, 5, 4}));
    EXPECT_EQ(drawn(order, 400), (std::vector<std::size_t>{0, 3, 2, 1, 5, 4}));
    EXPECT_EQ(drawn(order, 900), (std::vector<std::size_t>{0, 3, 1, 5, 2, 4}));
}

TEST(DepthOrder, EqualBaselinesKeepTheDocumentsOrderWithTheFirstChildOnTop)
{
    // Places 0 and 3 are the last and the first child, both at 500; the
    // player (place 1, the second child) stands at 500 too.
    const std::vector<std::optional<float>> baselines{500.f, std::nullopt, std::nullopt, 500.f};
    const DepthOrder order(baselines, 1, {2});
    EXPECT_EQ(drawn(order, 500), (std::vector<std::size_t>{0, 1, 3})) << "a second <player> is drawn once";
    EXPECT_EQ(drawn(order, 499.5f), (std::vector<std::size_t>{1, 0, 3}));
}

TEST(DepthOrder, AsceneWithoutThePlayerIsDrawnAsListed)
{
    const std::vector<std::optional<float>> baselines{900.f, std::nullopt, 100.f};
    EXPECT_EQ(drawn(DepthOrder(baselines, std::nullopt, {}), 0), (std::vector<std::size_t>{0, 1, 2}));
}

TEST(DepthScale, LinearBetweenItsDepthsAndHeldBeyondThemWhicheverComesFirst)
{
    const DepthScale nearLow{300, 0.5f, 900, 1.5f};
    EXPECT_FLOAT_EQ(nearLow.at(300), 0.5f);
    EXPECT_FLOAT_EQ(nearLow.at(600), 1.f);
    EXPECT_FLOAT_EQ(nearLow.at(0), 0.5f);
    EXPECT_FLOAT_EQ(nearLow.at(1100), 1.5f);
    const DepthScale reversed{900, 1.5f, 300, 0.5f};
    EXPECT_FLOAT_EQ(reversed.at(750), 1.25f);
    EXPECT_FLOAT_EQ(reversed.at(1000), 1.5f);
    const DepthScale step{500, 1, 500, 2};
    EXPECT_FLOAT_EQ(step.at(499), 1.f);
    EXPECT_FLOAT_EQ(step.at(500), 2.f);
}
