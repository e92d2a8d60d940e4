#include "elements/TextBox.h"

#include "core/text/Format.h"
#include "core/text/StartupError.h"
#include "core/text/StrictValues.h"

#include <SFML/Graphics/RectangleShape.hpp>

#include <cstdlib>
#include <string>
#include <string_view>

namespace {

std::string named(const Attribute *attribute)
{
    return "\"" + std::string(attribute->name(), attribute->name_size()) + "\"";
}

// A decimal in the range the format gives the attribute.
std::optional<float> readNumber(Node *asset, const char *name)
{
    const Attribute *given = hasAttribute(asset, name);
    if (!given)
        return std::nullopt;
    const float value = parseDecimal(given);
    const AttributeFormat &format = *findAttribute(formatOf("text"), name);
    if (!inRange(format, static_cast<double>(value)))
        throw StartupError(named(given) + " is \"" + std::string(given->value(), given->value_size()) +
                               "\", but it must be " + rangeText(format),
                           given->value());
    return value;
}

// "r, g, b, a": four whole numbers from 0 to 255, blanks round each free.
std::optional<sf::Color> readColour(Node *asset, const char *name)
{
    const Attribute *given = hasAttribute(asset, name);
    if (!given)
        return std::nullopt;
    const std::string_view value(given->value(), given->value_size());
    const std::string problem = named(given) + " is \"" + std::string(value) +
                                "\", but it must be four whole numbers from 0 to 255: \"red, green, blue, alpha\"";
    int components[4] = {};
    std::size_t count = 0;
    std::size_t at = 0;
    for (;;) {
        while (at < value.size() && value[at] == ' ')
            ++at;
        std::size_t end = at;
        while (end < value.size() && value[end] >= '0' && value[end] <= '9')
            ++end;
        if (end == at || end - at > 3 || count == 4)
            throw StartupError(problem, given->value() + at);
        components[count++] = std::atoi(std::string(value.substr(at, end - at)).c_str());
        if (components[count - 1] > 255)
            throw StartupError(problem, given->value() + at);
        at = end;
        while (at < value.size() && value[at] == ' ')
            ++at;
        if (at == value.size())
            break;
        if (value[at] != ',')
            throw StartupError(problem, given->value() + at);
        ++at;
    }
    if (count != 4)
        throw StartupError(problem, given->value());
    return sf::Color(static_cast<sf::Uint8>(components[0]), static_cast<sf::Uint8>(components[1]),
                     static_cast<sf::Uint8>(components[2]), static_cast<sf::Uint8>(components[3]));
}

} // namespace

TextBox TextBox::read(Node *asset)
{
    TextBox box;
    box.wrap = readNumber(asset, "wrap");
    box.fill = readColour(asset, "box");
    box.padding = readNumber(asset, "boxPadding").value_or(box.padding);
    box.outline = readColour(asset, "outline");
    box.outlineThickness = readNumber(asset, "outlineThickness").value_or(box.outlineThickness);
    return box;
}

void TextBox::style(sf::Text &text) const
{
    if (!outline)
        return;
    text.setOutlineColor(*outline);
    text.setOutlineThickness(outlineThickness);
}

void TextBox::drawBehind(sf::RenderTarget &target, const sf::Text &shown) const
{
    if (!fill)
        return;
    // Laid out in the text's own frame, so the box turns and moves with it.
    const sf::FloatRect bounds = shown.getLocalBounds();
    sf::RectangleShape shape({bounds.width + 2 * padding, bounds.height + 2 * padding});
    shape.setPosition(bounds.left - padding, bounds.top - padding);
    shape.setFillColor(*fill);
    target.draw(shape, sf::RenderStates(shown.getTransform()));
}
