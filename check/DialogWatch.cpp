#include "check/DialogWatch.h"

#include "core/Game.h"

namespace {

const std::string *textOf(const std::vector<TraceField> &fields, std::string_view name)
{
    for (const TraceField &field : fields)
        if (name == field.name)
            return std::get_if<std::string>(&field.value);
    return nullptr;
}

void add(const Game &game, const Node *node, Severity severity, const char *code, std::string message,
         std::vector<Diagnostic> &findings)
{
    const auto [line, column] = game.position(elementPosition(node));
    findings.push_back({severity, line, column, code, std::move(message)});
}

} // namespace

void DialogWatch::offered(const ConversationMoment &talk)
{
    for (const OptionRules *option : talk.rows)
        shown.insert(option->node);
}

void DialogWatch::record(TraceEvent event, const std::vector<TraceField> &fields)
{
    if (event == TraceEvent::dialogStart) {
        if (const std::string *dialog = textOf(fields, "dialog"))
            started.insert(*dialog);
    } else if (event == TraceEvent::dialogGoto) {
        if (const std::string *dialog = textOf(fields, "to"))
            started.insert(*dialog);
    } else if (event == TraceEvent::dialogEnd) {
        const std::string *reason = textOf(fields, "reason");
        if (const std::string *dialog = textOf(fields, "dialog"); dialog && reason && *reason == "empty")
            emptied.insert(*dialog);
    }
}

void DialogWatch::report(const Game &game, const std::vector<const DialogRules *> &trapped,
                         std::vector<Diagnostic> &findings) const
{
    for (const DialogRules *dialog : trapped)
        add(game, dialog->node, Severity::error, "dialog-trap",
            "the dialog \"" + std::string(dialog->id) +
                "\" can reach a point from which no sequence of choices ends it: the player can never leave",
            findings);
    for (const DialogRules &dialog : game.dialogs.dialogs) {
        const std::string id(dialog.id);
        if (started.count(id) == 0) {
            add(game, dialog.node, Severity::warning, "unreachable", "the dialog \"" + id + "\" is never started",
                findings);
            continue;
        }
        if (emptied.count(id) != 0)
            add(game, dialog.node, Severity::warning, "dialog-empty",
                "the menu of the dialog \"" + id + "\" can come up with no option on it, which ends the dialog",
                findings);
        for (const OptionRules &option : dialog.options)
            if (shown.count(option.node) == 0)
                add(game, option.node, Severity::warning, "option-unreachable",
                    "the option \"" + std::string(option.id) + "\" of the dialog \"" + id +
                        "\" is never offered in any state the game can reach",
                    findings);
    }
}
