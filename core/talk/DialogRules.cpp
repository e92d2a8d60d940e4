#include "core/talk/DialogRules.h"

#include "core/text/Format.h"
#include "core/text/StartupError.h"

#include <cstring>
#include <set>

namespace {

std::string_view requireId(Node *node)
{
    const Attribute *given = hasAttribute(node, "id");
    if (!given)
        throw StartupError(std::string("<") + node->name() + "> has no \"id\" attribute", elementPosition(node));
    const std::string_view value(given->value(), given->value_size());
    if (!isDialogId(value))
        throw StartupError("\"id\" is \"" + std::string(value) + "\", which is not an id of a <" + node->name() +
                               "> (letters, digits, \"_\" and \"-\")",
                           given->value());
    return value;
}

std::vector<std::string_view> idListOf(Node *node, const char *name)
{
    const Attribute *given = hasAttribute(node, name);
    return given ? parseIdList(given) : std::vector<std::string_view>{};
}

LineRules readLine(Node *say, GameRules &rules)
{
    requireAttributes(say, "say");
    LineRules line;
    line.node = say;
    line.text = valueOrNull(say, "text");
    line.by = valueOrNull(say, "by");
    line.audio = valueOrNull(say, "audio");
    if (const Attribute *condition = hasAttribute(say, "if"))
        line.condition = rules.noteNames(parseCondition(condition));
    return line;
}

std::vector<LineRules> readLines(Node *parent, GameRules &rules)
{
    std::vector<LineRules> lines;
    for (Node *child = parent->first_node(); child; child = child->next_sibling())
        if (isElement(child) && named(child, "say"))
            lines.push_back(readLine(child, rules));
    return lines;
}

} // namespace

void DialogBook::read(Node *root, GameRules &rules)
{
    if (const Attribute *menuAt = hasAttribute(root, "dialogMenu"))
        menu = parsePoint(menuAt);
    if (const Attribute *height = hasAttribute(root, "dialogRowHeight")) {
        static const AttributeFormat &range = *findAttribute(formatOf("root"), "dialogRowHeight");
        rowHeight = parseDecimal(height);
        if (!inRange(range, rowHeight))
            throw StartupError("\"dialogRowHeight\" must be " + rangeText(range), height->value());
    }
    Node *all = getChild(root, "dialogs");
    if (!all)
        return;
    declared = true;
    std::set<std::string_view> ids;
    for (Node *dialog = all->first_node(); dialog; dialog = dialog->next_sibling()) {
        if (!isElement(dialog) || !named(dialog, "dialog"))
            continue;
        DialogRules read = readDialog(dialog, rules);
        if (!ids.insert(read.id).second)
            throw StartupError("a second <dialog> has the id \"" + std::string(read.id) +
                                   "\"; each conversation needs an id of its own",
                               hasAttribute(dialog, "id")->value());
        dialogs.push_back(std::move(read));
    }
}

DialogRules DialogBook::readDialog(Node *dialog, GameRules &rules)
{
    DialogRules read;
    read.node = dialog;
    read.id = requireId(dialog);
    read.opening = readLines(dialog, rules);
    std::set<std::string_view> ids;
    for (Node *child = dialog->first_node(); child; child = child->next_sibling()) {
        if (!isElement(child) || !named(child, "option"))
            continue;
        OptionRules option = readOption(child, read.id, rules);
        if (!ids.insert(option.id).second)
            throw StartupError("a second <option> of the dialog \"" + std::string(read.id) + "\" has the id \"" +
                                   std::string(option.id) + "\"; each option of a dialog needs an id of its own",
                               hasAttribute(child, "id")->value());
        read.options.push_back(std::move(option));
    }
    return read;
}

OptionRules DialogBook::readOption(Node *option, std::string_view dialog, GameRules &rules)
{
    requireAttributes(option, "option");
    OptionRules read;
    read.node = option;
    read.id = requireId(option);
    read.mark = std::string(dialog) + "." + std::string(read.id);
    read.text = valueOrNull(option, "text");
    if (const Attribute *condition = hasAttribute(option, "if"))
        read.condition = rules.noteNames(parseCondition(condition));
    if (const Attribute *once = hasAttribute(option, "once"))
        read.once = parseBoolean(once);
    const Attribute *then = hasAttribute(option, "then");
    const std::string_view thenValue = then ? std::string_view(then->value(), then->value_size()) : "return";
    if (thenValue == "stop")
        read.then = OptionRules::Then::stop;
    else if (thenValue == "goto")
        read.then = OptionRules::Then::jump;
    else if (thenValue != "return")
        throw StartupError("\"then\" is \"" + std::string(thenValue) + "\", but it must be return, stop or goto",
                           then->value());
    const Attribute *to = hasAttribute(option, "to");
    if (read.then == OptionRules::Then::jump && !to)
        throw StartupError("<option> has then=\"goto\" but no \"to\" naming the dialog it goes to",
                           elementPosition(option));
    if (to && read.then != OptionRules::Then::jump)
        throw StartupError("\"to\" is given, but it is only read with then=\"goto\"", to->value());
    if (to) {
        read.to = std::string_view(to->value(), to->value_size());
        read.toWhere = to->value();
    }
    read.effects.setFlags = idListOf(option, "setFlag");
    read.effects.clearFlags = idListOf(option, "clearFlag");
    read.effects.giveItems = idListOf(option, "giveItem");
    read.effects.takeItems = idListOf(option, "takeItem");
    rules.noteNames(read.effects);
    read.lines = readLines(option, rules);
    return read;
}

const DialogRules *DialogBook::find(std::string_view id) const
{
    for (const DialogRules &dialog : dialogs)
        if (dialog.id == id)
            return &dialog;
    return nullptr;
}

const OptionRules *DialogBook::option(std::string_view mark) const
{
    const std::size_t dot = mark.find('.');
    const DialogRules *dialog = dot == std::string_view::npos ? nullptr : find(mark.substr(0, dot));
    if (!dialog)
        return nullptr;
    for (const OptionRules &option : dialog->options)
        if (option.id == mark.substr(dot + 1))
            return &option;
    return nullptr;
}
