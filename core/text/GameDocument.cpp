#include "core/text/GameDocument.h"

#include "core/text/StartupError.h"

GameDocument::GameDocument(const std::string &path, const std::string &named) : shownAs(named.empty() ? path : named)
{
    try {
        text = std::make_unique<Source>(path, shownAs);
        text->checkShape();
        try {
            tree.parse<rapidxml::parse_default>(text->text());
        } catch (const rapidxml::parse_error &error) {
            throw StartupError(std::string("malformed XML: ") + error.what(), error.where<char>());
        }
    } catch (...) {
        fault = std::current_exception();
    }
}

std::shared_ptr<const GameDocument> GameDocument::read(const std::string &path, const std::string &shownAs)
{
    return std::make_shared<const GameDocument>(path, shownAs);
}

std::pair<std::size_t, std::size_t> GameDocument::position(const char *where) const
{
    return text ? text->position(where) : std::pair<std::size_t, std::size_t>(1, 1);
}

const rapidxml::xml_document<char> &GameDocument::parsed() const
{
    if (fault)
        std::rethrow_exception(fault);
    return tree;
}

Node *GameDocument::assets() const
{
    Node *root = fault ? nullptr : tree.first_node();
    return root ? getChild(root, "assets") : nullptr;
}
