#include "elements/EText.h"
#include "support/GameFixture.h"

namespace {

class TextElement : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        font("f.ttf");
    }

    // Builds the first text asset of `assets`, placed by nothing.
    EText *build(const std::string &asset)
    {
        load(gameXml(asset, ""));
        return textCatalogue.at(0);
    }
};

} // namespace

TEST_F(TextElement, TakesItsContentFromCharacterData)
{
    load(gameXml("<text id='a' src='f.ttf'>  Hello </text><text id='b' src='f.ttf'></text>"
                 "<text id='c' src='f.ttf'>  \n </text><text id='d' src='f.ttf'>Caf\xC3\xA9 &amp; co</text>",
                 ""));
    EXPECT_EQ(textCatalogue[0]->string, "  Hello ");
    EXPECT_EQ(textCatalogue[0]->drawable.getString(), "  Hello ");
    EXPECT_EQ(textCatalogue[1]->string, "[missing]");
    EXPECT_EQ(textCatalogue[2]->string, "[missing]");
    EXPECT_EQ(textCatalogue[3]->drawable.getString().getSize(), 9u) << "UTF-8 is decoded: é is one character";
}

TEST_F(TextElement, ReadsSizeFontAndPosition)
{
    EText *text = build("<text id='a' src='f.ttf' position='30, 40'>x</text>");
    EXPECT_EQ(text->characterSize, 15);
    EXPECT_EQ(text->drawable.getCharacterSize(), 15u);
    EXPECT_EQ(text->drawable.getFont(), &text->font);
    EXPECT_EQ(text->font.getInfo().family, "DejaVu Sans");
    EXPECT_EQ(text->drawable.getPosition(), sf::Vector2f(30, 40));
    EXPECT_EQ(text->position, sf::Vector2f(30, 40));
    EXPECT_FALSE(text->visible);
}

TEST_F(TextElement, EchoesItsColourOncePerObjectBuilt)
{
    testing::internal::CaptureStdout();
    load(gameXml("<text id='a' src='f.ttf' color='255, 0, 0, 128, '>x</text><text id='b' src='f.ttf'>y</text>"
                 "<text id='c' src='f.ttf' color='256, -1, 7'>z</text>",
                 "<a/><a/>"));
    game.activateScene(1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "25500128"
                                                      "256-170"
                                                      "25500128");
    EXPECT_EQ(textCatalogue[0]->color, sf::Color(255, 0, 0, 128));
    EXPECT_EQ(textCatalogue[0]->drawable.getFillColor(), sf::Color(255, 0, 0, 128));
    EXPECT_EQ(textCatalogue[1]->color, sf::Color::White);
    EXPECT_EQ(textCatalogue[2]->color, sf::Color(0, 255, 7, 255))
        << "components keep their low eight bits, and a colour without alpha is opaque";
}

TEST_F(TextElement, SceneChildAdjustsContentPositionAndSize)
{
    EText *text = build("<text id='a' src='f.ttf' size='20' position='1, 2'>asset</text>");
    ParsedXml children("<s><a position='5, 6'>mine</a><b textPosition='7, 8' position='9, 9' size='33'/>"
                       "<c size='-4'/><d size='5000'/><e size='x'/></s>");
    text->applySceneNode(children.find("a"));
    EXPECT_EQ(text->string, "mine");
    EXPECT_EQ(text->position, sf::Vector2f(5, 6));
    EXPECT_EQ(text->drawable.getCharacterSize(), 20u);
    text->applySceneNode(children.find("b"));
    EXPECT_EQ(text->string, "mine") << "no character data keeps the content";
    EXPECT_EQ(text->drawable.getPosition(), sf::Vector2f(7, 8)) << "textPosition wins over position";
    EXPECT_EQ(text->drawable.getCharacterSize(), 33u);
    text->applySceneNode(children.find("c"));
    EXPECT_EQ(text->drawable.getCharacterSize(), 33u) << "a negative size is refused";
    text->applySceneNode(children.find("d"));
    EXPECT_EQ(text->drawable.getCharacterSize(), 33u) << "an absurd size is refused";
    text->applySceneNode(children.find("e"));
    EXPECT_EQ(text->drawable.getCharacterSize(), 0u) << "text without digits reads as 0";
}

TEST_F(TextElement, SrcOnASceneChildReloadsTheTextsOwnFont)
{
    EText *text = build("<text id='a' src='late.ttf'>x</text>");
    EXPECT_EQ(text->font.getInfo().family, "");
    copyFont(dir.file("late.ttf"));
    ParsedXml child("<a src='f.ttf-is-not-read'/>");
    text->applySceneNode(child.root());
    EXPECT_EQ(text->font.getInfo().family, "DejaVu Sans");
    EXPECT_EQ(text->drawable.getFont(), &text->font);
}

// Drawing builds six vertices per character at once, so a document's text
// of a hundred million characters would never finish a frame.
TEST_F(TextElement, ShowsAtMostTheFirst65536CharactersOfAText)
{
    std::string accented;
    for (int i = 0; i < 70000; ++i)
        accented += "\xC3\xA9";
    load(gameXml("<text id='long' src='f.ttf'>" + std::string(70000, 'x') + "</text><text id='wide' src='f.ttf'>" +
                     accented + "</text><text id='edge' src='f.ttf'>" + std::string(EText::maxShownCharacters, 'y') +
                     "</text>",
                 ""));
    EXPECT_EQ(textCatalogue[0]->string.size(), 70000u) << "the content itself is kept";
    EXPECT_EQ(textCatalogue[0]->drawable.getString().getSize(), EText::maxShownCharacters);
    const sf::String wide = textCatalogue[1]->drawable.getString();
    ASSERT_EQ(wide.getSize(), EText::maxShownCharacters) << "characters are counted, not bytes";
    EXPECT_EQ(wide[wide.getSize() - 1], 0xE9u) << "no character is cut in half";
    EXPECT_EQ(textCatalogue[2]->drawable.getString().getSize(), EText::maxShownCharacters);

    ParsedXml child(std::string("<long>") + std::string(100000, 'z') + "</long>");
    textCatalogue[2]->applySceneNode(child.root());
    EXPECT_EQ(textCatalogue[2]->drawable.getString().getSize(), EText::maxShownCharacters)
        << "a scene child's text is cut the same way";
}

TEST_F(TextElement, SizesUpToTheGlyphLimitAreTakenAndLargerOnesWarnedAbout)
{
    const std::string xml = gameXml("<text id='a' src='f.ttf' size='2048'>big</text>\n"
                                    "<text id='b' src='f.ttf' size='3000'>too big</text>",
                                    "");
    load(xml);
    EXPECT_EQ(textCatalogue[0]->drawable.getCharacterSize(), 2048u);
    EXPECT_EQ(textCatalogue[1]->drawable.getCharacterSize(), 15u);
    ASSERT_EQ(game.warnings().size(), 1u);
    const Diagnostic &warning = game.warnings()[0];
    EXPECT_EQ(warning.line, 4u);
    EXPECT_EQ(warning.column, 32u) << "at the value";
    EXPECT_EQ(warning.message, "\"size\" is 3000, but a text's size must be 0 to 2048; the size 15 is kept");
}
