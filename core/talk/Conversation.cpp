// Conversations: lines said one at a time, a menu of the options that hold,
// and what a choice does. While one runs it takes every press and the keys
// it knows; nothing reaches the scene or the bar.
#include "core/Game.h"
#include "core/text/Format.h"

#include "elements/Catalogue.h"
#include "elements/EAudio.h"
#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "elements/EText.h"

#include <SFML/Graphics/RectangleShape.hpp>

#include <algorithm>

namespace {

const char *orEmpty(const char *text)
{
    return text ? text : "";
}

// A line said by someone stands this far above them.
constexpr float speakerGap = 10.f;

// The smallest shift that brings [low, high] inside the world; a span wider
// than the world starts at its edge.
float intoWorld(float low, float high)
{
    const auto side = static_cast<float>(worldSize);
    if (low < 0 || high - low > side)
        return -low;
    return high > side ? side - high : 0.f;
}

} // namespace

void Game::startDialog(std::string_view id)
{
    const DialogRules *dialog = dialogs.find(id);
    if (!dialog) {
        // A document without conversations tells nothing of them.
        if (dialogs.declared)
            tell(TraceEvent::dialogMissing, {{"dialog", std::string(id)}});
        return;
    }
    tell(TraceEvent::dialogStart, {{"dialog", std::string(id)}});
    enterDialog(*dialog);
}

void Game::enterDialog(const DialogRules &dialog)
{
    talk = ConversationMoment{};
    talk.dialog = &dialog;
    talk.lines = &dialog.opening;
    sayNextLine();
}

void Game::sayNextLine()
{
    talk.line = nullptr;
    while (talk.nextLine < talk.lines->size()) {
        const LineRules &line = (*talk.lines)[talk.nextLine++];
        if (!state.holds(line.condition))
            continue;
        talk.line = &line;
        tell(TraceEvent::say, {{"dialog", std::string(talk.dialog->id)},
                               {"text", std::string(orEmpty(line.text))},
                               {"by", line.by ? TraceField::Value(std::string(line.by)) : TraceField::Value(nullptr)}});
        speak(line.text);
        playVoice(line.text);
        if (EAudio *audio = freeAudio(line.audio)) {
            audio->playSound();
            tell(TraceEvent::sound, audio->id);
        }
        return;
    }
    afterLines();
}

void Game::afterLines()
{
    const OptionRules *said = talk.chosen;
    if (!said || said->then == OptionRules::Then::returnToMenu) {
        offerMenu();
    } else if (said->then == OptionRules::Then::stop) {
        endDialog("stop");
    } else if (const DialogRules *next = dialogs.find(said->to)) {
        tell(TraceEvent::dialogGoto, {{"from", std::string(talk.dialog->id)}, {"to", std::string(next->id)}});
        enterDialog(*next);
    } else {
        tell(TraceEvent::dialogMissing, {{"dialog", std::string(said->to)}});
        endDialog("stop");
    }
}

void Game::offerMenu()
{
    talk.chosen = nullptr;
    talk.rows.clear();
    talk.focusedRow.reset();
    for (const OptionRules &option : talk.dialog->options)
        if (state.holds(option.condition) && !(option.once && state.wasChosen(option.mark)))
            talk.rows.push_back(&option);
    if (talk.rows.empty()) {
        endDialog("empty");
        return;
    }
    std::vector<std::string> ids;
    for (const OptionRules *option : talk.rows)
        ids.emplace_back(option->id);
    tell(TraceEvent::options, {{"dialog", std::string(talk.dialog->id)}, {"ids", std::move(ids)}});
}

void Game::choose(std::size_t row)
{
    const OptionRules &option = *talk.rows[row];
    talk.rows.clear();
    talk.focusedRow.reset();
    tell(TraceEvent::option, {{"dialog", std::string(talk.dialog->id)}, {"option", std::string(option.id)}});
    state.choose(option.mark);
    applyEffects(option.effects);
    checkGoal();
    talk.chosen = &option;
    talk.lines = &option.lines;
    talk.nextLine = 0;
    sayNextLine();
}

void Game::endDialog(const char *reason)
{
    tell(TraceEvent::dialogEnd, {{"dialog", std::string(talk.dialog->id)}, {"reason", std::string(reason)}});
    talk = ConversationMoment{};
}

