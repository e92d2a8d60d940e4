#include "check/TextFit.h"

#include "check/FontMeasure.h"
#include "core/Game.h"
#include "core/text/Document.h"
#include "core/text/FileKind.h"
#include "core/text/Format.h"
#include "elements/TextBox.h"
#include "elements/TextWrap.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

// The world the window shows, whatever the window's size.
constexpr auto world = static_cast<float>(worldSize);
constexpr int defaultSize = 15;
// A line's height in character sizes.
constexpr float lineHeight = 1.2f;

// Characters in the longest line and the number of lines.
std::pair<std::size_t, std::size_t> extent(std::string_view text)
{
    std::size_t longest = 0, current = 0, lines = 1;
    for (const char c : text) {
        if (c == '\n') {
            ++lines;
            current = 0;
        } else if ((static_cast<unsigned char>(c) & 0xc0u) != 0x80u) {
            longest = std::max(longest, ++current);
        }
    }
    return {longest, lines};
}

// A text's wrap and outline, and the font file it is measured in.
struct Wrapping {
    TextBox box;
    std::string font;
};

// None without a wrap, or without a font file to measure it in.
std::optional<Wrapping> wrappingOf(Node *text, const std::filesystem::path &assets)
{
    const Attribute *src = hasAttribute(text, "src");
    if (!hasAttribute(text, "wrap") || !src)
        return std::nullopt;
    Wrapping wrapping{TextBox::read(text), (assets / src->value()).string()};
    // Only a regular file is opened: a pipe would wait for a writer for ever.
    if (fileKind(wrapping.font) != FileKind::regular)
        return std::nullopt;
    return wrapping;
}

std::filesystem::path assetsOf(const Game &game, const std::string &folder)
{
    return std::filesystem::path(folder) / assetPathOf(game.assetsNode);
}

std::string shown(float value)
{
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.')
        text.pop_back();
    return text;
}

// The width and the number of lines `words` of `text` take at character
// size `em`: estimated from the characters, or, for a wrapped text whose font
// can be read, laid out in that font.
struct Extent {
    float width;
    std::size_t lines;
};

Extent extentOf(Node *text, std::string_view words, float em, const std::filesystem::path &assets)
{
    const auto [columns, lines] = extent(words);
    if (const std::optional<Wrapping> wrapping = wrappingOf(text, assets)) {
        FontMeasure font(wrapping->font, static_cast<unsigned>(std::lround(em)), wrapping->box.drawnOutline());
        if (font.loaded()) {
            const WrappedText laidOut =
                wrapText(sf::String::fromUtf8(words.begin(), words.end()), font, *wrapping->box.wrap);
            return {laidOut.widest, laidOut.lines};
        }
    }
    return {0.6f * em * static_cast<float>(columns), lines};
}

class TextFit {
public:
    TextFit(const Game &loaded, const std::string &folder, float factor, std::vector<Diagnostic> &found)
        : game(loaded), assets(assetsOf(loaded, folder)), scale(factor), findings(found)
    {
    }

    void walk()
    {
        for (Node *asset = getChild(game.root, "assets")->first_node(); asset; asset = asset->next_sibling())
            if (isElement(asset) && std::strcmp(asset->name(), "text") == 0 && hasAttribute(asset, "id"))
                texts.emplace(getAttribute(asset, "id"), asset);
        for (const char *name : {"unhandledUseText"})
            atOwnPosition(game.root, name);
        if (Node *state = getChild(game.root, "state"))
            for (Node *item = state->first_node(); item; item = item->next_sibling())
                if (isElement(item))
                    atOwnPosition(item, "name");
        Node *scenes = getChild(game.root, "scenes");
        for (Node *scene = scenes->first_node(); scene; scene = scene->next_sibling()) {
            if (!isElement(scene))
                continue;
            atOwnPosition(scene, "onEnterText");
            atOwnPosition(scene, "onFirstEnterText");
            for (Node *child = scene->first_node(); child; child = child->next_sibling())
                if (isElement(child))
                    checkChild(child);
        }
    }

private:
    void checkChild(Node *child)
    {
        atOwnPosition(child, "hoverText");
        if (const auto placed = texts.find(child->name()); placed != texts.end())
            fit(child, placed->second, readPair(child, "position", readPair(placed->second, "position", {})), child);
        const auto clicked =
            hasAttribute(child, "onClickText") ? texts.find(getAttribute(child, "onClickText")) : texts.end();
        if (clicked != texts.end())
            fit(child, clicked->second,
                readPair(child, "textPosition", readPair(child, "position", readPair(clicked->second, "position", {}))),
                child);
    }

