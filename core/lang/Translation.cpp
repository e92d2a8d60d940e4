#include "core/lang/Translation.h"

#include "core/text/GameDocument.h"
#include "core/text/StartupError.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

namespace {

std::string_view nameOf(const Node *node)
{
    return {node->name(), node->name_size()};
}

std::string valueOf(const Node *node)
{
    return {node->value(), node->value_size()};
}

bool blank(std::string_view text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; });
}

// Language ids go into file names and onto the command line.
bool plainId(std::string_view id)
{
    return !id.empty() && std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    });
}

std::string inQuotes(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

LanguageDeclaration readDeclaration(Node *node, const std::string &base)
{
    static const std::vector<std::string_view> known{"id", "name", "src", "font", "voice"};
    for (Attribute *attribute = node->first_attribute(); attribute; attribute = attribute->next_attribute()) {
        const std::string_view name(attribute->name(), attribute->name_size());
        if (std::find(known.begin(), known.end(), name) == known.end())
            throw StartupError("<language> does not read " + inQuotes(name) + " (it reads id, name, src, font, voice)",
                               attribute->name());
    }
    LanguageDeclaration language;
    language.where = elementPosition(node);
    const char *id = requireAttribute(node, "id");
    language.id = id;
    if (!plainId(language.id))
        throw StartupError("the language id " + inQuotes(language.id) + " must be letters, digits, _ and - only", id);
    if (language.id == base)
        throw StartupError("the language " + inQuotes(language.id) +
                               " is the baseLanguage: the document's own texts are that language",
                           id);
    language.name = getAttributeString(node, "name");
    language.srcAt = requireAttribute(node, "src");
    language.src = language.srcAt;
    if (const Attribute *font = hasAttribute(node, "font")) {
        language.font = font->value();
        language.fontAt = font->value();
    }
    language.voice = getAttributeString(node, "voice");
    return language;
}

void parseFault(const GameDocument &document, const StartupError &error)
{
    const auto [line, column] = document.position(error.where());
    throw FileFault{document.name(), line, column, error.what()};
}

class StringReader {
public:
    explicit StringReader(const GameDocument &read) : document(read) {}

    [[noreturn]] void fail(const char *where, const std::string &message) const
    {
        const auto [line, column] = document.position(where);
        throw FileFault{document.name(), line, column, message};
    }

    TranslatedString read(Node *node) const
    {
        TranslatedString string;
        std::tie(string.line, string.column) = document.position(elementPosition(node));
        bool hasId = false;
        bool hasSource = false;
        for (Attribute *attribute = node->first_attribute(); attribute; attribute = attribute->next_attribute()) {
            const std::string_view name(attribute->name(), attribute->name_size());
            const std::string value(attribute->value(), attribute->value_size());
            if (name == "id") {
                string.id = value;
                hasId = true;
            } else if (name == "source") {
                string.source = value;
                hasSource = true;
            } else if (name == "was") {
                string.was = value;
            } else if (name == "stale") {
                if (value != "true" && value != "false")
                    fail(attribute->value(), "\"stale\" is " + inQuotes(value) + ", but it must be true or false");
                string.stale = value == "true";
            } else {
                fail(attribute->name(),
                     "<string> does not read " + inQuotes(name) + " (it reads id, source, stale, was)");
            }
        }
        if (!hasId || string.id.empty())
            fail(elementPosition(node), "<string> needs an \"id\": the id of the text it translates");
        if (!hasSource)
            fail(elementPosition(node),
                 "<string id=" + inQuotes(string.id) + "> needs a \"source\": the base text it was translated from");
        for (Node *child = node->first_node(); child; child = child->next_sibling())
            if (isElement(child))
                fail(elementPosition(child), "<string> holds text only, not <" + std::string(nameOf(child)) + ">");
        string.text = valueOf(node);
        return string;
    }

private:
    const GameDocument &document;
};

constexpr std::string_view orphanOpen = "<!-- orphan: ";
constexpr std::string_view orphanClose = " -->";

// The orphans a merge wrote, each a <string> inside a comment of its own.
void readOrphans(const std::string &path, const std::string &shownAs, TranslationFile &file)
{
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (std::size_t at = text.find(orphanOpen); at != std::string::npos; at = text.find(orphanOpen, at + 1)) {
        const std::size_t begin = at + orphanOpen.size();
        const std::size_t end = text.find(orphanClose, begin);
        const std::size_t line = static_cast<std::size_t>(std::count(
                                     text.begin(), text.begin() + static_cast<std::ptrdiff_t>(begin), '\n')) +
                                 1;
        const std::size_t lineStart = text.rfind('\n', begin);
        const std::size_t column = begin - (lineStart == std::string::npos ? 0 : lineStart + 1) + 1;
        if (end == std::string::npos)
            throw FileFault{shownAs, line, column, "a commented-out orphan string has no end (\" -->\")"};
        std::vector<char> snippet(text.begin() + static_cast<std::ptrdiff_t>(begin),
                                  text.begin() + static_cast<std::ptrdiff_t>(end));
        snippet.push_back('\0');
        rapidxml::xml_document<char> parsed;
        try {
            parsed.parse<rapidxml::parse_default>(snippet.data());
        } catch (const rapidxml::parse_error &error) {
            throw FileFault{shownAs, line, column, std::string("a commented-out orphan string: ") + error.what()};
        }
        Node *node = parsed.first_node();
        if (!node || nameOf(node) != "string" || !hasAttribute(node, "id"))
            throw FileFault{shownAs, line, column, "a commented-out orphan must be one <string id=...>"};
        TranslatedString string;
        string.id = getAttributeString(node, "id");
        string.source = getAttributeString(node, "source");
        if (const Attribute *was = hasAttribute(node, "was"))
            string.was = was->value();
        string.stale = getAttributeString(node, "stale") == "true";
        string.text = valueOf(node);
        string.line = line;
        string.column = column;
        file.orphaned.push_back(std::move(string));
    }
}

// Escaped so that the parser gives back exactly these bytes: line breaks and
// tabs in an attribute as references (a parser may fold them), and in a
// comment every '-', which could otherwise end it.
std::string escaped(std::string_view text, bool attribute, bool inComment)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += attribute ? "&quot;" : "\"";
            break;
        case '\n':
            out += attribute ? "&#10;" : "\n";
            break;
        case '\r':
            out += "&#13;";
            break;
        case '\t':
            out += attribute ? "&#9;" : "\t";
            break;
        case '-':
            out += inComment ? "&#45;" : "-";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string stringElement(const std::string &id, const std::string &source, const std::string &text, bool stale,
                          const std::optional<std::string> &was, bool inComment)
{
    std::string out =
        "<string id=\"" + escaped(id, true, inComment) + "\" source=\"" + escaped(source, true, inComment) + "\"";
    if (stale)
        out += " stale=\"true\"";
    if (was)
        out += " was=\"" + escaped(*was, true, inComment) + "\"";
    return out + ">" + escaped(text, false, inComment) + "</string>";
}

} // namespace

