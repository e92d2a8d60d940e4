#pragma once

#include "core/Document.h"
#include "core/Source.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/System/Vector2.hpp>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class EPlayer;
class EScene;
class ESprite;
class StartupError;

// The engine: reads the game document, builds the asset catalogue, activates
// the entry scene, and then dispatches clicks and draws every frame. The
// document and the text it was parsed from live as long as the Game, since
// elements keep pointers into both. The window belongs to the entry point.
class Game {
public:
    // Windows larger than this are refused rather than handed to the window system.
    static constexpr int maxWindowSize = 8192;
    // The window system refuses a title property of more than some megabytes
    // with an error that ends the process; no title bar shows this much.
    static constexpr std::size_t maxTitleCharacters = 4096;

    rapidxml::xml_document<char> *document = nullptr;
    Node *root = nullptr;
    Node *sceneNode = nullptr;
    Node *assetsNode = nullptr;
    sf::RenderWindow *window = nullptr;
    std::vector<ESprite *> sprites;
    EScene *scene = nullptr;
    EPlayer *player = nullptr;

    Game() = default;
    Game(const Game &) = delete;
    Game &operator=(const Game &) = delete;
    ~Game();

    // Start-up, in this order. Each throws StartupError for a document it cannot play.
    void load(const char *fileName);
    void loadAssets();
    void activateScene(int sceneId);

    Node *findScene(int sceneId);

    // A click at the mouse's current position.
    void handleClick();
    // A click at a point in world coordinates.
    void clickAt(sf::Vector2f point);
    void draw();

    // Stops every sound and music of the scene and the catalogue, so that the
    // audio library's threads are idle when the program ends.
    void stopAudio();

    // "game.xml:LINE:COLUMN: error: MESSAGE" for a start-up failure.
    std::string describe(const StartupError &error) const;

private:
    void applyWindowSettings();
    void placePlayer(Node *child);
    void placeSprite(Node *child);
    void placeTexts(Node *sceneElement);
    bool hasId(Node *assetNode) const;
    void warn(const char *where, const std::string &message) const;

    // The catalogue's sprites by id, in catalogue order, rebuilt by each
    // activation: looking every scene child up here keeps placement linear in
    // the scene's size, where a search of the catalogue per child is quadratic.
    std::unordered_map<std::string_view, std::vector<ESprite *>> spritesById;
    // Messages name the document even when it could not be opened.
    std::string fileName = "game.xml";
    std::unique_ptr<Source> source;
};
