#include "check/Checker.h"
#include "check/Solver.h"
#include "core/text/StartupError.h"
#include "support/GameFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// Conversations as the checker and the solver judge them: small games built
// to have each finding, with the answers known.

namespace {

// A game whose box starts the conversation "talk"; the goal is the flag
// `won`. Line 1 is the root, the dialogs start on line 7.
std::string talkGame(const std::string &dialogs, const std::string &rootAttributes = "")
{
    return "<game entryScene='1' title='t' width='800' height='600' fps='60' goal='won' " + rootAttributes +
           ">\n<assets path=''>\n<sprite id='box' src='box.png' position='100, 100' origin='0, 0'/>\n"
           "<text id='line' src='f.ttf'>Hello</text>\n</assets>\n<state><flag id='won'/></state>\n<dialogs>\n" +
           dialogs +
           "\n</dialogs>\n<scenes>\n<scene sceneId='1'>\n<box onClickDialog='talk'/>\n</scene>\n</scenes>\n</game>\n";
}

struct Finding {
    std::size_t line;
    std::string code;
};

std::vector<Finding> codesOf(const std::vector<Diagnostic> &found)
{
    std::vector<Finding> codes;
    for (const Diagnostic &finding : found)
        if (finding.code != "explored")
            codes.push_back({finding.line, finding.code});
    return codes;
}

std::string describe(const std::vector<Finding> &findings)
{
    std::string text;
    for (const Finding &finding : findings)
        text += std::to_string(finding.line) + " " + finding.code + "; ";
    return text;
}

class DialogTest : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        png("box.png", 100, 100);
        font("f.ttf");
    }

    SolveReport solve(const std::string &xml)
    {
        start(xml);
        settle(game);
        return Solver(game, 1000).run();
    }
};

} // namespace

TEST_F(DialogTest, TheSolverFindsWhatEachConversationCanAndCannotDo)
{
    struct Case {
        const char *name;
        std::string dialogs;
        bool winnable;
        std::vector<Finding> findings;
    };
    const std::vector<Case> cases{
        {"a choice that wins, a goodbye",
         "<dialog id='talk'><say text='line'/>\n<option id='win' text='line' setFlag='won'/>\n"
         "<option id='bye' text='line' then='stop'/></dialog>",
         true,
         {}},
        {"no way out once the menu shows",
         "<dialog id='talk'><option id='win' text='line' setFlag='won'/>\n<option id='again' text='line'/></dialog>",
         true,
         {{8, "dialog-trap"}}},
        {"a goto into a dialog without an end traps both",
         "<dialog id='talk'><option id='on' text='line' then='goto' to='loop'/>\n"
         "<option id='bye' text='line' then='stop' if='won'/></dialog>\n"
         "<dialog id='loop'><option id='win' text='line' setFlag='won'/></dialog>",
         true,
         {{8, "dialog-trap"}, {9, "option-unreachable"}, {10, "dialog-trap"}}},
        {"a once-only choice empties the menu",
         "<dialog id='talk'><option id='win' text='line' once='true' setFlag='won'/></dialog>",
         true,
         {{8, "dialog-empty"}}},
        {"an option that needs what never happens, a dialog never started",
         "<dialog id='talk'><option id='win' text='line' if='o/other.x' setFlag='won'/>\n"
         "<option id='bye' text='line' then='stop'/></dialog>\n"
         "<dialog id='other'><option id='x' text='line' then='stop'/></dialog>",
         false,
         {{6, "unreachable"}, {8, "option-unreachable"}, {10, "unreachable"}}},
        {"a choice that is only offered after another was chosen",
         "<dialog id='talk'><option id='ask' text='line' once='true'/>\n"
         "<option id='win' text='line' if='o/talk.ask' setFlag='won' then='stop'/>\n"
         "<option id='bye' text='line' then='stop'/></dialog>",
         true,
         {}},
    };
    for (const Case &one : cases) {
        SCOPED_TRACE(one.name);
        const SolveReport report = solve(talkGame(one.dialogs));
        EXPECT_EQ(report.solution.has_value(), one.winnable);
        const std::vector<Finding> found = codesOf(report.findings);
        EXPECT_EQ(describe(found), describe(one.findings));
    }
}

