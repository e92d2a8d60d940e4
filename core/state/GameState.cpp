#include "core/state/GameState.h"

#include <algorithm>

bool GameState::holds(const Condition &condition) const
{
    for (const ConditionTerm &term : condition.terms) {
        bool value = false;
        switch (term.kind) {
        case ConditionTerm::Kind::flag:
            value = isSet(term.name);
            break;
        case ConditionTerm::Kind::item:
            value = holdsItem(term.name);
            break;
        case ConditionTerm::Kind::visited:
            value = visited.count(term.scene) != 0;
            break;
        case ConditionTerm::Kind::chosen:
            value = wasChosen(term.name);
            break;
        }
        if (value == term.negated)
            return false;
    }
    return true;
}

bool GameState::holdsItem(std::string_view item) const
{
    return std::find(inventory.begin(), inventory.end(), item) != inventory.end();
}

bool GameState::setFlag(std::string_view flag)
{
    if (!flags.emplace(flag).second)
        return false;
    touch();
    return true;
}

bool GameState::clearFlag(std::string_view flag)
{
    const auto found = flags.find(flag);
    if (found == flags.end())
        return false;
    flags.erase(found);
    touch();
    return true;
}

bool GameState::giveItem(std::string_view item)
{
    if (holdsItem(item))
        return false;
    inventory.emplace_back(item);
    touch();
    return true;
}

bool GameState::takeItem(std::string_view item)
{
    const auto found = std::find(inventory.begin(), inventory.end(), item);
    if (found == inventory.end())
        return false;
    inventory.erase(found);
    touch();
    return true;
}

bool GameState::wasChosen(std::string_view option) const
{
    return std::find(chosen.begin(), chosen.end(), option) != chosen.end();
}

bool GameState::choose(std::string_view option)
{
    if (wasChosen(option))
        return false;
    chosen.emplace_back(option);
    touch();
    return true;
}
