#pragma once

#include "core/Game.h"
#include "core/text/StartupError.h"
#include "elements/Catalogue.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// A game loaded from a document written into a fresh folder, with the
// folder as working directory, so asset paths resolve as they do for the
// engine. Image and font files are made on request.
class GameFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetCatalogue();
        cwd = std::make_unique<WorkingDirectory>(dir.path());
        game.window = &testWindow();
    }

    void TearDown() override { cwd.reset(); }

    void write(const std::string &xml) { dir.write("game.xml", xml); }
    void load(const std::string &xml)
    {
        write(xml);
        game.load("game.xml");
        game.loadAssets();
    }
    void start(const std::string &xml)
    {
        write(xml);
        game.start("game.xml");
    }
    // How start-up refuses the document, as the engine words it; empty when it would start.
    std::string startupRefusal(const std::string &xml)
    {
        write(xml);
        Game refused;
        refused.echo = nullptr;
        try {
            refused.load("game.xml");
            refused.checkStartup();
        } catch (const StartupError &error) {
            return refused.describe(error);
        }
        return "";
    }
    void png(const std::string &name, unsigned width, unsigned height, sf::Color color = sf::Color::White)
    {
        writePng(dir.file(name), width, height, color);
    }
    void font(const std::string &name) { copyFont(dir.file(name)); }

    TempDir dir;
    std::unique_ptr<WorkingDirectory> cwd;
    Game game;
};

// A whole document around the given assets and scene children.
inline std::string gameXml(const std::string &assets, const std::string &children,
                           const std::string &sceneAttributes = "",
                           const std::string &rootAttributes = "width=\"800\" height=\"600\" fps=\"60\"")
{
    return "<game entryScene=\"1\" title=\"Test\" " + rootAttributes + ">\n<assets path=\"\">\n" + assets +
           "\n</assets>\n<scenes>\n<scene sceneId=\"1\" " + sceneAttributes + ">\n" + children +
           "\n</scene>\n</scenes>\n</game>\n";
}
