#include "check/Checker.h"
#include "core/Game.h"
#include "core/text/StartupError.h"
#include "elements/Catalogue.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Wrapped, boxed and outlined texts as the checker judges them, and their
// values as the engine refuses them.

namespace {

// The text asset is line 3 and the scene child placing it line 6.
std::string document(const std::string &textAttributes, const std::string &placed = "position='500, 100'",
                     const std::string &words = "A note of forty characters, give or take")
{
    return "<game entryScene='1' title='t' width='800' height='600' fps='60'>\n<assets path=''>\n"
           "<text id='t' src='f.ttf' size='30' " +
           textAttributes + ">" + words + "</text>\n</assets><scenes>\n<scene sceneId='1'>\n<t " + placed +
           "/>\n</scene></scenes>\n</game>\n";
}

// The column of `value`'s first character on line 3.
std::size_t columnOf(const std::string &xml, const std::string &value)
{
    const std::size_t line = xml.find("<text");
    return xml.find(value, line) - line + 1;
}

class TextBoxCheck : public testing::Test {
protected:
    TextBoxCheck() { copyFont(dir.file("f.ttf")); }

    std::vector<Diagnostic> check(const std::string &xml, float scale = 1.f) const
    {
        dir.write("game.xml", xml);
        return checkGame(dir.path(), "game.xml", "game.xml", scale);
    }

    std::string engineError(const std::string &xml) const
    {
        dir.write("game.xml", xml);
        resetCatalogue();
        const WorkingDirectory cwd(dir.path());
        Game game;
        game.window = &testWindow();
        game.echo = nullptr;
        try {
            game.start("game.xml");
        } catch (const StartupError &error) {
            return game.describe(error);
        }
        return "";
    }

    TempDir dir;
};

} // namespace

TEST_F(TextBoxCheck, RefusesAValueOutOfRangeOrMalformedAtTheValueAsTheEngineDoes)
{
    // Each value, and the part of it where the reading goes wrong.
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"wrap='0.5'", "0.5"},
        {"wrap='wide'", "wide"},
        {"boxPadding='-1'", "-1"},
        {"outlineThickness='-0.5'", "-0.5"},
        {"box='0, 0, 256, 255'", "256, 255"},
        {"box='0, 0, 255'", "0, 0, 255"},
        {"outline='0, 0, 0, 255, 9'", "9'"},
        {"outline='black'", "black"},
    };
    for (const auto &[attribute, at] : refused) {
        SCOPED_TRACE(attribute);
        const std::string xml = document(attribute);
        const std::string engine = engineError(xml);
        EXPECT_NE(engine.find("game.xml:3:" + std::to_string(columnOf(xml, at)) + ": error: "), std::string::npos)
            << engine;
        std::vector<Diagnostic> errors;
        for (const Diagnostic &finding : check(xml))
            if (finding.severity == Severity::error)
                errors.push_back(finding);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].code, "startup");
        EXPECT_EQ(renderDiagnostic("game.xml", errors[0]), engine);
    }
    // The edges of the ranges play.
    EXPECT_EQ(engineError(document("wrap='1' boxPadding='0' outlineThickness='0' box='0,0,0,0' outline=' 1 , 2,3,4 '")),
              "");
}

TEST_F(TextBoxCheck, WarnsAtTheValueWhenTheWrapIsNarrowerThanTheTextsWidestCharacter)
{
    // A "W" of size 30 is about 29 units wide: 40 holds it, 20 does not, and
    // at --text-scale 2 neither does 40.
    EXPECT_TRUE(check(document("wrap='40'")).empty());
    const std::string narrow = document("wrap='20'");
    const std::vector<Diagnostic> found = check(narrow);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].code, "wrap-too-narrow");
    EXPECT_EQ(found[0].line, 3u);
    EXPECT_EQ(found[0].column, columnOf(narrow, "20'"));
    EXPECT_NE(found[0].message.find("\"wrap\" is 20"), std::string::npos) << found[0].message;
    // A character a line, forty lines: the text also leaves the window.
    std::vector<std::string> codes;
    for (const Diagnostic &finding : check(document("wrap='40'"), 2.f))
        codes.push_back(finding.code);
    EXPECT_EQ(codes, (std::vector<std::string>{"wrap-too-narrow", "text-leaves-window"}));
}

TEST_F(TextBoxCheck, CountsAWrappedTextsLinesWhereItWouldLeaveTheWindow)
{
    // Forty characters of size 60 from x 500 reach far past the window on one
    // line; wrapped to 400 they stay left of 900 in four lines or so, which
    // fit below y 100 and not below y 900.
    EXPECT_EQ(check(document(""), 2.f).size(), 1u);
    EXPECT_TRUE(check(document("wrap='400'"), 2.f).empty());
    const std::vector<Diagnostic> low = check(document("wrap='400'", "position='500, 900'"), 2.f);
    ASSERT_EQ(low.size(), 1u);
    EXPECT_EQ(low[0].code, "text-leaves-window");
    EXPECT_EQ(low[0].line, 6u);
    const std::size_t x = low[0].message.find("reaches to about (");
    ASSERT_NE(x, std::string::npos);
    EXPECT_LE(std::stoi(low[0].message.substr(x + 18)), 900) << low[0].message;
    EXPECT_TRUE(check(document("wrap='400'", "position='500, 900'")).empty()) << "only when scaled";
}
