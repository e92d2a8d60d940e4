#include "elements/EPlayer.h"
#include "elements/Catalogue.h"
#include "elements/ESprite.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <SFML/Graphics/Transformable.hpp>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace {

// A player standing at `at`, with no image: walking needs none.
class Walker {
public:
    explicit Walker(sf::Vector2f at, int speed = 10) : xml("<player/>")
    {
        player = newElement<EPlayer>(xml.root());
        player->speed = speed;
        player->sprite->setPosition(at.x, at.y);
        player->levelLimits = {-100000, -100000, 100000, 100000};
    }

    // Frames until the walk ends, or -1 when it has not ended after `limit` frames.
    int walk(int limit = 10000)
    {
        for (int frame = 0; frame < limit; ++frame) {
            if (!player->walking)
                return frame;
            player->update();
        }
        return player->walking ? -1 : limit;
    }

    ParsedXml xml;
    EPlayer *player;
};

} // namespace

TEST(Player, ReadsSpeedAndBuildsItsSprite)
{
    ParsedXml xml("<a><player position='5, 6'/><player speed='3'/><child speed='7'/><other/></a>");
    EPlayer *plain = newElement<EPlayer>(xml.find("player"));
    EXPECT_EQ(plain->speed, 10);
    EXPECT_EQ(plain->sprite->position, sf::Vector2f(5, 6));
    EXPECT_FALSE(plain->walking);
    EXPECT_EQ(plain->levelLimits, (std::array<int, 4>{0, 0, 0, 0}));
    plain->applySceneNode(xml.find("child"));
    EXPECT_EQ(plain->speed, 7);
    plain->applySceneNode(xml.find("other"));
    EXPECT_EQ(plain->speed, 7) << "without speed the player keeps its own";
}

TEST(Player, ClampsTargetsToTheLevelLimitsAndTruncates)
{
    Walker walker({0, 0});
    EPlayer &player = *walker.player;
    player.levelLimits = {100, 50, 900, 700};
    player.setTarget(20.7f, 800.2f);
    EXPECT_EQ(player.target, sf::Vector2f(100, 700));
    EXPECT_TRUE(player.walking);
    player.setTarget(450.9f, 300.5f);
    EXPECT_EQ(player.target, sf::Vector2f(450, 300));
    player.levelLimits = {-10, 0, 900, 700};
    player.setTarget(-3.7f, 60.0f);
    EXPECT_EQ(player.target, sf::Vector2f(-3, 60));
    player.levelLimits = {500, 0, 100, 700};
    player.setTarget(600, 10);
    EXPECT_EQ(player.target.x, 100) << "inverted limits: not below the left limit gives the right one";
    player.setTarget(400, 10);
    EXPECT_EQ(player.target.x, 500);
}

TEST(Player, DirectionIsTheUnitVectorTowardsThePoint)
{
    Walker walker({100, 100});
    const sf::Vector2f direction = walker.player->directionTo(400, 500);
    EXPECT_FLOAT_EQ(direction.x, 0.6f);
    EXPECT_FLOAT_EQ(direction.y, 0.8f);
    EXPECT_TRUE(std::isnan(walker.player->directionTo(100, 100).x));
}

TEST(Player, ArrivalBoxIsHalfTheSpeedInWholeNumbers)
{
    Walker walker({100, 100}, 5);
    EPlayer &player = *walker.player;
    player.target = {102, 98};
    EXPECT_TRUE(player.hasArrived()) << "the box is closed";
    player.target = {103, 100};
    EXPECT_FALSE(player.hasArrived()) << "speed 5 gives a box of 2, not 2.5";
    player.speed = -1;
    player.target = {100, 100};
    EXPECT_TRUE(player.hasArrived());
    player.speed = -2;
    EXPECT_FALSE(player.hasArrived()) << "below -1 the box is empty";
}

TEST(Player, WalksInUnitStepsAndStopsInsideTheBox)
{
    Walker walker({100, 100});
    walker.player->levelLimits = {0, 0, 1100, 1100};
    walker.player->setTarget(500, 400);
    int moving = 0;
    while (walker.player->walking) {
        const sf::Vector2f before = walker.player->sprite->drawable->getPosition();
        walker.player->update();
        if (walker.player->sprite->drawable->getPosition() != before)
            ++moving;
        ASSERT_LT(moving, 100);
    }
    EXPECT_EQ(moving, 50);
    EXPECT_EQ(walker.player->sprite->position, sf::Vector2f(499, 400));
}

TEST(Player, StoredPositionIsTruncatedEveryFrame)
{
    Walker walker({-3.7f, 12.9f});
    walker.player->target = {-3, 12};
    walker.player->walking = true;
    walker.player->update();
    EXPECT_FALSE(walker.player->walking);
    EXPECT_EQ(walker.player->sprite->position, sf::Vector2f(-3, 12));
    EXPECT_EQ(walker.player->sprite->drawable->getPosition(), sf::Vector2f(-3.7f, 12.9f));
}