const LanguageDeclaration *LanguageList::find(std::string_view id) const
{
    for (const LanguageDeclaration &language : languages)
        if (language.id == id)
            return &language;
    return nullptr;
}

std::vector<std::string> LanguageList::ids() const
{
    std::vector<std::string> all{base};
    for (const LanguageDeclaration &language : languages)
        all.push_back(language.id);
    return all;
}

LanguageList readLanguages(Node *root)
{
    LanguageList list;
    list.baseVoice = getAttributeString(root, "baseVoice");
    Node *languages = getChild(root, "languages");
    if (!languages)
        return list;
    list.where = elementPosition(languages);
    const Attribute *base = hasAttribute(root, "baseLanguage");
    if (!base)
        throw StartupError("<languages> needs the root's \"baseLanguage\": the id of the language its texts are in",
                           list.where);
    list.base = base->value();
    if (!plainId(list.base))
        throw StartupError("the baseLanguage " + inQuotes(list.base) + " must be letters, digits, _ and - only",
                           base->value());
    for (Node *child = languages->first_node(); child; child = child->next_sibling()) {
        if (!isElement(child))
            continue;
        if (nameOf(child) != "language")
            throw StartupError("<languages> holds <language> elements only, not <" + std::string(nameOf(child)) + ">",
                               elementPosition(child));
        LanguageDeclaration language = readDeclaration(child, list.base);
        if (list.find(language.id))
            throw StartupError("a second <language> with the id " + inQuotes(language.id), language.where);
        list.languages.push_back(std::move(language));
    }
    return list;
}

std::vector<BaseText> baseTexts(Node *assets)
{
    std::vector<BaseText> texts;
    std::unordered_set<std::string> seen;
    if (!assets)
        return texts;
    for (Node *child = assets->first_node(); child; child = child->next_sibling()) {
        const Attribute *id = isElement(child) && nameOf(child) == "text" ? hasAttribute(child, "id") : nullptr;
        if (id && seen.insert(id->value()).second)
            texts.push_back({id->value(), valueOf(child)});
    }
    return texts;
}

