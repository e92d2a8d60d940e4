#include "check/DialogChecks.h"

#include "check/TextFit.h"
#include "core/Game.h"
#include "core/text/Format.h"

#include <cmath>
#include <cstring>
#include <string>

namespace {

Node *textAsset(const Game &game, const char *id)
{
    for (Node *text = game.assetsNode->first_node("text"); text; text = text->next_sibling("text"))
        if (const Attribute *own = hasAttribute(text, "id"); own && std::strcmp(own->value(), id) == 0)
            return text;
    return nullptr;
}

// An option drawn taller than the menu's rows runs into the row below it,
// whose presses then land on the wrong option.
void checkRowHeights(const Game &game, const std::string &folder, const DialogRules &dialog, float textScale,
                     std::vector<Diagnostic> &findings)
{
    const float rowHeight = game.dialogs.rowHeight * textScale;
    for (const OptionRules &option : dialog.options) {
        Node *text = option.text ? textAsset(game, option.text) : nullptr;
        if (!text)
            continue;
        const float height = textHeight(game, folder, text, textScale);
        if (height <= rowHeight)
            continue;
        const auto [line, column] = game.position(elementPosition(option.node));
        findings.push_back({Severity::warning, line, column, "dialog-row-too-short",
                            "the option \"" + std::string(option.id) + "\" of the dialog \"" + std::string(dialog.id) +
                                "\" shows the text \"" + option.text + "\", about " +
                                std::to_string(std::lround(height)) + " units tall, but the menu's rows are " +
                                std::to_string(std::lround(rowHeight)) +
                                " (dialogRowHeight); it runs into the row below"});
    }
}

} // namespace

void checkDialogs(const Game &game, const std::string &folder, float textScale, std::vector<Diagnostic> &findings)
{
    const DialogBook &book = game.dialogs;
    const float rowHeight = book.rowHeight * textScale;
    for (const DialogRules &dialog : book.dialogs) {
        checkRowHeights(game, folder, dialog, textScale, findings);
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
