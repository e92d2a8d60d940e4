// Cutscenes: steps run one after another while the player watches. While
// one runs, presses and keys only pass its lines (or reach the conversation
// it holds), and Escape skips what is left of a skippable one: every effect
// the rest would have is applied in order, so a skip ends where playing it
// through ends.
#include "core/Game.h"

#include "elements/EAudio.h"
#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"

#include <algorithm>

namespace {

TraceField::Value byOf(const char *by)
{
    return by ? TraceField::Value(std::string(by)) : TraceField::Value(nullptr);
}

} // namespace

void Game::startSequenceOf(const std::vector<const ActionRules *> &counted, bool arrived)
{
    const ActionRules *starts = lastNaming(counted, &ActionRules::sequence);
    if (!starts)
        return;
    if (!arrived && starts->walkTo && player && built->placesPlayer && sequences.find(starts->sequence)) {
        sendPlayer(*starts->walkTo);
        waitingSequence = starts->sequence;
    } else {
        queueSequence(starts->sequence);
    }
}

void Game::queueSequence(std::string_view id)
{
    if (const SequenceRules *sequence = sequences.find(id))
        script.queued.push_back(sequence);
}

void Game::enterSequenceOf(bool first)
{
    const SceneRules &sceneRules = rules.scene(sceneNode);
    const std::string_view id = first && !sceneRules.onFirstEnterSequence.empty() ? sceneRules.onFirstEnterSequence
                                                                                  : sceneRules.onEnterSequence;
    if (id.empty())
        return;
    if (scene->texts.size() > built->textConditions.size())
        script.afterEntryText = id;
    else
        queueSequence(id);
}

void Game::runSequences()
{
    if (!script.afterEntryText.empty() && scene->texts.size() <= built->textConditions.size()) {
        queueSequence(script.afterEntryText);
        script.afterEntryText = {};
    }
    if (script.running() && stepEnded()) {
        ++script.step;
        runSteps();
    }
    while (!script.running() && !script.queued.empty()) {
        const SequenceRules *next = script.queued.front();
        script.queued.erase(script.queued.begin());
        beginSequence(*next);
    }
}

void Game::beginSequence(const SequenceRules &sequence)
{
    // The cutscene takes the player from whatever walk a press began.
    if (player && player->walking) {
        player->walking = false;
        waitingExit.reset();
        waitingDialog = {};
        cancelPendingAction();
    }
    setFocus(std::nullopt);
    tell(TraceEvent::sequenceStart, {{"sequence", std::string(sequence.id)}});
    script.sequence = &sequence;
    script.step = 0;
    runSteps();
}

void Game::runSteps()
{
    for (; script.step < script.sequence->steps.size(); ++script.step) {
        const StepRules &step = script.current();
        tell(TraceEvent::sequenceStep, {{"sequence", std::string(script.sequence->id)},
                                        {"index", static_cast<std::int64_t>(script.step)},
                                        {"kind", std::string(step.name)}});
        script.framesLeft = step.frames.value_or(0);
        script.passed = false;
        switch (step.kind) {
        case StepRules::Kind::say:
            tell(TraceEvent::say, {{"sequence", std::string(script.sequence->id)},
                                   {"text", std::string(step.line.text ? step.line.text : "")},
                                   {"by", byOf(step.line.by)}});
            speak(step.line.text);
            playVoice(step.line.text);
            [[fallthrough]];
        case StepRules::Kind::play:
            if (EAudio *audio = freeAudio(step.line.audio)) {
                audio->playSound();
                tell(TraceEvent::sound, audio->id);
            }
            break;
        case StepRules::Kind::walk:
            if (!step.who.empty())
                sendSprite(step);
            else if (player)
                sendPlayer(step.to);
            break;
        case StepRules::Kind::wait:
            break;
        case StepRules::Kind::effects:
            if (state.holds(step.condition)) {
                applyEffects(step.effects);
                checkGoal();
            }
            break;
        case StepRules::Kind::scene:
            if (findScene(step.scene)) {
                if (!leaveThroughFade(step.scene))
                    changeScene(step.scene);
            } else
                tell(TraceEvent::sceneMissing, {{"scene", std::int64_t{step.scene}}});
            break;
        case StepRules::Kind::talk:
            startDialog(step.dialog);
            break;
        case StepRules::Kind::animate:
            startAnimation(step);
            break;
        case StepRules::Kind::fade:
            startFade(step.darken ? Fade::Kind::out : Fade::Kind::in, *step.frames, true);
            break;
        }
        if (step.waits() && !stepEnded())
            return;
    }
    endSequence(false);
}

