#include "app/Reload.h"
#include "core/Game.h"
#include "core/state/SaveSettings.h"
#include "elements/Catalogue.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

namespace {

// Standard error, kept while it lives.
class CapturedErrors {
public:
    CapturedErrors() : previous(std::cerr.rdbuf(text.rdbuf())) {}
    ~CapturedErrors() { std::cerr.rdbuf(previous); }
    CapturedErrors(const CapturedErrors &) = delete;
    CapturedErrors &operator=(const CapturedErrors &) = delete;
    std::string str() const { return text.str(); }

private:
    std::ostringstream text;
    std::streambuf *previous;
};

} // namespace

// A reload's warnings come from the checker, which does not decode again the
// files the engine has just loaded: an image the game shows is still checked
// as a font where a text names it as one.
TEST(Reload, AFileLoadedAsAnImageIsStillCheckedAsAFont)
{
    TempDir dir;
    writePng(dir.file("a.png"), 8, 8, sf::Color::Red);
    dir.write("game.xml", "<game entryScene='1' title='t' width='800' height='600' fps='60'>\n<assets path=''>\n"
                          "<sprite id='a' src='a.png'/><text id='t' src='a.png'>t</text>\n"
                          "</assets><scenes><scene sceneId='1'><a/><t/></scene></scenes></game>\n");
    resetCatalogue();
    const WorkingDirectory cwd(dir.path());
    const GameLocation location{dir.path(), "game.xml", "game.xml"};
    CapturedErrors errors;
    std::unique_ptr<Game> game =
        reload(nullptr, readGameDocument(location), location, std::nullopt, testWindow(), nullptr, SaveSettings());
    ASSERT_TRUE(game);
    game = reload(std::move(game), readGameDocument(location), location, std::nullopt, testWindow(), nullptr,
                  SaveSettings());
    ASSERT_TRUE(game);
    game->release();
    const std::string expected = "game.xml:3:47: warning: \"a.png\" does not decode as a font: Failed to load font "
                                 "\"a.png\" (failed to create the font face) [unreadable-file]\n";
    const std::string printed = errors.str();
    const std::size_t first = printed.find(expected);
    ASSERT_NE(first, std::string::npos) << printed;
    EXPECT_NE(printed.find(expected, first + 1), std::string::npos) << "the reload's own warnings\n" << printed;
}
