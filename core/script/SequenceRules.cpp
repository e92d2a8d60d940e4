#include "core/script/SequenceRules.h"

#include "core/text/Lists.h"

#include "core/text/StartupError.h"

#include <cstring>
#include <set>

namespace {

std::vector<std::string_view> idListOf(Node *node, const char *name)
{
    const Attribute *given = hasAttribute(node, name);
    return given ? parseIdList(given) : std::vector<std::string_view>{};
}

std::optional<int> countOf(Node *node, const char *name)
{
    const Attribute *given = hasAttribute(node, name);
    if (!given)
        return std::nullopt;
    const int count = parseStrictInteger(given);
    if (count < 1)
        throw StartupError(std::string("\"") + name + "\" must be a whole number from 1", given->value());
    return count;
}

} // namespace

void SequenceBook::read(Node *root, GameRules &rules)
{
    startSequence = viewOf(root, "startSequence");
    goalSequence = viewOf(root, "goalSequence");
    waitCursor = valueOrNull(root, "waitCursor");
    Node *all = getChild(root, "sequences");
    if (!all)
        return;
    declared = true;
    std::set<std::string_view> ids;
    for (Node *sequence = all->first_node(); sequence; sequence = sequence->next_sibling()) {
        if (!isElement(sequence) || !named(sequence, "sequence"))
            continue;
        requireAttributes(sequence, "sequence");
        SequenceRules read;
        read.node = sequence;
        read.id = viewOf(sequence, "id");
        if (!isDialogId(read.id))
            throw StartupError("\"id\" is \"" + std::string(read.id) +
                                   "\", which is not an id of a <sequence> (letters, digits, \"_\" and \"-\")",
                               hasAttribute(sequence, "id")->value());
        if (const Attribute *skippable = hasAttribute(sequence, "skippable"))
            read.skippable = parseBoolean(skippable);
        for (Node *step = sequence->first_node(); step; step = step->next_sibling())
            if (isElement(step))
                read.steps.push_back(readStep(step, rules));
        if (!ids.insert(read.id).second)
            throw StartupError("a second <sequence> has the id \"" + std::string(read.id) +
                                   "\"; each cutscene needs an id of its own",
                               hasAttribute(sequence, "id")->value());
        sequences.push_back(std::move(read));
    }
}

StepRules SequenceBook::readStep(Node *step, GameRules &rules)
{
    StepRules read;
    read.node = step;
    read.name = step->name();
    const std::string_view name = read.name;
    if (name == "say") {
        requireAttributes(step, "sequence say");
        read.kind = StepRules::Kind::say;
        read.line.node = step;
        read.line.text = valueOrNull(step, "text");
        read.line.by = valueOrNull(step, "by");
        read.line.audio = valueOrNull(step, "audio");
        read.frames = countOf(step, "frames");
    } else if (name == "walk") {
        requireAttributes(step, "walk");
        read.kind = StepRules::Kind::walk;
        if (viewOf(step, "who") != "player")
            read.who = viewOf(step, "who");
        read.to = parsePoint(hasAttribute(step, "to"));
    } else if (name == "wait") {
        requireAttributes(step, "wait");
        read.kind = StepRules::Kind::wait;
        read.frames = countOf(step, "frames");
    } else if (name == "play") {
        requireAttributes(step, "play");
        read.kind = StepRules::Kind::play;
        read.line.audio = valueOrNull(step, "audio");
    } else if (name == "do") {
        requireAttributes(step, "do");
        read.kind = StepRules::Kind::effects;
        if (const Attribute *condition = hasAttribute(step, "if"))
            read.condition = rules.noteNames(parseCondition(condition));
        read.effects.setFlags = idListOf(step, "setFlag");
        read.effects.clearFlags = idListOf(step, "clearFlag");
        read.effects.giveItems = idListOf(step, "giveItem");
        read.effects.takeItems = idListOf(step, "takeItem");
        rules.noteNames(read.effects);
    } else if (name == "scene") {
        requireAttributes(step, "sequence scene");
        read.kind = StepRules::Kind::scene;
        read.scene = parseStrictInteger(hasAttribute(step, "to"));
    } else if (name == "animate") {
        requireAttributes(step, "animate");
        read.kind = StepRules::Kind::animate;
        read.who = viewOf(step, "sprite");
        read.cells = readCells(hasAttribute(step, "frames"));
        read.delay = countOf(step, "delay").value_or(read.delay);
    } else if (name == "fade") {
        requireAttributes(step, "fade");
        read.kind = StepRules::Kind::fade;
        const Attribute *to = hasAttribute(step, "to");
        const std::string_view toWhat(to->value(), to->value_size());
        if (toWhat != "black" && toWhat != "clear")
            throw StartupError("\"to\" is \"" + std::string(toWhat) + "\"; a fade goes to \"black\" or \"clear\"",
                               to->value());
        read.darken = toWhat == "black";
        read.frames = countOf(step, "frames");
    } else if (name == "talk") {
        requireAttributes(step, "talk");
        read.kind = StepRules::Kind::talk;
        read.dialog = viewOf(step, "dialog");
    } else {
        throw StartupError(
            "<" + std::string(name) +
                "> is not a step of a cutscene (say, walk, wait, play, do, scene, talk, animate or fade)",
            elementPosition(step));
    }
    return read;
}

const SequenceRules *SequenceBook::find(std::string_view id) const
{
    for (const SequenceRules &sequence : sequences)
        if (sequence.id == id)
            return &sequence;
    return nullptr;
}
