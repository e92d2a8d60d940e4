#include "app/replay/ReplayScript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Kind = ReplayCommand::Kind;

ReplayScript parsed(const std::string &text)
{
    ReplayScript script;
    const std::optional<Diagnostic> error = parseReplayScript(text, script);
    EXPECT_FALSE(error) << renderDiagnostic("test.replay", *error);
    return script;
}

std::string repeated(const std::string &text, std::size_t times)
{
    std::string result;
    for (std::size_t i = 0; i < times; ++i)
        result += text;
    return result;
}

struct BadScript {
    const char *why;
    std::string text;
    std::size_t line, column;
    std::string message;
};

} // namespace

TEST(ReplayScript, ReadsEachCommandWithCommentsBlanksTabsAndWindowsLineEnds)
{
    const ReplayScript script = parsed("# The Study, the door first\n"
                                       "\n"
                                       "at 10 click 550 600          # world coordinates\r\n"
                                       "  at\t40   click 12.25 5e2 right\n"
                                       "at 40 click 1 2 middle\n"
                                       "at 70 shot shots/door-open.png\n"
                                       "at 90 close");
    ASSERT_EQ(script.commands.size(), 5u);
    const ReplayCommand &first = script.commands[0];
    EXPECT_EQ(first.kind, Kind::click);
    EXPECT_EQ(first.frame, 10u);
    EXPECT_EQ(first.point, sf::Vector2f(550, 600));
    EXPECT_EQ(first.button, sf::Mouse::Left) << "left unless a third word says";
    EXPECT_EQ(script.commands[1].frame, 40u);
    EXPECT_EQ(script.commands[1].point, sf::Vector2f(12.25f, 500));
    EXPECT_EQ(script.commands[1].button, sf::Mouse::Right);
    EXPECT_EQ(script.commands[2].frame, 40u) << "several commands may share a frame";
    EXPECT_EQ(script.commands[2].button, sf::Mouse::Middle);
    EXPECT_EQ(script.commands[3].kind, Kind::shot);
    EXPECT_EQ(script.commands[3].file, "shots/door-open.png");
    EXPECT_EQ(script.commands[3].line, 6u);
    EXPECT_EQ(script.commands[3].column, 12u) << "a shot's file is located for later messages";
    EXPECT_EQ(script.commands[4].kind, Kind::close);
    EXPECT_EQ(script.lastFrame(), 90u);

    EXPECT_EQ(parsed("at 1 shot ..door.png\nat 2 shot a..b/x.png\nat 3 shot ./c.png\n").commands.size(), 3u)
        << "\"..\" only as a whole folder name leaves the script's folder";
    EXPECT_EQ(parsed("# nothing to do\n\n").lastFrame(), 0u);
    EXPECT_EQ(parsed("").commands.size(), 0u);
}

TEST(ReplayScript, RecordedLinesReadBackAsTheSameCommands)
{
    const std::vector<ReplayCommand> recorded{
        ReplayCommand::click(0, {687.5f, 300.f}, sf::Mouse::Left),
        ReplayCommand::click(12, {0.1f, 1e-7f}, sf::Mouse::Right),
        ReplayCommand::click(12, {1099.99f, 1100.f}, sf::Mouse::XButton2),
        ReplayCommand::move(13, {250.25f, 0.f}),
        ReplayCommand::close(ReplayScript::maxFrame),
    };
    std::string text;
    for (const ReplayCommand &command : recorded)
        text += formatCommand(command) + "\n";
    EXPECT_EQ(formatCommand(recorded[0]), "at 0 click 687.5 300");
    EXPECT_EQ(formatCommand(recorded[1]), "at 12 click 0.1 1e-07 right");
    EXPECT_EQ(formatCommand(recorded[3]), "at 13 move 250.25 0");

    const ReplayScript script = parsed(text);
    ASSERT_EQ(script.commands.size(), recorded.size());
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        SCOPED_TRACE(formatCommand(recorded[i]));
        EXPECT_EQ(script.commands[i].frame, recorded[i].frame);
        EXPECT_EQ(script.commands[i].kind, recorded[i].kind);
        EXPECT_EQ(script.commands[i].point, recorded[i].point) << "the exact float comes back";
        EXPECT_EQ(script.commands[i].button, recorded[i].button);
    }
}