bool Game::stepEnded() const
{
    const StepRules &step = script.current();
    switch (step.kind) {
    case StepRules::Kind::say:
        return step.frames ? script.framesLeft <= 0 : script.passed;
    case StepRules::Kind::wait:
    case StepRules::Kind::fade:
        return script.framesLeft <= 0;
    case StepRules::Kind::walk:
        return step.who.empty() ? !player || !player->walking : script.walker == nullptr;
    case StepRules::Kind::talk:
        return !talk.running();
    case StepRules::Kind::scene:
        return !fade.exitTo;
    case StepRules::Kind::animate:
        return script.animated == nullptr;
    default:
        return true;
    }
}

void Game::endSequence(bool skipped)
{
    tell(TraceEvent::sequenceEnd, {{"sequence", std::string(script.sequence->id)}, {"skipped", skipped}});
    // What shows of a sprite afterwards is the state's to say, from where it was placed.
    for (const auto &[sprite, placement] : script.moved)
        sprite->setPosition(placement.x, placement.y);
    script.moved.clear();
    if (fade.fromCutscene)
        fade = Fade();
    script.walker = nullptr;
    script.sequence = nullptr;
    script.step = 0;
}

void Game::skipSequence(bool untilTalk)
{
    const SequenceRules &sequence = *script.sequence;
    const StepRules &now = script.current();
    stopAnimation();
    if (now.kind == StepRules::Kind::walk && now.who.empty())
        walkToTheEnd();
    else if (now.kind == StepRules::Kind::walk)
        walkSpriteToTheEnd();
    else if (now.kind == StepRules::Kind::talk && talk.running())
        endDialog("stop");
    else if (now.kind == StepRules::Kind::scene && fade.exitTo)
        takeFadingExit();
    for (std::size_t i = script.step + 1; i < sequence.steps.size(); ++i) {
        const StepRules &step = sequence.steps[i];
        if (untilTalk && step.kind == StepRules::Kind::talk) {
            script.step = i;
            runSteps();
            return;
        }
        if (step.kind == StepRules::Kind::walk && !step.who.empty()) {
            sendSprite(step);
            walkSpriteToTheEnd();
        } else if (step.kind == StepRules::Kind::walk && player) {
            player->setTarget(step.to.x, step.to.y);
            walkToTheEnd();
        } else if (step.kind == StepRules::Kind::effects && state.holds(step.condition)) {
            applyEffects(step.effects);
            checkGoal();
        } else if (step.kind == StepRules::Kind::scene && findScene(step.scene)) {
            changeScene(step.scene);
        }
    }
    endSequence(true);
}

// The walk is stepped as the frames would step it, so that it ends where
// playing it through ends it, along the same route.
void Game::walkToTheEnd()
{
    if (!player || !player->walking)
        return;
    while (player->walking && player->speed > 0)
        player->update();
    player->walking = false;
    tellTurns();
    tell(TraceEvent::arrived, player->sprite->position);
}

void Game::sendSprite(const StepRules &step)
{
    script.walker = nullptr;
    for (std::size_t i = scene->sprites.size(); i > 0 && !script.walker; --i)
        if (idEquals(scene->sprites[i - 1]->id, std::string(step.who).c_str()) && isActive(i - 1))
            script.walker = scene->sprites[i - 1];
    if (!script.walker)
        return;
    ESprite *sprite = script.walker;
    if (std::none_of(script.moved.begin(), script.moved.end(), [&](const auto &one) { return one.first == sprite; }))
        script.moved.emplace_back(sprite, sprite->position);
    const Point from{static_cast<double>(sprite->position.x), static_cast<double>(sprite->position.y)};
    Point to{static_cast<double>(step.to.x), static_cast<double>(step.to.y)};
    if (scene->walkArea) {
        to = scene->walkArea->targetFor(to);
        script.walkerRoute = Route(scene->walkArea->path(from, to));
    } else {
        script.walkerRoute = Route({from, to});
    }
    script.walkerSpeed = sprite->sceneChild ? readInteger(sprite->sceneChild, "speed", player ? player->speed : 10)
                                            : (player ? player->speed : 10);
    tell(TraceEvent::walk, {{"who", std::string(step.who)},
                            {"x", static_cast<std::int64_t>(to.x)},
                            {"y", static_cast<std::int64_t>(to.y)}});
}