TEST_F(DialogTest, AWalkthroughChoosesRowsByTheirDigitsAndPassesLinesWithAPress)
{
    const SolveReport report =
        solve(talkGame("<dialog id='talk'><say text='line'/>\n<option id='bye' text='line' then='stop'/>\n"
                       "<option id='ask' text='line' once='true'/>\n<option id='win' text='line' if='o/talk.ask' "
                       "setFlag='won'/></dialog>"));
    ASSERT_TRUE(report.solution.has_value());
    std::vector<std::string> steps;
    for (const SolvedPress &press : *report.solution)
        steps.push_back(press.key.empty() ? press.what : "key " + press.key);
    const std::vector<std::string> expected{"press <box> in scene 1", "pass the line \"line\" of \"talk\"", "key 2",
                                            "key 2"};
    EXPECT_EQ(steps, expected);
}

TEST_F(DialogTest, TheCheckerWarnsOfNamesThatLeadNowhereAndMenusThatCannotBeLeftOrSeen)
{
    std::string options;
    for (int i = 0; i < 8; ++i)
        options += "<option id='o" + std::to_string(i) + "' text='line' then='stop'/>";
    const std::string xml = talkGame("<dialog id='talk'><say text='lien'/>\n<option id='on' text='line' "
                                     "then='goto' to='tlak'/>\n<option id='win' text='line' if='o/talk.of'/></dialog>\n"
                                     "<dialog id='long'>" +
                                         options + "</dialog>",
                                     "dialogMenu='40, 700'");
    write(xml);
    std::vector<Finding> found;
    for (const Diagnostic &finding : checkGame(dir.path(), "game.xml", "game.xml"))
        found.push_back(
            {finding.line,
             finding.code + (finding.message.find("did you mean") != std::string::npos ? " (suggested)" : "")});
    const std::vector<Finding> expected{{8, "dialog-no-goodbye"},
                                        {8, "unknown-reference (suggested)"},
                                        {9, "unknown-reference (suggested)"},
                                        {10, "unknown-reference (suggested)"},
                                        {11, "dialog-too-many-rows"}};
    EXPECT_EQ(describe(found), describe(expected));
}

// An option drawn taller than a row runs into the next one: wrapped in its
// font or broken by hand; at a larger text scale the rows grow with the
// size, but a wrapped text wraps again to its width and may outgrow them.
TEST_F(DialogTest, TheCheckerWarnsOfAnOptionTallerThanTheMenusRows)
{
    std::string xml = talkGame("<dialog id='talk'>\n<option id='short' text='line' then='stop'/>\n"
                               "<option id='wrapped' text='long'/>\n<option id='broken' text='lines'/>\n"
                               "<option id='grows' text='grows'/>\n</dialog>",
                               "dialogRowHeight='40'");
    xml.insert(xml.find("</assets>"), "<text id='long' src='f.ttf' size='30' wrap='100'>One two three four</text>\n"
                                      "<text id='lines' src='f.ttf'>a\nb\nc</text>\n"
                                      "<text id='grows' src='f.ttf' wrap='100'>One two three</text>\n");
    write(xml);
    const auto found = [&](float scale) {
        std::vector<Finding> codes;
        for (const Diagnostic &finding : checkGame(dir.path(), "game.xml", "game.xml", scale))
            if (finding.code == "dialog-row-too-short")
                codes.push_back({finding.line, finding.code});
        return describe(codes);
    };
    EXPECT_EQ(found(1.f), describe({{15, "dialog-row-too-short"}, {16, "dialog-row-too-short"}}));
    EXPECT_EQ(found(2.f),
              describe({{15, "dialog-row-too-short"}, {16, "dialog-row-too-short"}, {17, "dialog-row-too-short"}}));
}

TEST_F(DialogTest, TwoDialogsOrTwoOptionsOfOneDialogWithOneIdRefuseToStartAtTheSecond)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"<dialog id='talk'/>\n<dialog id='talk'/>", "9:13: error: a second <dialog> has the id \"talk\""},
        {"<dialog id='talk'><option id='a' text='line'/>\n<option id='a' text='line'/></dialog>",
         "9:13: error: a second <option> of the dialog \"talk\" has the id \"a\""},
        {"<dialog id='talk'><option id='a' text='line' then='goto'/></dialog>",
         "8:19: error: <option> has then=\"goto\" but no \"to\""},
        {"<dialog id='talk.x'/>", "8:13: error: \"id\" is \"talk.x\", which is not an id of a <dialog>"}};
    for (const auto &[dialogs, message] : cases) {
        SCOPED_TRACE(dialogs);
        const std::string refusal = startupRefusal(talkGame(dialogs));
        EXPECT_NE(refusal.find(message), std::string::npos) << (refusal.empty() ? "the game started" : refusal);
    }
}