TEST(ReplayScript, AMalformedLineIsAnErrorAtTheOffendingWordAndGivesNoCommands)
{
    const std::vector<BadScript> cases{
        {"unknown command", "at 1 click 5 5\nat 3 jump 4 4\n", 2, 6, "unknown command \"jump\""},
        {"no \"at\"", "click 5 5\n", 1, 1, "expected \"at FRAME COMMAND\", found \"click\""},
        {"missing frame", "at\n", 1, 3, "\"at\" needs a frame number"},
        {"frame not a number", "at ten click 1 1\n", 1, 4, "\"ten\" is not a frame number"},
        {"negative frame", "at -1 close\n", 1, 4, "\"-1\" is not a frame number"},
        {"frame going backwards", "at 20 click 1 1\n\nat 19 close\n", 3, 4,
         "frame 19 comes before frame 20 of line 1; frames must not go backwards"},
        {"frame past the limit", "at 10000001 close\n", 1, 4, "past the last frame a replay plays, 10000000"},
        {"frame beyond 64 bits", "at 99999999999999999999999 close", 1, 4, "past the last frame"},
        {"missing command", "at 5   # and then?\n", 1, 5, "expected a command after the frame"},
        {"missing y", "at 5 click 100\n", 1, 15, "\"click\" needs a point"},
        {"x not a number", "at 5 click 1,5 7\n", 1, 12, "\"1,5\" is not a number"},
        {"infinite x", "at 5 click inf 7\n", 1, 12, "\"inf\" is not a number"},
        {"not a number as y", "at 5 click 7 nan\n", 1, 14, "\"nan\" is not a number"},
        {"unknown button", "at 5 click 1 2 thumb\n", 1, 16, "unknown button \"thumb\""},
        {"click left of the world", "at 5 click -1e-07 7\n", 1, 12,
         "x is -1e-07, outside the world, which is 0 to 1100 on each axis: no player can make this click"},
        {"click below the world", "at 5 click 7 1100.0001\n", 1, 14, "y is 1100.0001, outside the world"},
        {"click far outside", "at 5 click 3.4e38 7\n", 1, 12, "x is 3.4e38, outside the world"},
        {"move above the world", "at 5 move 250.25 -0.5\n", 1, 18,
         "y is -0.5, outside the world, which is 0 to 1100 on each axis: no player can make this move"},
        {"move without y", "at 5 move 100\n", 1, 14, "\"move\" needs a point"},
        {"move with a button", "at 5 move 1 2 left\n", 1, 15, "unexpected \"left\" after the command"},
        {"word after close", "at 5 close now\n", 1, 12, "unexpected \"now\" after the command"},
        {"shot without a file", "at 5 shot\n", 1, 10, "\"shot\" needs a file name ending in .png"},
        {"shot not a PNG", "at 5 shot door.jpg\n", 1, 11, "must end in .png, not \"door.jpg\""},
        {"shot with a NUL before .png", std::string("at 5 shot game.xml\0.png\n", 24), 1, 19,
         "may not hold control characters"},
        {"shot with an escape", "at 5 shot a\x1b[2J.png\n", 1, 12, "may not hold control characters"},
        {"shot going up", "at 5 shot ../game.png\n", 1, 11, "may not go up with \"..\": \"../game.png\""},
        {"shot going up later", "at 5 shot a/b/../../../c.png\n", 1, 15, "may not go up with \"..\""},
        {"shot ending in ..", "at 5 shot a.png/..\n", 1, 17, "may not go up with \"..\""},
        {"shot from the root", "at 5 shot /etc/a.png\n", 1, 11, "may not start with \"/\""},
        {"command after close", "at 5 close\nat 6 click 1 1\n", 2, 1, "nothing can follow the \"close\" of line 1"},
        {"long word cut short", "at 1 " + std::string(500, 'x') + "\n", 1, 6, "\"" + std::string(40, 'x') + "...\""},
        {"long word cut between characters", "at 1 x" + repeated("\xc3\xa9", 100) + "\n", 1, 6,
         "\"x" + repeated("\xc3\xa9", 39) + "...\""},
    };
    for (const BadScript &bad : cases) {
        SCOPED_TRACE(bad.why);
        ReplayScript script;
        const std::optional<Diagnostic> error = parseReplayScript(bad.text, script);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->line, bad.line);
        EXPECT_EQ(error->column, bad.column);
        EXPECT_NE(error->message.find(bad.message), std::string::npos) << error->message;
        EXPECT_TRUE(script.commands.empty());
    }
}