TranslationFile readTranslation(const std::string &path, const std::string &shownAs)
{
    const GameDocument document(path, shownAs);
    TranslationFile file;
    Node *root = nullptr;
    try {
        root = document.parsed().first_node();
    } catch (const StartupError &error) {
        parseFault(document, error);
    }
    const StringReader reader(document);
    if (!root || nameOf(root) != "translation")
        reader.fail(root ? elementPosition(root) : nullptr, "a translation file's root is <translation lang=\"ID\">");
    std::tie(file.line, file.column) = document.position(elementPosition(root));
    if (!hasAttribute(root, "lang"))
        reader.fail(elementPosition(root), "<translation> needs a \"lang\": the id of its language");
    file.lang = getAttributeString(root, "lang");
    for (Node *child = root->first_node(); child; child = child->next_sibling()) {
        if (!isElement(child)) {
            if (child->type() == rapidxml::node_data && !blank({child->value(), child->value_size()}))
                reader.fail(child->value(), "text outside a <string>");
            continue;
        }
        if (nameOf(child) != "string")
            reader.fail(elementPosition(child),
                        "<translation> holds <string> elements only, not <" + std::string(nameOf(child)) + ">");
        file.strings.push_back(reader.read(child));
    }
    readOrphans(path, document.name(), file);
    return file;
}

std::size_t Comparison::count(Standing standing) const
{
    return static_cast<std::size_t>(
        std::count_if(texts.begin(), texts.end(), [&](const TextStanding &text) { return text.standing == standing; }));
}

Comparison compare(const std::vector<BaseText> &texts, const TranslationFile &file)
{
    Comparison comparison;
    std::unordered_map<std::string_view, const TranslatedString *> first;
    for (const TranslatedString &string : file.strings)
        if (!first.emplace(string.id, &string).second)
            comparison.duplicates.push_back(&string);
    std::unordered_set<std::string_view> known;
    for (const BaseText &text : texts) {
        known.insert(text.id);
        const auto found = first.find(text.id);
        const TranslatedString *string = found == first.end() ? nullptr : found->second;
        Standing standing = Standing::translated;
        if (!string || string->text.empty())
            standing = Standing::missing;
        else if (string->stale || string->source != text.text)
            standing = Standing::stale;
        comparison.texts.push_back({&text, standing, string});
    }
    for (const TranslatedString &string : file.strings)
        if (known.count(string.id) == 0 && first[string.id] == &string)
            comparison.orphans.push_back(&string);
    return comparison;
}

std::string mergedTranslation(const std::string &lang, const std::vector<BaseText> &texts, const TranslationFile &file)
{
    // An orphan whose id the game has again, and no string has, is a
    // translation again.
    TranslationFile merged = file;
    merged.orphaned.clear();
    std::unordered_set<std::string_view> ids;
    for (const BaseText &text : texts)
        ids.insert(text.id);
    std::unordered_set<std::string> present;
    for (const TranslatedString &string : file.strings)
        present.insert(string.id);
    for (const TranslatedString &orphan : file.orphaned) {
        if (ids.count(orphan.id) > 0 && present.insert(orphan.id).second)
            merged.strings.push_back(orphan);
        else
            merged.orphaned.push_back(orphan);
    }
    const Comparison comparison = compare(texts, merged);
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<translation lang=\"" << escaped(lang, true, false) << "\">\n";
    for (const TextStanding &entry : comparison.texts) {
        const TranslatedString *string = entry.string;
        const std::string &base = entry.text->text;
        if (!string) {
            out << "  " << stringElement(entry.text->id, base, "", false, std::nullopt, false) << '\n';
            continue;
        }
        // A translation made for another base text keeps what it was made
        // for, which an earlier merge may have noted already.
        const bool changed = string->source != base;
        const bool stale = !string->text.empty() && (string->stale || changed);
        std::optional<std::string> was;
        if (stale)
            was = changed ? string->was.value_or(string->source) : string->was;
        out << "  " << stringElement(entry.text->id, base, string->text, stale, was, false) << '\n';
    }
    std::vector<const TranslatedString *> kept = comparison.orphans;
    kept.insert(kept.end(), comparison.duplicates.begin(), comparison.duplicates.end());
    for (const TranslatedString &orphan : merged.orphaned)
        kept.push_back(&orphan);
    for (const TranslatedString *orphan : kept)
        out << "  " << orphanOpen
            << stringElement(orphan->id, orphan->source, orphan->text, orphan->stale, orphan->was, true) << orphanClose
            << '\n';
    out << "</translation>\n";
    return out.str();
}

std::string voiceFile(std::string_view pattern, std::string_view id)
{
    std::string file(pattern);
    constexpr std::string_view key = "{id}";
    for (std::size_t at = file.find(key); at != std::string::npos; at = file.find(key, at + id.size()))
        file.replace(at, key.size(), id);
    return file;
}