void Game::talkPress(sf::Vector2f point)
{
    if (talk.line) {
        sayNextLine();
    } else if (const std::optional<std::size_t> row = rowAt(point)) {
        choose(*row);
    }
}

void Game::talkKey(std::string_view name)
{
    if (talk.line) {
        if (name == "Enter" || name == "Space")
            sayNextLine();
        return;
    }
    const std::size_t rows = talk.rows.size();
    if (name == "Down") {
        focusRow(talk.focusedRow ? (*talk.focusedRow + 1) % rows : 0);
    } else if (name == "Up") {
        focusRow(talk.focusedRow ? (*talk.focusedRow + rows - 1) % rows : rows - 1);
    } else if (name == "Enter") {
        if (talk.focusedRow)
            choose(*talk.focusedRow);
    } else if (name.size() == 1 && name[0] >= '1' && name[0] <= '9') {
        const auto row = static_cast<std::size_t>(name[0] - '1');
        if (row < rows)
            choose(row);
    }
}

void Game::talkPointer(sf::Vector2f point)
{
    if (const std::optional<std::size_t> row = rowAt(point))
        focusRow(*row);
}

void Game::focusRow(std::size_t row)
{
    if (talk.focusedRow == row)
        return;
    talk.focusedRow = row;
    speak(talk.rows[row]->text);
}

float Game::rowHeight() const
{
    return dialogs.rowHeight * EText::sizeScale;
}

sf::FloatRect Game::rowBox(std::size_t row) const
{
    const sf::Vector2f corner = dialogs.menu + sf::Vector2f(0, static_cast<float>(row) * rowHeight());
    return {corner, sf::Vector2f(static_cast<float>(worldSize) - corner.x, rowHeight())};
}

std::optional<std::size_t> Game::rowAt(sf::Vector2f point) const
{
    for (std::size_t row = 0; row < talk.rows.size(); ++row)
        if (rowBox(row).contains(point))
            return row;
    return std::nullopt;
}

// Lines are found by where the speaker stands as they are drawn, so a line
// said by someone walking goes along with them.
std::optional<sf::FloatRect> Game::speakerBounds(const char *by) const
{
    if (!by)
        return std::nullopt;
    if (std::string_view(by) == "player")
        return player && built->placesPlayer ? std::optional(player->sprite->drawable->getGlobalBounds())
                                             : std::nullopt;
    for (std::size_t i = scene->sprites.size(); i > 0; --i)
        if (idEquals(scene->sprites[i - 1]->id, by) && isActive(i - 1))
            return scene->sprites[i - 1]->drawable->getGlobalBounds();
    return std::nullopt;
}

void Game::drawLine(const LineRules &line)
{
    EText *text = freeText(line.text);
    if (!text)
        return;
    sf::Text shown = text->drawable;
    if (const std::optional<sf::FloatRect> speaker = speakerBounds(line.by)) {
        const sf::FloatRect own = shown.getGlobalBounds();
        sf::Vector2f shift(speaker->left + speaker->width / 2 - (own.left + own.width / 2),
                           speaker->top - speakerGap - (own.top + own.height));
        shift.x += intoWorld(own.left + shift.x, own.left + shift.x + own.width);
        shift.y += intoWorld(own.top + shift.y, own.top + shift.y + own.height);
        shown.move(shift);
    }
    drawText(text, shown);
}

void Game::drawConversation()
{
    if (talk.line) {
        drawLine(*talk.line);
        return;
    }
    for (std::size_t row = 0; row < talk.rows.size(); ++row)
        if (EText *text = freeText(talk.rows[row]->text)) {
            sf::Text shown = text->drawable;
            shown.setPosition(rowBox(row).left, rowBox(row).top);
            drawText(text, shown);
        }
    if (talk.focusedRow)
        outline(rowBox(*talk.focusedRow));
}

EAudio *Game::freeAudio(const char *audioId)
{
    if (!audioId)
        return nullptr;
    const auto known = freeAudios.find(audioId);
    if (known != freeAudios.end())
        return known->second;
    EAudio *claimed = nullptr;
    for (EAudio *audio : audioCatalogue)
        if (idEquals(audio->id, audioId)) {
            claimed = claim(audio);
            claimed->loadSound();
        }
    freeAudios.emplace(audioId, claimed);
    return claimed;
}
