#include "e2e/GameFolder.h"
#include "support/EngineRun.h"

#include <SFML/Graphics/Image.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Wrapped, boxed and outlined texts as the engine draws them, judged by the
// pixels of replay shots: a window of 1100 pixels shows the world one unit a
// pixel.

namespace {

// A red note wrapped to 300 units on a blue box, a white word outlined in
// green, and a grey square whose click shows a yellow note wrapped to 250 on
// a blue box. `attributes` holds the new names, so a test can take them out.
std::string document(bool withNewNames)
{
    const std::string wrapped = withNewNames ? R"( wrap="300" box="0, 0, 255, 255" boxPadding="12")" : "";
    const std::string outlined = withNewNames ? R"( outline="0, 255, 0, 255" outlineThickness="3")" : "";
    const std::string clicked = withNewNames ? R"( wrap="250" box="0, 0, 255, 255")" : "";
    return R"(<game entryScene="1" width="1100" height="1100" title="Boxes" fps="30">
  <assets path="assets">
    <sprite id="grey" src="grey.png" position="700, 700" origin="0, 0"/>
    <text id="note" src="DejaVuSans.ttf" size="30" color="255, 0, 0, 255" position="100, 100")" +
           wrapped + R"(>Every line of this note breaks at a blank before it grows wider than three hundred units
and a line break written stays</text>
    <text id="outlined" src="DejaVuSans.ttf" size="40" color="255, 255, 255, 255" position="100, 600")" +
           outlined + R"(>Outlined</text>
    <text id="clicked" src="DejaVuSans.ttf" size="30" color="255, 255, 0, 255")" +
           clicked +
           R"(>A click note wrapped to two hundred and fifty units</text>
  </assets>
  <scenes>
    <scene sceneId="1">
      <note/>
      <outlined/>
      <grey onClickText="clicked" textPosition="600, 100"/>
    </scene>
  </scenes>
</game>
)";
}

struct Area {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool empty() const { return right < 0; }
    void add(int x, int y)
    {
        left = std::min(left, x), top = std::min(top, y);
        right = std::max(right, x + 1), bottom = std::max(bottom, y + 1);
    }
};

// The pixels of `shot` inside [x0, x1) that `wanted` picks.
Area areaOf(const sf::Image &shot, int x0, int x1, const std::function<bool(sf::Color)> &wanted)
{
    Area area;
    for (int y = 0; y < static_cast<int>(shot.getSize().y); ++y)
        for (int x = x0; x < x1; ++x)
            if (wanted(shot.getPixel(static_cast<unsigned>(x), static_cast<unsigned>(y))))
                area.add(x, y);
    return area;
}

bool reddish(sf::Color c)
{
    return c.r > 128 && c.g < 64;
}

bool yellowish(sf::Color c)
{
    return c.r > 128 && c.g > 128 && c.b < 64;
}

bool boxBlue(sf::Color c)
{
    return c == sf::Color::Blue;
}

class TextBoxes : public testing::Test {
protected:
    // Shoots frame 2, then clicks the grey square in frame 3 and shoots that.
    void play(bool withNewNames, const std::vector<std::string> &more = {})
    {
        GameFolder game(document(withNewNames));
        game.image("grey.png", 100, 100, Rgb{128, 128, 128}).font();
        files.write("play.replay", "at 2 shot before.png\nat 3 click 750 750\nat 3 shot clicked.png\nat 4 close\n");
        std::vector<std::string> arguments{"--replay", files.file("play.replay")};
        arguments.insert(arguments.end(), more.begin(), more.end());
        const ProcessResult result = runEngine(game.path(), "", 60, arguments);
        ASSERT_EQ(result.status, 0) << result.err;
        ASSERT_TRUE(before.loadFromFile(files.file("before.png")));
        ASSERT_TRUE(clicked.loadFromFile(files.file("clicked.png")));
        ASSERT_EQ(before.getSize(), sf::Vector2u(1100, 1100));
    }

    TempDir files;
    sf::Image before, clicked;
};

} // namespace

TEST_F(TextBoxes, AWrappedNoteStaysWithinItsWidthOnABoxThatReachesPastItByThePadding)
{
    ASSERT_NO_FATAL_FAILURE(play(true));
    const Area note = areaOf(before, 0, 550, reddish);
    ASSERT_FALSE(note.empty());
    EXPECT_GE(note.left, 100);
    EXPECT_LE(note.right, 400) << "no line is wider than 300 units";
    EXPECT_GT(note.bottom - note.top, 4 * 30) << "the words run over five lines and more";

    const Area box = areaOf(before, 0, 550, boxBlue);
    ASSERT_FALSE(box.empty());
    // The box reaches 12 units past the text's bounds, which hold the ink.
    EXPECT_LE(box.left, note.left - 12);
    EXPECT_LE(box.top, note.top - 12);
    EXPECT_GE(box.right, note.right + 12);
    EXPECT_GE(box.bottom, note.bottom + 12);
    EXPECT_LE(box.right - box.left, 300 + 2 * 12 + 4);
    EXPECT_EQ(before.getPixel(static_cast<unsigned>(box.left - 1), static_cast<unsigned>(box.top + 10)),
              sf::Color::Black);
    // Behind the text, not over it: the letters stay red on the box.
    EXPECT_EQ(before.getPixel(static_cast<unsigned>(box.left + 2), static_cast<unsigned>(box.top + 2)),
              sf::Color::Blue);

    // The click note, placed where the click puts it, wraps to its own width.
    EXPECT_TRUE(areaOf(before, 550, 1100, yellowish).empty());
    const Area shown = areaOf(clicked, 550, 1100, yellowish);
    ASSERT_FALSE(shown.empty());
    EXPECT_GE(shown.left, 600);
    EXPECT_LE(shown.right, 850);
    EXPECT_GT(shown.bottom - shown.top, 2 * 30);
    const Area shownBox = areaOf(clicked, 550, 1100, boxBlue);
    EXPECT_LE(shownBox.left, shown.left - 12);
    EXPECT_GE(shownBox.bottom, shown.bottom + 12);
}

