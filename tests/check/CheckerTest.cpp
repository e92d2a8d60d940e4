#include "check/Checker.h"
#include "check/CheckerText.h"
#include "core/Game.h"
#include "core/text/StartupError.h"
#include "elements/Catalogue.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A document whose assets are on line 3, whose scene tag is line 5 and whose
// scene children are on line 6, so each case can say where its finding is.
std::string document(const std::string &assets, const std::string &children, const std::string &sceneAttributes = "",
                     const std::string &rootAttributes = "width='800' height='600' fps='60'")
{
    return "<game entryScene='1' title='t' " + rootAttributes + ">\n<assets path=''>\n" + assets +
           "\n</assets><scenes>\n<scene sceneId='1' " + sceneAttributes + ">\n" + children +
           "\n</scene></scenes>\n</game>\n";
}

// A game folder with one good file of each kind and one broken file of each.
class CheckedFolder {
public:
    CheckedFolder()
    {
        writePng(dir.file("a.png"), 8, 8, sf::Color::Red);
        copyFont(dir.file("f.ttf"));
        writeTone(dir.file("s.wav"), 0.1, 440, 0.5);
        for (const char *broken : {"broken.png", "broken.ttf", "broken.wav"})
            dir.write(broken, "not what the name says");
    }

    std::vector<Diagnostic> check(const std::string &xml) const
    {
        dir.write("game.xml", xml);
        return checkGame(dir.path(), "game.xml", "game.xml");
    }

    // The engine's own start-up on the document, in this process: its
    // error as it prints it, or the empty string when the game starts.
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

// "LINE SEVERITY CODE" for each finding: what the corpus pins.
std::vector<std::string> summary(const std::vector<Diagnostic> &findings)
{
    std::vector<std::string> lines;
    for (const Diagnostic &finding : findings)
        lines.push_back(std::to_string(finding.line) + (finding.severity == Severity::error ? " error " : " warning ") +
                        finding.code);
    return lines;
}

std::vector<Diagnostic> errorsIn(const std::vector<Diagnostic> &findings)
{
    std::vector<Diagnostic> errors;
    for (const Diagnostic &finding : findings)
        if (finding.severity == Severity::error)
            errors.push_back(finding);
    return errors;
}

struct Case {
    const char *name;
    std::string xml;
    std::vector<std::string> expected;
};

const std::string sprite = "<sprite id='a' src='a.png'/>";

} // namespace

