#include "e2e/EngineSession.h"
#include "e2e/GameFolder.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

namespace {

// The engine waits for Enter once its window has closed or start-up failed;
// ending before that would lose the console the player reads.
void expectStillWaitingForEnter(EngineSession &engine)
{
    const bool ended = pollUntil(0.2, [&] { return !engine.running(); });
    EXPECT_FALSE(ended) << "the engine ended without waiting for Enter";
}

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> all;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        all.push_back(line);
    return all;
}

} // namespace

TEST(EngineWindow, TakesTitleAndSizeFromTheDocumentAndEndsWithStatusZeroAfterCloseAndEnter)
{
    GameFolder game(R"(<game entryScene="1" width="550" height="550" title="E2E" fps="60">
  <assets path="assets">
    <text id="note" src="DejaVuSans.ttf" size="40" color="255, 255, 0, 255">Hello</text>
  </assets>
  <scenes>
    <scene sceneId="1"/>
  </scenes>
</game>
)");
    game.font();
    EngineSession engine(game.path());
    ASSERT_TRUE(engine.waitForWindow("E2E", 550, 550));
    EXPECT_TRUE(engine.waitForScreen("an empty black scene",
                                     [](const Screenshot &shot) { return shot.count(black) == 550 * 550; }));

    engine.sendCloseRequest();
    ASSERT_TRUE(engine.waitForWindowGone());
    expectStillWaitingForEnter(engine);
    engine.pressEnter();
    EXPECT_EQ(engine.waitForExit(), 0);
    EXPECT_EQ(engine.out(), "2552550255") << "a coloured text echoes its colour once, without separators";
}

TEST(EngineWindow, StretchesTheWholeViewOverANonSquareWindowWithAUnicodeTitle)
{
    GameFolder game(R"(<game entryScene="7" width="440" height="330" title="Zweites Fenster – Küche" fps="60">
  <assets path="assets">
    <sprite id="quarter" src="quarter.png" position="550, 550" origin="0, 0"/>
  </assets>
  <scenes>
    <scene sceneId="3"/>
    <scene sceneId="7">
      <quarter/>
    </scene>
  </scenes>
</game>
)");
    game.image("quarter.png", 550, 550, green);
    EngineSession engine(game.path());
    ASSERT_TRUE(engine.waitForWindow("Zweites Fenster – Küche", 440, 330));
    Screenshot shot;
    ASSERT_TRUE(engine.waitForScreen(
        "the green quarter", [](const Screenshot &s) { return s.count(green) > 0; }, &shot));
    // World 1100 units span 440 pixels across and 330 down.
    EXPECT_EQ(shot.boundsOf(green), (PixelRect{220, 165, 440, 330})) << shot.summary();
    EXPECT_EQ(shot.count(green), 220 * 165);
    EXPECT_EQ(engine.closeAndExit(), 0);
    EXPECT_EQ(engine.out(), "");
}

struct StartupFault {
    const char *name;
    const char *document;
    const char *expected;
};

void PrintTo(const StartupFault &fault, std::ostream *out)
{
    *out << fault.name;
}

std::string nameOf(const testing::TestParamInfo<StartupFault> &fault)
{
    return fault.param.name;
}

class StartupErrors : public testing::TestWithParam<StartupFault> {};

TEST_P(StartupErrors, PrintOneLocatedLineAndEndWithStatusOneAfterEnter)
{
    GameFolder game(GetParam().document);
    EngineSession engine(game.path());
    ASSERT_TRUE(engine.waitForStderr(GetParam().expected));
    expectStillWaitingForEnter(engine);
    engine.pressEnter();
    EXPECT_EQ(engine.waitForExit(), 1);

    const std::vector<std::string> written = lines(engine.err());
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(written.back(), GetParam().expected) << "the error is the last thing written";
    int errors = 0;
    for (const std::string &line : written)
        errors += line.find(": error: ") != std::string::npos;
    EXPECT_EQ(errors, 1) << engine.err();
    EXPECT_EQ(engine.out(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Documents, StartupErrors,
    testing::Values(StartupFault{"MissingWidth",
                                 "<?xml version=\"1.0\"?>\n"
                                 "<!-- a game without a width -->\n"
                                 "  <game entryScene=\"1\" height=\"550\" title=\"E2E\" fps=\"60\">\n"
                                 "    <assets path=\"assets\"/>\n"
                                 "    <scenes><scene sceneId=\"1\"/></scenes>\n"
                                 "  </game>\n",
                                 "game.xml:3:3: error: <game> has no \"width\" attribute"},
                    StartupFault{"MissingHeightAfterTabs",
                                 "\n\t\t<game entryScene=\"1\" width=\"550\" title=\"E2E\" fps=\"60\">"
                                 "<assets path=\"assets\"/><scenes><scene sceneId=\"1\"/></scenes></game>\n",
                                 "game.xml:2:3: error: <game> has no \"height\" attribute"}),
    nameOf);