TEST_F(TextBoxes, AnOutlinedTextIsRingedInItsOutlineColour)
{
    ASSERT_NO_FATAL_FAILURE(play(true));
    const Area ring = areaOf(before, 0, 1100, [](sf::Color c) { return c == sf::Color::Green; });
    ASSERT_FALSE(ring.empty());
    const Area word = areaOf(before, 0, 1100, [](sf::Color c) { return c == sf::Color::White; });
    ASSERT_FALSE(word.empty());
    // The ring is round the white letters, a few units wider on each side.
    EXPECT_LT(ring.left, word.left);
    EXPECT_GT(ring.right, word.right);
    EXPECT_LE(word.left - ring.left, 4);
    EXPECT_GE(ring.top, 590);
    EXPECT_LE(ring.bottom, 680);
}

TEST_F(TextBoxes, LargerTextWrapsAgainToTheSameWidthAndGrowsDownwards)
{
    ASSERT_NO_FATAL_FAILURE(play(true));
    const Area plain = areaOf(before, 0, 550, reddish);
    ASSERT_NO_FATAL_FAILURE(play(true, {"--text-scale", "1.5"}));
    const Area larger = areaOf(before, 0, 550, reddish);
    EXPECT_LE(larger.right, 400);
    EXPECT_GT(larger.bottom - larger.top, (plain.bottom - plain.top) * 13 / 10);
}

// The document without the new names, shot by the engine before they
// existed: tests/textbox/plain.png holds its frame 2, plain-clicked.png frame 3.
TEST_F(TextBoxes, ADocumentWithoutTheNewNamesDrawsTheSamePixelsAsBefore)
{
    ASSERT_NO_FATAL_FAILURE(play(false));
    for (const auto &[file, shot] : {std::pair{"plain.png", &before}, std::pair{"plain-clicked.png", &clicked}}) {
        sf::Image stored;
        ASSERT_TRUE(stored.loadFromFile(std::string(TEXTBOX_DIR) + "/" + file));
        ASSERT_EQ(stored.getSize(), shot->getSize());
        int differ = 0;
        for (unsigned y = 0; y < stored.getSize().y; ++y)
            for (unsigned x = 0; x < stored.getSize().x; ++x)
                differ += stored.getPixel(x, y) != shot->getPixel(x, y);
        EXPECT_EQ(differ, 0) << file;
    }
}

// The example's garden: the postbox's pale note runs over the pale moon, and
// its box keeps the moon from behind the letters. The window shows the world
// at 0.8 pixels a unit; the moon is round (656, 144) in pixels, 48 across.
TEST(StudyGarden, ThePaleNoteOverThePaleMoonIsOnItsBox)
{
    if (!std::filesystem::exists(std::string(STUDY_DIR) + "/game.xml"))
        GTEST_SKIP() << "the example is not built";
    TempDir files;
    // Past the garden's fade in, which takes the presses before it ends.
    files.write("garden.replay", "at 3 key Escape\nat 30 click 760 650 right\nat 31 click 760 650 right\n"
                                 "at 34 shot garden.png\nat 35 close\n");
    const ProcessResult result = runEngine(
        files.path(), "", 60,
        {STUDY_DIR, "--scene", "3", "--save-dir", files.file("saves"), "--replay", files.file("garden.replay")});
    ASSERT_EQ(result.status, 0) << result.err;
    sf::Image shot;
    ASSERT_TRUE(shot.loadFromFile(files.file("garden.png")));
    // The moon is pale and warm; the letters are pale and blue.
    auto moonlike = [](sf::Color c) { return c.r > 200 && c.r > c.b + 15; };
    // Where the note and the moon overlap, no pixel is the moon's.
    int moon = 0, box = 0;
    for (unsigned y = 125; y < 165; ++y)
        for (unsigned x = 625; x < 650; ++x) {
            moon += moonlike(shot.getPixel(x, y));
            box += shot.getPixel(x, y).r < 80;
        }
    EXPECT_EQ(moon, 0);
    EXPECT_GT(box, 25 * 40 / 2) << "the box darkens most of it";
    // Right of the box the moon shows as drawn.
    EXPECT_TRUE(moonlike(shot.getPixel(690, 144)));
}