TEST(Checker, EachSlipGivesItsOneWarningAtItsLine)
{
    const Case corpus[] = {
        {"pair without blank",
         document("<sprite id='a' src='a.png' position='1,2'/>", "<a/>"),
         {"3 warning pair-syntax"}},
        {"pair of one number", document(sprite, "<a scale='2'/>"), {"6 warning pair-syntax"}},
        {"label naming no text", document(sprite, "<a hoverText='sign'/>"), {"6 warning unknown-reference"}},
        {"cursor naming no sprite",
         document(sprite, "<a hoverCursor='a'/>", "", "width='800' height='600' fps='60' cursor='hand'"),
         {"1 warning unknown-reference"}},
        {"pair of words", document(sprite, "<a origin='left, top'/>"), {"6 warning pair-syntax"}},
        {"colour without blanks",
         document("<text id='t' src='f.ttf' color='10,20,30,40'/>", "<t/>"),
         {"3 warning list-syntax"}},
        {"colour of three",
         document("<text id='t' src='f.ttf' color='255, 0, 0'/>", "<t/>"),
         {"3 warning list-syntax"}},
        {"colour past 255",
         document("<text id='t' src='f.ttf' color='300, 0, 0, 255'/>", "<t/>"),
         {"3 warning out-of-range"}},
        {"integer in words", document(sprite, "<a rotation='ninety'/>"), {"6 warning number-syntax"}},
        {"integer with unit", document("<text id='t' src='f.ttf' size='20px'/>", "<t/>"), {"3 warning number-syntax"}},
        {"decimal in words",
         document("<audio id='s' src='s.wav' volume='loud'/>", "", "music='s'"),
         {"3 warning number-syntax"}},
        {"root integer with unit",
         document(sprite, "<a/>", "", "width='800px' height='600' fps='60'"),
         {"1 warning number-syntax"}},
        {"volume past 100",
         document("<audio id='s' src='s.wav' volume='150'/>", "", "music='s'"),
         {"3 warning out-of-range"}},
        {"pitch of 0",
         document(sprite + "<audio id='s' src='s.wav'/>", "<a onClickAudio='s' pitch='0'/>"),
         {"6 warning out-of-range"}},
        {"text size below 0", document("<text id='t' src='f.ttf' size='-1'/>", "<t/>"), {"3 warning out-of-range"}},
        {"text size past the cap",
         document("<text id='t' src='f.ttf'/>", "<t size='5000'/>"),
         {"6 warning out-of-range"}},
        {"speed below 0", document("<player src='a.png' speed='-1'/>", "<player/>"), {"3 warning out-of-range"}},
        {"limit outside the world", document(sprite, "<a/>", "lowerLevelLimit='1200'"), {"5 warning out-of-range"}},
        {"left past right",
         document(sprite, "<a/>", "leftLevelLimit='700' rightLevelLimit='600'"),
         {"5 warning out-of-range"}},
        {"upper past the window height", document(sprite, "<a/>", "upperLevelLimit='700'"), {"5 warning out-of-range"}},
        {"attribute in the wrong case",
         document("<sprite id='a' src='a.png' Position='1, 2'/>", "<a/>"),
         {"3 warning unknown-attribute"}},
        {"attribute nobody reads", document(sprite, "<a colour='red'/>"), {"6 warning unknown-attribute"}},
        {"root attribute nobody reads",
         document(sprite, "<a/>", "", "width='800' height='600' fps='60' fsp='1'"),
         {"1 warning unknown-attribute"}},
        {"asset kind misspelt", document("<sprit id='a' src='a.png'/>", ""), {"3 warning unknown-element"}},
        {"sprite id twice", document(sprite + "\n" + sprite, "<a/>"), {"4 warning duplicate-id"}},
        {"audio id twice",
         document("<audio id='s' src='s.wav'/>\n\n<audio id='s' src='s.wav'/>", "", "music='s'"),
         {"5 warning duplicate-id"}},
        {"asset without id", document("<text src='f.ttf'/>", ""), {"3 warning missing-id"}},
        {"two players",
         document("<player src='a.png'/>\n<player src='a.png'/>\n<player src='a.png'/>", "<player/>"),
         {"4 warning player", "5 warning player"}},
        {"player placed but never declared", document(sprite, "<a/><player/>"), {"6 warning player"}},
        {"missing image", document("<sprite id='a' src='nothere.png'/>", "<a/>"), {"3 warning missing-file"}},
        {"directory as image", document("<sprite id='a' src='.'/>", "<a/>"), {"3 warning missing-file"}},
        {"sprite without image", document("<sprite id='a'/>", "<a/>"), {"3 warning missing-src"}},
        {"text without font", document("<text id='t'>Hi</text>", "<t/>"), {"3 warning missing-src"}},
        {"broken image", document("<sprite id='a' src='broken.png'/>", "<a/>"), {"3 warning unreadable-file"}},
        {"broken font", document("<text id='t' src='broken.ttf'/>", "<t/>"), {"3 warning unreadable-file"}},
        {"broken sound", document("<audio id='s' src='broken.wav'/>", "", "music='s'"), {"3 warning unreadable-file"}},
        {"image used as font", document("<text id='t' src='a.png'/>", "<t/>"), {"3 warning unreadable-file"}},
        {"unknown click sound", document(sprite, "<a onClickAudio='knock'/>"), {"6 warning unknown-reference"}},
        {"unknown click text", document(sprite, "<a onClickText='note'/>"), {"6 warning unknown-reference"}},
        {"unknown music", document(sprite, "<a/>", "music='theme'"), {"5 warning unknown-reference"}},
        {"child placing nothing", document(sprite, "<a/>\n<b/>"), {"7 warning unknown-reference"}},
        {"attribute twice",
         document("<sprite id='a' src='a.png' position='1, 1' position='2, 2'/>", "<a/>"),
         {"3 warning duplicate-attribute"}},
        {"fps of -1", document(sprite, "<a/>", "", "width='800' height='600' fps='-1'"), {"1 warning no-limit"}},
        {"goal won before any press",
         document(sprite, "<a/>", "", "width='800' height='600' fps='60' goal='v/1'"),
         {"1 warning goal-at-start"}},
        {"scene without id after the entry scene", document(sprite, "<a/></scene>\n<scene>"), {"7 warning missing-id"}},
        {"scene id twice", document(sprite, "<a/></scene>\n<scene sceneId='1'>"), {"7 warning duplicate-scene"}},
        {"flag used but not declared", document(sprite, "<a if='lampOn'/>"), {"6 warning undeclared"}},
        {"item given but not declared", document(sprite, "<a giveItem='key'/>"), {"6 warning undeclared"}},
        {"door to no scene", document(sprite, "<a onClickScene='9'/>"), {"6 warning unknown-reference"}},
        {"entrance from no scene",
         document("<player src='a.png'/>", "<player fromScene='9'/>"),
         {"6 warning unknown-reference"}},
        {"condition on the player", document("<player src='a.png'/>", "<player if='v/1'/>"), {"6 warning player"}},
        {"use under the player",
         document("<player src='a.png'/>", "<player><use item='*'/></player>"),
         {"6 warning unknown-reference"}},
        {"walkTo outside the limits",
         document(sprite, "<a onClickScene='1' walkTo='900, 10'/>"),
         {"6 warning out-of-range"}},
        {"walkTo outside the limits, no door", document(sprite, "<a walkTo='900, 10'/>"), {"6 warning out-of-range"}},
        {"unknown item icon",
         "<game entryScene='1' title='t' width='800' height='600' fps='60'>\n"
         "<assets path=''/><state>\n<item id='k' icon='nope'/></state>\n"
         "<scenes><scene sceneId='1'/></scenes></game>",
         {"3 warning unknown-reference"}},
        {"click sound on a text",
         document("<text id='t' src='f.ttf'/><audio id='s' src='s.wav'/>", "<t onClickAudio='s'/>"),
         {"6 warning never-pressed"}},
        {"door and label on a text",
         document("<text id='t' src='f.ttf'/>", "<t onClickScene='1' hoverText='t'/>"),
         {"6 warning never-pressed", "6 warning never-pressed"}},
        {"quiet: a text placed and shown by a condition",
         document("<text id='t' src='f.ttf'/>", "<t if='v/1' position='1, 2' size='20'/>"),
         {}},
        {"quiet: a sprite and a text of one name, pressed as the sprite",
         document(sprite + "<text id='a' src='f.ttf'/>", "<a onClickText='a'/>"),
         {}},
        {"condition on a scene that does not exist",
         document(sprite, "<a if='v/1, !v/9'/>"),
         {"6 warning unknown-reference"}},
        {"goal on a scene that does not exist",
         document(sprite, "<a/>", "", "width='800' height='600' fps='60' goal='v/7'"),
         {"1 warning unknown-reference"}},
        {"quiet: a use's condition on a later scene",
         document(sprite, "<a><use item='*' if='v/2'/></a></scene>\n<scene sceneId='2'>"),
         {}},
        {"flag declared twice",
         "<game entryScene='1' title='t' width='800' height='600' fps='60'>\n"
         "<assets path=''/><state>\n<flag id='f'/>\n<flag id='f' set='true'/></state>\n"
         "<scenes><scene sceneId='1'/></scenes></game>",
         {"4 warning duplicate-id"}},
        {"item declared twice, in a second state",
         "<game entryScene='1' title='t' width='800' height='600' fps='60'>\n"
         "<assets path=''/><state>\n<item id='k'/></state>\n<state><item id='k'/></state>\n"
         "<scenes><scene sceneId='1'/></scenes></game>",
         {"4 warning duplicate-section", "4 warning duplicate-id"}},
        {"quiet: a flag and an item of one name",
         "<game entryScene='1' title='t' width='800' height='600' fps='60'>\n"
         "<assets path=''/><state>\n<flag id='k'/><item id='k'/></state>\n"
         "<scenes><scene sceneId='1'/></scenes></game>",
         {}},
        {"invalid saveName before the state",
         "<game entryScene='1' title='t' width='800' height='600' fps='60' saveName='my game' goal='lamp'>\n"
         "<assets path=''/><state>\n<flag id='lamp'/></state>\n"
         "<scenes><scene sceneId='1'/></scenes></game>",
         {"1 error startup"}},
        {"cell larger than the image",
         document("<sprite id='a' src='a.png' frameSize='16, 4'/>", "<a/>"),
         {"3 warning animation"}},
        {"cell past the image",
         document("<sprite id='a' src='a.png' frameSize='4, 4' frames='0, 3, 4'/>", "<a/>"),
         {"3 warning animation"}},
        {"scene child's cell past the image",
         document("<sprite id='a' src='a.png' frameSize='4, 4'/>", "<a frames='1, 5'/>"),
         {"6 warning animation"}},
        {"walk cell past the image",
         document("<player src='a.png' frameSize='4, 8' walkDown='0, 1, 2'/>", "<player/>"),
         {"3 warning animation"}},
        {"quiet: cells that fit, whole and cut short",
         document("<sprite id='a' src='a.png' frameSize='3, 3' frames='0, 3'/><sprite id='b' src='a.png' "
                  "frameSize='8, 8' frames='0'/>",
                  "<a frames='2'/><b/>"),
         {}},
        {"door right of the world",
         document(sprite, "<a position='1105, 10' onClickScene='1'/>"),
         {"6 warning outside-world"}},
        {"door above the world, a cell high",
         document("<sprite id='a' src='a.png' frameSize='4, 4'/>", "<a position='10, -5' onClickScene='1'/>"),
         {"6 warning outside-world"}},
        {"quiet: turned back into the world",
         document(sprite, "<a position='1105, 10' rotation='180' onClickScene='1'/>"),
         {}},
        {"quiet: flipped back into the world",
         document(sprite, "<a position='1150, 10' scale='-10, 1' onClickScene='1'/>"),
         {}},
        {"quiet: the whole image reaches into the world",
         document(sprite, "<a position='10, -5' onClickScene='1'/>"),
         {}},
        {"quiet: outside, but nothing to press", document(sprite, "<a position='1200, 10'/>"), {}},
        {"inventory slot right of the world",
         "<game entryScene='1' title='t' width='800' height='600' fps='60'>\n<assets path=''>" + sprite +
             "</assets><state><item id='x' held='true'/><item id='y' held='true'/><item id='z'/></state>\n"
             "<inventory position='1000, 0' slotSize='50, 50' columns='3'/>\n"
             "<scenes><scene sceneId='1'><a giveItem='z'/></scene></scenes></game>",
         {"3 warning outside-world"}},
        {"quiet: inventory slots wrapping in time, the last bar counting",
         "<game entryScene='1' title='t' width='800' height='600' fps='60'>\n"
         "<assets path=''/><state><item id='x' held='true'/><item id='y' held='true'/><item id='z' held='true'/>"
         "</state>\n<inventory position='2000, 0' slotSize='50, 50'/>\n"
         "<inventory position='1000, 0' slotSize='50, 50' columns='2'/><scenes><scene sceneId='1'/></scenes></game>",
         {}},
        {"quiet: a bar outside, but nothing to hold",
         "<game entryScene='1' title='t' width='800' height='600' fps='60'>\n"
         "<assets path=''/><inventory position='2000, 0' slotSize='50, 50'/>\n"
         "<scenes><scene sceneId='1'/></scenes></game>",
         {}},
    };
    const CheckedFolder folder;
    for (const Case &slip : corpus) {
        SCOPED_TRACE(slip.name);
        EXPECT_EQ(summary(folder.check(slip.xml)), slip.expected);
    }
}

