#include "core/text/Document.h"

#include "core/text/Format.h"
#include "core/text/StartupError.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

bool isBlank(const std::string &text)
{
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

} // namespace

bool isElement(const Node *node)
{
    return node->type() == rapidxml::node_element;
}

bool named(const Node *node, const char *name)
{
    return std::strcmp(node->name(), name) == 0;
}

Node *getChild(Node *node, const char *name)
{
    for (Node *child = node->first_node(); child; child = child->next_sibling())
        if (child->type() == rapidxml::node_element && std::strcmp(child->name(), name) == 0)
            return child;
    return nullptr;
}

Attribute *hasAttribute(Node *node, const char *name)
{
    for (Attribute *attribute = node->first_attribute(); attribute; attribute = attribute->next_attribute())
        if (std::strcmp(attribute->name(), name) == 0)
            return attribute;
    return nullptr;
}

const char *getAttribute(Node *node, const char *name)
{
    return hasAttribute(node, name)->value();
}

const char *valueOrNull(Node *node, const char *name)
{
    const Attribute *given = hasAttribute(node, name);
    return given ? given->value() : nullptr;
}

std::string_view viewOf(Node *node, const char *name)
{
    const Attribute *given = hasAttribute(node, name);
    return given ? std::string_view(given->value(), given->value_size()) : std::string_view();
}

std::string getAttributeString(Node *node, const char *name)
{
    const Attribute *attribute = hasAttribute(node, name);
    return attribute ? std::string(attribute->value(), attribute->value_size()) : std::string();
}

sf::Vector2f getVector2f(Node *node, const char *name)
{
    if (!hasAttribute(node, name))
        return {0.f, 0.f};
    const std::string text = getAttributeString(node, name);
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos)
        return {readFloat(text.c_str()), 0.f};
    const float y = comma + 2 <= text.size() ? readFloat(text.c_str() + comma + 2) : 0.f;
    const float x = readFloat(text.substr(0, comma).c_str());
    return {x, y};
}

std::vector<int> getIntList(Node *node, const char *name, std::size_t *read)
{
    constexpr std::size_t longestComponent = 27;
    std::vector<int> list(4, 0);
    if (read)
        *read = 0;
    if (!hasAttribute(node, name))
        return list;
    std::string rest = getAttribute(node, name);
    std::size_t count = 0;
    auto store = [&](int value) {
        if (count < 4)
            list[count] = value;
        else
            list.push_back(value);
        ++count;
    };
    for (;;) {
        const std::size_t comma = rest.find(',');
        if (comma == 0)
            break;
        if (comma == std::string::npos) {
            // A last component that no comma follows is still a value.
            if (!isBlank(rest) && rest.size() <= longestComponent)
                store(readInt(rest.c_str()));
            break;
        }
        if (comma > longestComponent)
            break;
        store(readInt(rest.substr(0, comma).c_str()));
        rest.erase(0, std::min(comma + 2, rest.size()));
    }
    if (read)
        *read = count;
    return list;
}

int readInt(const char *text)
{
    errno = 0;
    const long long value = std::strtoll(text, nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

float readFloat(const char *text)
{
    const double value = std::strtod(text, nullptr);
    if (std::isfinite(value) && std::fabs(value) > double(std::numeric_limits<float>::max()))
        return value > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

const char *utf8Prefix(const char *begin, const char *end, std::size_t characters)
{
    std::size_t seen = 0;
    for (const char *at = begin; at != end; ++at)
        if ((static_cast<unsigned char>(*at) & 0xC0u) != 0x80u && seen++ == characters)
            return at;
    return end;
}

const char *requireAttribute(Node *node, const char *name)
{
    if (!hasAttribute(node, name))
        throw StartupError(std::string("<") + node->name() + "> has no \"" + name + "\" attribute",
                           elementPosition(node));
    return getAttribute(node, name);
}

void requireAttributes(Node *node, const char *kind)
{
    for (const AttributeFormat &attribute : formatOf(kind).attributes)
        if (attribute.required)
            requireAttribute(node, attribute.name);
}

int readInteger(Node *node, const char *name, int fallback)
{
    const Attribute *attribute = hasAttribute(node, name);
    return attribute ? readInt(attribute->value()) : fallback;
}

float readDecimal(Node *node, const char *name, float fallback)
{
    const Attribute *attribute = hasAttribute(node, name);
    return attribute ? readFloat(attribute->value()) : fallback;
}

sf::Vector2f readPair(Node *node, const char *name, sf::Vector2f fallback)
{
    return hasAttribute(node, name) ? getVector2f(node, name) : fallback;
}

const char *elementPosition(const Node *node)
{
    return node->name() - 1;
}

std::string assetPathOf(Node *assets)
{
    const Attribute *path = hasAttribute(assets, "path");
    std::string prefix = path ? std::string(path->value()) + "/" : std::string("/");
    if (prefix[0] == '/')
        prefix.erase(0, 1);
    return prefix;
}

std::vector<std::string> assetFiles(Node *assets)
{
    const std::string prefix = assetPathOf(assets);
    std::vector<std::string> files;
    for (Node *child = assets->first_node(); child; child = child->next_sibling())
        if (const Attribute *src = child->type() == rapidxml::node_element ? hasAttribute(child, "src") : nullptr)
            files.push_back(prefix + src->value());
    return files;
}