    void atOwnPosition(Node *node, const char *name)
    {
        const Attribute *named = hasAttribute(node, name);
        const auto text = named ? texts.find(named->value()) : texts.end();
        if (text != texts.end())
            fit(text->second, text->second, readPair(text->second, "position", {}), nullptr);
    }

    // `where` is reported; `child`, when given, may override the size and the words.
    void fit(Node *where, Node *text, sf::Vector2f position, Node *child)
    {
        if (!reported.insert({where, text}).second)
            return;
        const int size = readInteger(child && hasAttribute(child, "size") ? child : text, "size", defaultSize);
        const bool ownWords = child && child->value_size() > 0 && !getChild(child, "use");
        const std::string_view words = ownWords ? std::string_view(child->value(), child->value_size())
                                                : std::string_view(text->value(), text->value_size());
        const sf::Vector2f factors = readPair(text, "scale", {1.f, 1.f});
        const float em = static_cast<float>(size) * scale;
        // A wrapped text is laid out as it is drawn: its lines are the ones the window shows.
        const auto [width, lines] = extentOf(text, words, em, assets);
        const float right = position.x + width * factors.x;
        const float bottom = position.y + lineHeight * em * static_cast<float>(lines) * factors.y;
        if (right <= world && bottom <= world)
            return;
        const auto [line, column] = game.position(elementPosition(where));
        findings.push_back({Severity::warning, line, column, "text-leaves-window",
                            "at --text-scale " + shown(scale) + " the text \"" + getAttribute(text, "id") +
                                "\" reaches to about (" + std::to_string(static_cast<int>(right)) + ", " +
                                std::to_string(static_cast<int>(bottom)) + "), past the window's " +
                                std::to_string(worldSize) + " units"});
    }

    const Game &game;
    std::filesystem::path assets;
    float scale;
    std::vector<Diagnostic> &findings;
    std::unordered_map<std::string_view, Node *> texts;
    std::set<std::pair<const Node *, const Node *>> reported;
};

} // namespace

void checkTextWrap(const Game &game, const std::string &folder, float scale, std::vector<Diagnostic> &findings)
{
    const std::filesystem::path assets = assetsOf(game, folder);
    for (Node *text = game.assetsNode->first_node("text"); text; text = text->next_sibling("text")) {
        // The engine skips a text without an id, and reads no wrap of it.
        const Attribute *id = hasAttribute(text, "id");
        const std::optional<Wrapping> wrapping = id ? wrappingOf(text, assets) : std::nullopt;
        if (!wrapping || text->value_size() == 0)
            continue;
        // A size outside the format's range has its own warning; here it is only kept measurable.
        const int own = std::clamp(readInteger(text, "size", defaultSize), 1, 2048);
        const auto size = static_cast<unsigned>(std::lround(static_cast<float>(own) * scale));
        const std::string_view words(text->value(), text->value_size());
        FontMeasure font(wrapping->font, size, wrapping->box.drawnOutline());
        const float widest = widestCharacter(sf::String::fromUtf8(words.begin(), words.end()), font);
        const float wrap = *wrapping->box.wrap;
        if (wrap >= widest)
            continue;
        const auto [line, column] = game.position(hasAttribute(text, "wrap")->value());
        findings.push_back({Severity::warning, line, column, "wrap-too-narrow",
                            "\"wrap\" is " + shown(wrap) + ", but the widest character of the text \"" +
                                std::string(id->value()) + "\" is about " + std::to_string(std::lround(widest)) +
                                " units wide at size " + std::to_string(size) +
                                "; such a character takes a line of its own and still runs past"});
    }
}

void checkTextFit(const Game &game, const std::string &folder, float scale, std::vector<Diagnostic> &findings)
{
    if (scale == 1.f || !game.root || !getChild(game.root, "assets") || !getChild(game.root, "scenes"))
        return;
    TextFit(game, folder, scale, findings).walk();
}

float textHeight(const Game &game, const std::string &folder, Node *text, float scale)
{
    const int size = std::clamp(readInteger(text, "size", defaultSize), 1, 2048);
    const float em = static_cast<float>(size) * scale;
    const Extent taken =
        extentOf(text, std::string_view(text->value(), text->value_size()), em, assetsOf(game, folder));
    return lineHeight * em * static_cast<float>(taken.lines);
}