TEST(Checker, FindsTheSixSlipsOfANewAuthorInOneRun)
{
    const CheckedFolder folder;
    const std::vector<Diagnostic> findings =
        folder.check(R"(<game entryScene="1" width="880" height="880" title="t" fps="60">
  <assets path="">
    <sprite id="door" src="a.png" position="100,200"/>
    <audio id="knock" src="s.wav"/>
    <audio id="music" src="s.wav"/>
    <text id="locked" src="f.ttf" colour="255, 230, 180, 255">Locked.</text>
  </assets>
  <scenes>
    <scene sceneId="1" music="musik">
      <door onClickAudio="knok" onclicktext="locked"/>
      <dor/>
    </scene>
  </scenes>
</game>
)");
    EXPECT_EQ(summary(findings),
              (std::vector<std::string>{"3 warning pair-syntax", "6 warning unknown-attribute",
                                        "9 warning unknown-reference", "10 warning unknown-reference",
                                        "10 warning unknown-attribute", "11 warning unknown-reference"}));
    ASSERT_EQ(findings.size(), 6u);
    EXPECT_EQ(renderDiagnostic("game.xml", findings[3], true),
              "game.xml:10:27: warning: \"onClickAudio\" names \"knok\", but no <audio> has that id; did you mean "
              "\"knock\"? [unknown-reference]");
    EXPECT_EQ(renderDiagnostic("game.xml", findings[0]),
              "game.xml:3:45: warning: \"position\" is not written \"x, y\": \"100,200\" reads as (100, 0); write "
              "\"100, 200\"");
    EXPECT_NE(findings[4].message.find("did you mean \"onClickText\"?"), std::string::npos);
    EXPECT_NE(findings[5].message.find("did you mean <door>?"), std::string::npos);
    EXPECT_EQ(findings[5].column, 7u) << "an element-level finding points at the '<'";
}

