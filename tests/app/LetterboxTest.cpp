#include "app/FrameLoop.h"
#include "app/replay/ReplayScript.h"
#include "core/text/Format.h"

#include <SFML/Graphics/View.hpp>

#include <gtest/gtest.h>

// The world kept square in a window of any shape, and the scripts of games
// that keep it: points on the bars and resized windows.

namespace {

// Where the pixel `pixel` of a window of `size` lands in the world, as the
// graphics library's render targets map it; worked out here, since a render
// texture per case would load and unload the GL driver each time, and the
// driver leaves blocks behind when it is unloaded.
sf::Vector2f worldAt(sf::Vector2u size, sf::Vector2i pixel)
{
    const sf::View view = letterboxView(size);
    const sf::FloatRect part = view.getViewport();
    const sf::IntRect shown(static_cast<int>(0.5f + static_cast<float>(size.x) * part.left),
                            static_cast<int>(0.5f + static_cast<float>(size.y) * part.top),
                            static_cast<int>(0.5f + static_cast<float>(size.x) * part.width),
                            static_cast<int>(0.5f + static_cast<float>(size.y) * part.height));
    const sf::Vector2f normalized(
        -1.f + 2.f * static_cast<float>(pixel.x - shown.left) / static_cast<float>(shown.width),
        1.f - 2.f * static_cast<float>(pixel.y - shown.top) / static_cast<float>(shown.height));
    return view.getInverseTransform().transformPoint(normalized);
}

} // namespace

TEST(Letterbox, TheWorldIsTheLargestCentredSquareAndPressesMapThroughIt)
{
    const auto world = static_cast<float>(worldSize);
    // 800 x 400: a 400-pixel square from x 200; the bars lie off the world.
    EXPECT_EQ(letterboxView({800, 400}).getViewport(), sf::FloatRect(0.25f, 0.f, 0.5f, 1.f));
    EXPECT_EQ(worldAt({800, 400}, {200, 0}), sf::Vector2f(0.f, 0.f));
    EXPECT_EQ(worldAt({800, 400}, {400, 200}), sf::Vector2f(world / 2, world / 2));
    EXPECT_LT(worldAt({800, 400}, {100, 200}).x, 0.f);
    EXPECT_GT(worldAt({800, 400}, {700, 200}).x, world);
    // 300 x 900: the square from y 300.
    EXPECT_EQ(letterboxView({300, 900}).getViewport(), sf::FloatRect(0.f, 1.f / 3.f, 1.f, 1.f / 3.f));
    EXPECT_EQ(worldAt({300, 900}, {150, 450}), sf::Vector2f(world / 2, world / 2));
    // A square window is all world.
    EXPECT_EQ(letterboxView({550, 550}).getViewport(), sf::FloatRect(0.f, 0.f, 1.f, 1.f));
}

TEST(Letterbox, OnlyAGameThatKeepsItsAspectReplaysPointsOffTheWorldAndResizes)
{
    const std::string text = "at 1 click -300 500\nat 2 resize 400 800\nat 3 move 500 1400\n";
    ReplayScript kept;
    ASSERT_FALSE(parseReplayScript(text, kept, true));
    ASSERT_EQ(kept.commands.size(), 3u);
    EXPECT_EQ(kept.commands[0].point, sf::Vector2f(-300.f, 500.f));
    EXPECT_EQ(kept.commands[1].kind, ReplayCommand::Kind::resize);
    EXPECT_EQ(kept.commands[1].size, sf::Vector2u(400, 800));
    EXPECT_EQ(formatCommand(kept.commands[1]), "at 2 resize 400 800");

    ReplayScript stretched;
    const std::optional<Diagnostic> offWorld = parseReplayScript(text, stretched, false);
    ASSERT_TRUE(offWorld);
    EXPECT_EQ(offWorld->column, 12u);
    EXPECT_NE(offWorld->message.find("outside the world"), std::string::npos);
    const std::optional<Diagnostic> resize = parseReplayScript("at 2 resize 400 800\n", stretched, false);
    ASSERT_TRUE(resize);
    EXPECT_EQ(resize->message, "unknown command \"resize\"; expected click, move, key, shot or close");

    for (const char *bad :
         {"at 2 resize 0 800\n", "at 2 resize 400\n", "at 2 resize 9000 800\n", "at 2 resize a b\n"}) {
        ReplayScript refused;
        EXPECT_TRUE(parseReplayScript(bad, refused, true)) << bad;
    }
}
