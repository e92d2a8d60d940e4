#include "BareGame.h"

#include <SFML/Window/Event.hpp>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

using XmlNode = rapidxml::xml_node<char>;

const char *attribute(XmlNode *node, const char *name, const char *fallback)
{
    const rapidxml::xml_attribute<char> *found = node->first_attribute(name);
    return found ? found->value() : fallback;
}

sf::Vector2f pair(const char *text)
{
    char *rest = nullptr;
    const float x = std::strtof(text, &rest);
    const float y = *rest == ',' ? std::strtof(rest + 1, nullptr) : 0.f;
    return {x, y};
}

} // namespace

void BareGame::load(sf::RenderWindow &window)
{
    std::ifstream file("game.xml", std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    text.push_back('\0');
    document.parse<0>(text.data());
    XmlNode *root = document.first_node();
    const unsigned width = static_cast<unsigned>(std::atoi(attribute(root, "width", "880")));
    const unsigned height = static_cast<unsigned>(std::atoi(attribute(root, "height", "880")));
    const char *title = attribute(root, "title", "");
    window.setSize({width, height});
    window.setTitle(sf::String::fromUtf8(title, title + std::strlen(title)));
    fps = static_cast<unsigned>(std::atoi(attribute(root, "fps", "0")));
    window.setFramerateLimit(fps);

    XmlNode *assets = root->first_node("assets");
    const std::string path = std::string(attribute(assets, "path", ".")) + "/";
    for (XmlNode *child = assets->first_node(); child; child = child->next_sibling()) {
        const std::string name = child->name();
        const std::string src = path + attribute(child, "src", "");
        if (name == "sprite") {
            textures.emplace_back().loadFromFile(src);
            sf::Sprite &sprite = sprites.emplace_back(textures.back());
            sprite.setPosition(pair(attribute(child, "position", "0, 0")));
            sprite.setOrigin(pair(attribute(child, "origin", "0, 0")));
        } else if (name == "text") {
            fonts.emplace_back().loadFromFile(src);
            const char *content = child->value();
            sf::Text &label =
                texts.emplace_back(sf::String::fromUtf8(content, content + child->value_size()), fonts.back(),
                                   static_cast<unsigned>(std::atoi(attribute(child, "size", "15"))));
            label.setPosition(pair(attribute(child, "position", "0, 0")));
        } else if (name == "audio") {
            sounds.emplace_back().loadFromFile(src);
        }
    }
}

// Back to front, as the engine places a scene that names the sprites in
// document order.
void BareGame::frame(sf::RenderWindow &window)
{
    sf::Event event{};
    while (window.pollEvent(event))
        if (event.type == sf::Event::Closed)
            window.close();
    window.clear(sf::Color(0, 0, 0, 255));
    for (auto sprite = sprites.rbegin(); sprite != sprites.rend(); ++sprite)
        window.draw(*sprite, sf::RenderStates::Default);
    for (const sf::Text &label : texts)
        window.draw(label, sf::RenderStates::Default);
    window.display();
}
