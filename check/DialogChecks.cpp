#include "check/DialogChecks.h"

#include "check/TextFit.h"
#include "core/Game.h"
#include "core/text/Format.h"

#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

// How tall each option text is drawn, measured once however many options
// show it: a wrapped text is laid out in its font file.
class OptionHeights {
public:
    OptionHeights(const Game &loaded, const std::string &gameFolder, float textScale)
        : game(loaded), folder(gameFolder), scale(textScale)
    {
        for (Node *text = game.assetsNode->first_node("text"); text; text = text->next_sibling("text"))
            if (const Attribute *id = hasAttribute(text, "id"))
                texts.emplace(id->value(), text);
    }

    // None for an id no text has.
    std::optional<float> of(const char *id)
    {
        const auto text = texts.find(id);
        if (text == texts.end())
            return std::nullopt;
        const auto [known, isNew] = heights.try_emplace(text->first, 0.f);
        if (isNew)
            known->second = textHeight(game, folder, text->second, scale);
        return known->second;
    }

private:
    const Game &game;
    const std::string &folder;
    float scale;
    std::unordered_map<std::string_view, Node *> texts;
    std::unordered_map<std::string_view, float> heights;
};

// An option drawn taller than the menu's rows runs into the row below it,
// whose presses then land on the wrong option.
void checkRowHeights(const Game &game, const DialogRules &dialog, float rowHeight, OptionHeights &heights,
                     std::vector<Diagnostic> &findings)
{
    for (const OptionRules &option : dialog.options) {
        const std::optional<float> height = option.text ? heights.of(option.text) : std::nullopt;
        if (!height || *height <= rowHeight)
            continue;
        const auto [line, column] = game.position(elementPosition(option.node));
        findings.push_back({Severity::warning, line, column, "dialog-row-too-short",
                            "the option \"" + std::string(option.id) + "\" of the dialog \"" + std::string(dialog.id) +
                                "\" shows the text \"" + option.text + "\", about " +
                                std::to_string(std::lround(*height)) + " units tall, but the menu's rows are " +
                                std::to_string(std::lround(rowHeight)) +
                                " (dialogRowHeight); it runs into the row below"});
    }
}

} // namespace

void checkDialogs(const Game &game, const std::string &folder, float textScale, std::vector<Diagnostic> &findings)
{
    const DialogBook &book = game.dialogs;
    const float rowHeight = book.rowHeight * textScale;
    OptionHeights heights(game, folder, textScale);
    for (const DialogRules &dialog : book.dialogs) {
        checkRowHeights(game, dialog, rowHeight, heights, findings);
        const auto [line, column] = game.position(elementPosition(dialog.node));
        bool goodbye = false;
        for (const OptionRules &option : dialog.options)
            goodbye =
                goodbye || (option.condition.terms.empty() && !option.once && option.then == OptionRules::Then::stop);
        if (!goodbye)
            findings.push_back({Severity::warning, line, column, "dialog-no-goodbye",
                                "the dialog \"" + std::string(dialog.id) +
                                    "\" has no option that is always offered and stops it (no \"if\", not \"once\", "
                                    "then=\"stop\"); make sure the player can always leave"});
        const float bottom = book.menu.y + static_cast<float>(dialog.options.size()) * rowHeight;
        if (bottom > static_cast<float>(worldSize))
            findings.push_back({Severity::warning, line, column, "dialog-too-many-rows",
                                "with all " + std::to_string(dialog.options.size()) + " options of the dialog \"" +
                                    std::string(dialog.id) + "\" offered, the menu's rows reach y " +
                                    std::to_string(static_cast<long>(bottom)) + ", past the world's bottom (" +
                                    std::to_string(worldSize) + "); the last rows cannot be seen or pressed"});
    }
}