// As the player walks a route: the walk ends in the step after landing.
void Game::walkSprite()
{
    ESprite *sprite = script.walker;
    if (!sprite)
        return;
    const std::string who = sprite->id ? sprite->id : "";
    if (script.walkerRoute.finished() || script.walkerSpeed <= 0) {
        script.walker = nullptr;
        tell(TraceEvent::arrived, {{"who", who},
                                   {"x", static_cast<std::int64_t>(sprite->position.x)},
                                   {"y", static_cast<std::int64_t>(sprite->position.y)}});
        return;
    }
    script.walkerRoute.advance(script.walkerSpeed);
    const Point at = script.walkerRoute.position();
    sprite->setPosition(static_cast<float>(at.x), static_cast<float>(at.y));
    tell(TraceEvent::player, {{"who", who},
                              {"x", static_cast<std::int64_t>(sprite->position.x)},
                              {"y", static_cast<std::int64_t>(sprite->position.y)}});
}

void Game::walkSpriteToTheEnd()
{
    if (!script.walker)
        return;
    while (!script.walkerRoute.finished() && script.walkerSpeed > 0)
        script.walkerRoute.advance(script.walkerSpeed);
    const Point at = script.walkerRoute.position();
    script.walker->setPosition(static_cast<float>(at.x), static_cast<float>(at.y));
    walkSprite();
}

// Cell k shows for `delay` frames from the step's first; the step ends in
// the last frame of its last cell, and the sprite is its own again in the
// frame after.
void Game::startAnimation(const StepRules &step)
{
    script.animated = nullptr;
    const std::string id(step.who);
    for (std::size_t i = scene->sprites.size(); i > 0 && !script.animated; --i)
        if (idEquals(scene->sprites[i - 1]->id, id.c_str()) && isActive(i - 1))
            script.animated = scene->sprites[i - 1];
    if (!script.animated)
        return;
    script.animatedCell = script.animated->cell();
    script.animatedFrames = 0;
    playCell(step);
}

void Game::playCell(const StepRules &step)
{
    const auto last = static_cast<int>(step.cells.size()) * step.delay - 1;
    script.animated->showCell(step.cells[static_cast<std::size_t>(script.animatedFrames / step.delay)]);
    if (script.animatedFrames >= last) {
        script.animationDone = script.animated;
        script.animated = nullptr;
    }
}

// After the scene's own animation of the frame, so the step's cell is the one drawn.
void Game::animateOn()
{
    if (script.animationDone) {
        giveBackCell(script.animationDone);
        script.animationDone = nullptr;
    }
    if (!script.animated)
        return;
    ++script.animatedFrames;
    playCell(script.current());
}

void Game::stopAnimation()
{
    for (ESprite *sprite : {script.animated, script.animationDone})
        if (sprite)
            giveBackCell(sprite);
    script.animated = script.animationDone = nullptr;
}

// The loop's cell for this frame, or the cell it showed before.
void Game::giveBackCell(ESprite *sprite)
{
    if (sprite->loop)
        sprite->animate(scene->frame);
    else
        sprite->showCell(std::max(script.animatedCell, 0));
}

void Game::finishCutscenes()
{
    while (script.running() || !script.queued.empty()) {
        if (script.running())
            skipSequence();
        runSequences();
    }
}

void Game::finishCutscenesUpToTalk()
{
    while (script.running() || !script.queued.empty()) {
        if (talk.running())
            return;
        if (script.running() && !stepEnded())
            skipSequence(true);
        runSequences();
    }
}

void Game::sequencePress()
{
    const StepRules &step = script.current();
    if (step.kind == StepRules::Kind::say && !step.frames)
        script.passed = true;
}

void Game::sequenceKey(std::string_view name)
{
    if (name == "Escape") {
        if (script.sequence->skippable)
            skipSequence();
    } else if (talk.running()) {
        talkKey(name);
    } else if (name == "Enter" || name == "Space") {
        sequencePress();
    }
}