TEST(Checker, ARepeatedIdNamesTheFirstAssetThatHasItAmongMany)
{
    const CheckedFolder folder;
    std::string assets;
    for (const char *id : {"m", "b", "zz", "b", "a", "b", "zz"})
        assets += "<sprite id='" + std::string(id) + "' src='a.png'/>\n";
    const std::vector<Diagnostic> findings = folder.check(document(assets, "<a/><b/><m/><zz/><zy/>"));
    std::vector<std::string> messages;
    for (const Diagnostic &finding : findings)
        messages.push_back(std::to_string(finding.line) + " " + finding.message);
    EXPECT_EQ(messages,
              (std::vector<std::string>{
                  "6 the <sprite> at line 4 has the id \"b\" too; a scene child <b> places both",
                  "8 the <sprite> at line 4 has the id \"b\" too; a scene child <b> places both",
                  "9 the <sprite> at line 5 has the id \"zz\" too; a scene child <zz> places both",
                  "13 <zy> matches no sprite, text or the player, so it places nothing; did you mean <zz>?"}));
}

TEST(Checker, ReportsTheEngineStartupErrorWithItsMessageAndPlace)
{
    const std::string root = "<g entryScene='1' width='10' height='10' title='t' fps='1'>";
    const std::vector<std::pair<const char *, std::string>> refused = {
        {"malformed", root + "\n<assets path=''>\n</g>"},
        {"not xml", "just some words"},
        {"empty", ""},
        {"no assets", "<g>\n  <scenes/>\n</g>"},
        {"no scenes", "\n <g><assets path=''/></g>"},
        {"no entryScene", "<g width='1' height='1' title='t' fps='1'><assets path=''/><scenes/></g>"},
        {"no title", "<g entryScene='1' width='1' height='1' fps='1'><assets path=''/><scenes/></g>"},
        {"no path", root + "\n\n    <assets/><scenes><s sceneId='1'/></scenes></g>"},
        {"zero width", "<g entryScene='1' width='0' height='1' title='t' fps='1'><assets path=''/><scenes/></g>"},
        {"huge height", "<g entryScene='1' width='10' height='99999' title='t' fps='1'><assets path=''/><scenes/></g>"},
        {"keyboard play not a boolean",
         "<g entryScene='1' width='10' height='10' title='t' fps='1' keyboardPlay='yes'><assets path=''/><scenes>"
         "<s sceneId='1'/></scenes></g>"},
        {"save name past 64 characters", "<g entryScene='1' width='10' height='10' title='t' fps='1' saveName='" +
                                             std::string(65, 's') +
                                             "'><assets path=''/><scenes><s sceneId='1'/></scenes></g>"},
        {"negative fps", "<g entryScene='1' width='10' height='10' title='t' fps='-5'><assets path=''/><scenes/></g>"},
        {"no such scene", root + "<assets path=''/>\n<scenes><s sceneId='2'/></scenes></g>"},
        {"scene without id before the entry", root + "<assets path=''/><scenes>\n<s/><s sceneId='1'/></scenes></g>"},
        {"nul byte", root + std::string("\n  \0", 4) + "<assets path=''/><scenes/></g>"},
        {"deep nesting", "<a>\n" + std::string(300 * 3, ' ') +
                             [] {
                                 std::string deep;
                                 for (int i = 0; i < 300; ++i)
                                     deep += "<b>";
                                 return deep;
                             }()},
    };
    const CheckedFolder folder;
    for (const auto &[name, xml] : refused) {
        SCOPED_TRACE(name);
        const std::string engine = folder.engineError(xml);
        const std::vector<Diagnostic> errors = errorsIn(folder.check(xml));
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_FALSE(engine.empty()) << "the engine refuses it";
        EXPECT_EQ(renderDiagnostic("game.xml", errors[0]), engine);
    }
}

