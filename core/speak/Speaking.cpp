// Self-voicing: what is said aloud while the game speaks. Nothing here runs
// without a speaker, so a game played without one traces as it always has.
#include "core/Game.h"

#include "elements/EText.h"

void Game::speak(const EText *text)
{
    if (!speech || !text || !text->id)
        return;
    tell(TraceEvent::speak, {{"id", std::string(text->id)}});
    speech->say(text->string);
}

void Game::speak(const char *textId)
{
    if (speech && textId)
        speak(freeText(textId));
}

// Said when it changes, as the focus moves or the pointer goes from one
// thing to another; a label that goes away is said again when it comes back.
void Game::speakLabel()
{
    if (!speech || !pointerRules.used || talk.running() || script.running())
        return;
    const char *label = shownLabel().text;
    const std::string_view now = label ? label : "";
    if (now == spokenLabel)
        return;
    spokenLabel = now;
    speak(label);
}