TEST(Player, AClickOnItsOwnPlaceEndsTheWalkWithoutMoving)
{
    Walker walker({200, 200});
    walker.player->setTarget(200, 200);
    EXPECT_EQ(walker.walk(), 1);
    EXPECT_EQ(walker.player->sprite->drawable->getPosition(), sf::Vector2f(200, 200));
    walker.player->speed = 0;
    walker.player->setTarget(300, 300);
    walker.walk(20);
    EXPECT_EQ(walker.player->sprite->drawable->getPosition(), sf::Vector2f(200, 200)) << "speed 0 moves nothing";
}

TEST(Player, AWalkThatMissesItsBoxEndsOnceThePlayerHasPassedTheTarget)
{
    Walker walker({100, 100}, 1);
    walker.player->setTarget(60, 101);
    EXPECT_GT(walker.walk(), 0);
    EXPECT_EQ(walker.player->sprite->position, sf::Vector2f(59, 101));
}

// The stop at a passed target must never cut short a walk that the arrival
// box ends: over many random walks, every one that arrives does so in the
// same frame and place as it would without that stop.
TEST(Player, PassingTheTargetNeverChangesAWalkThatArrives)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-500, 1500);
    std::uniform_int_distribution<int> speeds(1, 40);
    int arrived = 0;
    for (int walk = 0; walk < 3000; ++walk) {
        const sf::Vector2f from(std::trunc(coordinate(random)), std::trunc(coordinate(random)));
        const sf::Vector2f to(coordinate(random), coordinate(random));
        const int speed = speeds(random);

        Walker reference(from, speed);
        reference.player->setTarget(to.x, to.y);
        int frames = -1;
        for (int frame = 0; frame < 400 && frames < 0; ++frame) {
            EPlayer &player = *reference.player;
            if (player.hasArrived()) {
                frames = frame;
            } else {
                player.sprite->moveSteps(player.direction, player.speed);
                const sf::Vector2f exact = player.sprite->drawable->getPosition();
                player.sprite->position = {std::trunc(exact.x), std::trunc(exact.y)};
            }
        }
        if (frames < 0)
            continue;
        ++arrived;
        Walker walker(from, speed);
        walker.player->setTarget(to.x, to.y);
        ASSERT_EQ(walker.walk(), frames + 1) << "walk " << walk;
        ASSERT_EQ(walker.player->sprite->position, reference.player->sprite->position) << "walk " << walk;
    }
    EXPECT_GT(arrived, 2000);
}

// A step is a float addition, so far enough out a step no longer changes the
// position: a speed in the billions must end its frame there instead of
// spinning through every remaining step.
TEST(Player, AHugeSpeedEndsEachFrameOnceStepsStopMoving)
{
    Walker walker({0, 0}, 2000000000);
    EPlayer &player = *walker.player;
    player.levelLimits = {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    player.setTarget(2000000000.f, 0);
    EXPECT_EQ(player.sprite->moveSteps(player.direction, player.speed), 16777217)
        << "2^24 unit steps, then one that rounds back to 2^24";
    EXPECT_EQ(player.sprite->moveSteps(player.direction, player.speed), 1);
    player.update();
    EXPECT_EQ(player.sprite->drawable->getPosition(), sf::Vector2f(16777216, 0));
    EXPECT_TRUE(player.walking) << "the target is still ahead";

    const float infinity = std::numeric_limits<float>::infinity();
    Walker lost({-infinity, std::nanf("")}, INT_MAX);
    lost.player->levelLimits = {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    lost.player->setTarget(0, 0);
    EXPECT_EQ(lost.player->sprite->moveSteps(lost.player->direction, lost.player->speed), 2)
        << "one step makes the infinity NaN, the next leaves it so";
    lost.player->update();
    const sf::Vector2f at = lost.player->sprite->drawable->getPosition();
    EXPECT_TRUE(std::isnan(at.x) && std::isnan(at.y));
}

// Stopping early must land exactly where taking every step would.
TEST(Player, StoppingEarlyLandsWhereEveryStepWouldHave)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<float> coordinate(-3e7f, 3e7f);
    std::uniform_real_distribution<float> angle(0, 6.2831853f);
    std::uniform_real_distribution<float> exponent(0, 22);
    for (int walk = 0; walk < 300; ++walk) {
        const sf::Vector2f from(coordinate(random), coordinate(random));
        const float a = angle(random);
        const sf::Vector2f step(std::cos(a), std::sin(a));
        const int count = static_cast<int>(std::exp2(exponent(random)));

        Walker walker(from);
        walker.player->sprite->moveSteps(step, count);
        sf::Transformable reference;
        reference.setPosition(from);
        for (int i = 0; i < count; ++i)
            reference.move(step);
        const sf::Vector2f got = walker.player->sprite->drawable->getPosition();
        const sf::Vector2f expected = reference.getPosition();
        ASSERT_EQ(std::memcmp(&got, &expected, sizeof got), 0)
            << "walk " << walk << " from (" << from.x << ", " << from.y << "), " << count << " steps: (" << got.x
            << ", " << got.y << ") instead of (" << expected.x << ", " << expected.y << ")";
    }
}