TEST(Checker, WarnsWhereAScaledTextWouldLeaveTheWindowOnlyWhenScaled)
{
    // 20 characters of 30 units from x 500 reach about 860 at 1 and 1220 at 2; the
    // label shown at its own position reaches below the window at 2.
    const std::string xml = document("<text id='t' src='f.ttf' size='30'>twenty characters...</text>\n"
                                     "<text id='label' src='f.ttf' position='500, 1080'>Door</text>" +
                                         sprite,
                                     "<t position='500, 100'/><a hoverText='label'/>");
    const CheckedFolder folder;
    EXPECT_TRUE(folder.check(xml).empty());
    TempDir dir;
    copyFont(dir.file("f.ttf"));
    writePng(dir.file("a.png"), 8, 8, sf::Color::Red);
    dir.write("game.xml", xml);
    EXPECT_EQ(summary(checkGame(dir.path(), "game.xml", "game.xml", 2.f)),
              (std::vector<std::string>{"4 warning text-leaves-window", "7 warning text-leaves-window"}));
}

TEST(Checker, GivesNoErrorForDocumentsTheEnginePlays)
{
    const std::vector<std::pair<const char *, std::string>> played = {
        {"fps of -1", document(sprite, "<a/>", "", "width='800' height='600' fps='-1'")},
        {"assets the engine skips", document("<sprite src='a.png'/><sprit id='b'/>", "<a/>")},
        {"scene without id after the entry", document(sprite, "<a/></scene><scene>")},
        {"scene id twice", document(sprite, "<a/></scene><scene sceneId='1'>")},
        {"player never declared", document(sprite, "<player/>")},
        {"missing and broken files", document("<sprite id='a' src='nothere.png'/><text id='t' src='broken.ttf'/>"
                                              "<audio id='s' src='broken.wav'/>",
                                              "<a onClickAudio='s' onClickText='t'/>", "music='s'")},
        {"slips in values", document("<sprite id='a' src='a.png' position='1,2' rotation='x'/>", "<a size='0'/>",
                                     "leftLevelLimit='5000'")},
    };
    const CheckedFolder folder;
    for (const auto &[name, xml] : played) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(errorsIn(folder.check(xml)).empty());
        EXPECT_EQ(folder.engineError(xml), "");
    }
}

