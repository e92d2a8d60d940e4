#include "check/DialogChecks.h"

#include "core/Game.h"
#include "core/text/Format.h"

#include <string>

void checkDialogs(const Game &game, float textScale, std::vector<Diagnostic> &findings)
{
    const DialogBook &book = game.dialogs;
    const float rowHeight = book.rowHeight * textScale;
    for (const DialogRules &dialog : book.dialogs) {
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
