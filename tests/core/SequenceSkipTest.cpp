#include "core/Frame.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "support/GameFixture.h"

#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

// A skipped cutscene must end where playing it through ends: the same flags,
// items, scene, visited scenes and player position. Random cutscenes over a
// small game of two rooms (one with a walk area, one with level limits) are
// played through once and skipped with Escape at every frame of the play.
// A box the cutscene walks is back at its placement either way.

namespace {

struct Ending {
    std::set<std::string, std::less<>> flags;
    std::vector<std::string> items;
    const Node *scene = nullptr;
    std::set<int> visited;
    sf::Vector2f at;
    // Where the first room's box stands: walked or not, back at its placement.
    sf::Vector2f box;

    bool operator==(const Ending &other) const
    {
        return flags == other.flags && items == other.items && scene == other.scene && visited == other.visited &&
               at == other.at && box == other.box;
    }
};

std::ostream &operator<<(std::ostream &out, const Ending &ending)
{
    out << "flags";
    for (const std::string &flag : ending.flags)
        out << ' ' << flag;
    out << ", items";
    for (const std::string &item : ending.items)
        out << ' ' << item;
    return out << ", visited " << ending.visited.size() << ", at " << ending.at.x << ", " << ending.at.y;
}

std::string randomStep(std::mt19937 &random)
{
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const char *names[] = {"a", "b", "x", "y"};
    switch (pick(0, 6)) {
    case 0:
        return "<say text=\"line\" by=\"player\" frames=\"" + std::to_string(pick(1, 4)) + "\"/>";
    case 1:
        return "<say text=\"line\"/>";
    case 2:
        return "<wait frames=\"" + std::to_string(pick(1, 5)) + "\"/>";
    case 3:
        return "<walk to=\"" + std::to_string(pick(0, 1100)) + ", " + std::to_string(pick(700, 1100)) + "\"/>";
    case 4:
        return "<walk who=\"box\" to=\"" + std::to_string(pick(0, 1100)) + ", " + std::to_string(pick(0, 1100)) +
               "\"/>";
    case 5: {
        const bool item = pick(0, 1) == 1;
        const std::string name = names[pick(0, 1) + (item ? 2 : 0)];
        const char *effect = item ? (pick(0, 1) ? "giveItem" : "takeItem") : (pick(0, 1) ? "setFlag" : "clearFlag");
        const std::string condition = pick(0, 2) == 0 ? std::string(" if=\"") + names[pick(0, 1)] + "\"" : "";
        return std::string("<do") + condition + " " + effect + "=\"" + name + "\"/>";
    }
    default:
        return "<scene to=\"" + std::to_string(pick(1, 2)) + "\"/>";
    }
}

std::string randomGame(std::mt19937 &random)
{
    std::ostringstream steps;
    const int count = std::uniform_int_distribution<int>(1, 8)(random);
    for (int i = 0; i < count; ++i)
        steps << "      " << randomStep(random) << "\n";
    return "<game entryScene=\"1\" title=\"Skip\" width=\"550\" height=\"550\" fps=\"30\" startSequence=\"s\">\n"
           "  <assets path=\"\">\n"
           "    <sprite id=\"box\" src=\"box.png\" position=\"500, 700\"/>\n"
           "    <text id=\"line\" src=\"font.ttf\">A line.</text>\n"
           "    <player src=\"player.png\" speed=\"15\" position=\"300, 900\" origin=\"20, 40\"/>\n"
           "  </assets>\n"
           "  <state><flag id=\"a\"/><flag id=\"b\" set=\"true\"/><item id=\"x\"/><item id=\"y\" "
           "held=\"true\"/></state>\n"
           "  <sequences>\n    <sequence id=\"s\">\n" +
           steps.str() +
           "    </sequence>\n  </sequences>\n"
           "  <scenes>\n"
           "    <scene sceneId=\"1\" upperLevelLimit=\"800\"><player/><box/></scene>\n"
           "    <scene sceneId=\"2\" walkArea=\"100, 750, 1000, 750, 1000, 1050, 100, 1050\"\n"
           "           walkHoles=\"400, 850, 600, 850, 600, 950, 400, 950\"><player/></scene>\n"
           "  </scenes>\n"
           "</game>\n";
}

class SequenceSkip : public GameFixture {
protected:
    Ending ending() const
    {
        return {game.state.flags,   game.state.inventory,          game.sceneNode,
                game.state.visited, game.player->sprite->position, box->position};
    }

    // Plays from `start`, passing every line with Enter, and presses Escape
    // in frame `skipAt` (when given); the ending once the cutscene is over.
    Ending play(const Game::Snapshot &start, std::optional<int> skipAt, int &frames)
    {
        game.restore(start);
        constexpr int longest = 5000;
        for (frames = 0; game.cutscene().running() && frames < longest; ++frames)
            playFrame(game, [&](Game &played) { played.key(skipAt == frames ? "Escape" : "Enter"); });
        EXPECT_FALSE(game.cutscene().running()) << "the cutscene never ended";
        return ending();
    }

    const ESprite *box = nullptr;
};

TEST_F(SequenceSkip, EndsWherePlayingThroughEndsWheneverEscapeComes)
{
    png("box.png", 60, 60);
    png("player.png", 40, 40);
    font("font.ttf");
    std::mt19937 random(20261208);
    for (int game_ = 0; game_ < 40; ++game_) {
        const std::string xml = randomGame(random);
        game.release();
        resetCatalogue();
        start(xml);
        // The cutscene may have left scene 1 in start-up already: the box is
        // found among the game's sprites, where the first placement is.
        box = nullptr;
        for (const ESprite *sprite : game.sprites)
            if (idEquals(sprite->id, "box"))
                box = sprite;
        ASSERT_NE(box, nullptr);
        const Game::Snapshot begun = game.snapshot();
        int frames = 0;
        const Ending through = play(begun, std::nullopt, frames);
        EXPECT_EQ(through.box, sf::Vector2f(500, 700)) << xml;
        for (int skipAt = 0; skipAt <= frames; ++skipAt) {
            int skippedAfter = 0;
            EXPECT_EQ(play(begun, skipAt, skippedAfter), through) << "Escape in frame " << skipAt << " of\n" << xml;
        }
    }
}

} // namespace