TEST(Checker, KeepsWarningsBesideTheStartupError)
{
    const CheckedFolder folder;
    const std::vector<Diagnostic> findings = folder.check(
        document("<sprite id='a' src='a.png' positon='1, 2'/>", "<b/>", "", "width='0' height='1' fps='1'"));
    EXPECT_EQ(summary(findings), (std::vector<std::string>{"1 error startup", "3 warning unknown-attribute",
                                                           "6 warning unknown-reference"}));
}

TEST(Checker, FindsNothingInTheExampleGame)
{
    const std::vector<Diagnostic> findings = checkGame(STUDY_DIR, "game.xml", "game.xml");
    for (const Diagnostic &finding : findings)
        ADD_FAILURE() << renderDiagnostic("game.xml", finding, true);
}

TEST(Checker, QuietOnSchemaAttributesAndCorrectValues)
{
    const CheckedFolder folder;
    const std::string xml =
        "<game xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' xsi:noNamespaceSchemaLocation='game.xsd' "
        "entryScene='1' title='t' width='800' height='600' fps='0'>\n<assets path='.'>\n"
        "<sprite id='a' src='a.png' position=' -1.5, 2e2' scale='1, 1' rotation='-90'/>"
        "<text id='t' src='f.ttf' size='2048' color='0, 0, 0, 0,'>x</text><audio id='s' src='s.wav' volume='0' "
        "pitch='0.1'/><player src='a.png' speed='0'/>\n</assets><scenes>\n"
        "<scene sceneId='1' music='s' leftLevelLimit='0' rightLevelLimit='1100' lowerLevelLimit='1100'>\n"
        "<a onClickAudio='s' onClickText='t' textPosition='1, 1' src=''/><t/><player speed='3'/>\n"
        "</scene></scenes>\n</game>\n";
    EXPECT_EQ(summary(folder.check(xml)), std::vector<std::string>{});
}

TEST(CheckerText, SuggestsOnlyNamesThatAreNear)
{
    const std::vector<std::string_view> ids{"door", "knock", "music", "ab"};
    Suggestions suggestions;
    EXPECT_EQ(suggestions.didYouMean("DOOR", ids, quote), "; did you mean \"door\"?");
    EXPECT_EQ(suggestions.didYouMean("knok", ids, quote), "; did you mean \"knock\"?");
    EXPECT_EQ(suggestions.didYouMean("musc", ids, tag), "; did you mean <music>?");
    EXPECT_EQ(suggestions.didYouMean("window", ids, quote), "") << "too far from any";
    EXPECT_EQ(suggestions.didYouMean("xy", ids, quote), "") << "two edits change every letter of a short name";
    EXPECT_EQ(suggestions.didYouMean(std::string(500, 'd'), ids, quote), "");
    EXPECT_EQ(editDistance("colour", "color"), 1u);
    EXPECT_EQ(suggestions.cutShort(), 0u);
    Suggestions spent(10);
    EXPECT_EQ(spent.didYouMean("knok", ids, quote), "") << "the budget runs out before \"knock\"";
    EXPECT_EQ(spent.didYouMean("DOOR", ids, quote), "");
    EXPECT_EQ(spent.cutShort(), 2u) << "each search the budget ended is counted";
    EXPECT_EQ(quote(std::string(100, 'x')), "\"" + std::string(60, 'x') + "...\"");
}

TEST(Checker, QuotesTheDocumentWithControlCharactersEscaped)
{
    const CheckedFolder folder;
    const std::vector<Diagnostic> findings = folder.check(document(sprite, "<a onClickAudio='kn&#27;[2Jock'/>"));
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(renderDiagnostic("game.xml", findings[0]),
              "game.xml:6:18: warning: \"onClickAudio\" names \"kn\\x1b[2Jock\", but no <audio> has that id");
}

// The report is passed on as the walk goes, so the order must come from the
// walk itself: sections in any order, names used before they are declared,
// and findings of the engine's own beside the checker's.
TEST(Checker, PassesFindingsOnInLineOrderWhateverTheSectionsOrder)
{
    const CheckedFolder folder;
    const std::string xml = "<game entryScene='1' title='t' width='800' height='600' fps='60' cursor='hnd'>\n"
                            "<scenes><scene sceneId='1'>\n"
                            "<dor flavour='x'/>\n"
                            "<door position='1,2'/>\n"
                            "</scene></scenes>\n"
                            "<assets path=''>\n"
                            "<sprite id='door' src='a.png' origin='1,2'/>\n"
                            "<sprite id='hand' src='gone.png'/>\n"
                            "</assets>\n"
                            "<state><flg id='f'/></state>\n"
                            "</game>\n";
    const std::vector<std::string> expected{"1 warning unknown-reference", "3 warning unknown-reference",
                                            "3 warning unknown-attribute", "4 warning pair-syntax",
                                            "7 warning pair-syntax",       "8 warning missing-file",
                                            "10 warning unknown-element"};
    EXPECT_EQ(summary(folder.check(xml)), expected);
    std::vector<Diagnostic> streamed;
    checkGame(folder.dir.path(), "game.xml", "game.xml", 1.f,
              [&](const Diagnostic &finding) { streamed.push_back(finding); });
    EXPECT_EQ(summary(streamed), expected);
}

TEST(FindingOrder, HoldsOnlyWhatALaterFindingMayStillOvertake)
{
    std::vector<std::string> passed;
    FindingOrder order([&](const Diagnostic &finding) { passed.push_back(finding.message); });
    order.add({Severity::warning, 5, 9, "c", "5:9"});
    order.add({Severity::warning, 3, 1, "c", "3:1 first"});
    order.add({Severity::error, 3, 1, "c", "3:1 second"});
    order.add({Severity::warning, 7, 1, "c", "7:1"});
    order.settle(5);
    EXPECT_EQ(passed, (std::vector<std::string>{"3:1 first", "3:1 second"}));
    order.add({Severity::warning, 5, 2, "c", "5:2"});
    order.settle(6);
    EXPECT_EQ(passed, (std::vector<std::string>{"3:1 first", "3:1 second", "5:2", "5:9"}));
    order.finish();
    EXPECT_EQ(passed.back(), "7:1");
    EXPECT_EQ(passed.size(), 5u);
}
