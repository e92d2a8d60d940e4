// The end of a frame: a load or a scene change, what is hovered, the saves asked for.
#include "core/Game.h"

#include "elements/Catalogue.h"
#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/EText.h"

void Game::transition()
{
    // A load that is performed wins over the frame's scene change.
    if (quickLoadAsked) {
        quickLoadAsked = false;
        if (loadSave(saveFolder() + "/quick.json", "quick")) {
            committedExit.reset();
            fade = Fade();
        }
    }
    // The door a fade to black held is taken once it is black, or at once
    // when the window closes, so the auto save keeps where the door leads.
    if (fade.exitTo && (!fade.running() || autoSaveAsked || !fades)) {
        takeFadingExit();
        runSequences();
    }
    if (committedExit) {
        const int next = *committedExit;
        committedExit.reset();
        if (autoSaveAsked || !leaveThroughFade(next)) {
            changeScene(next);
            runSequences();
        }
    }
    updateHover();
    speakLabel();
    if (quickSaveAsked && script.running())
        refuseSave("quick", "sequence-active", "a cutscene is running; save once it ends");
    else if (quickSaveAsked && talk.running())
        refuseSave("quick", "dialog-active", "a conversation is running; save once it ends");
    else if (quickSaveAsked)
        writeSave("quick");
    if (autoSaveAsked)
        writeSave("auto");
    quickSaveAsked = autoSaveAsked = false;
    noteDrawnTexts();
}

void Game::takeFadingExit()
{
    const int next = *fade.exitTo;
    fade = Fade();
    changeScene(next);
}

void Game::changeScene(int sceneId)
{
    Node *next = findScene(sceneId);
    if (!next)
        return;
    const int from = currentSceneId;
    tell(TraceEvent::sceneLeave, {{"scene", std::int64_t{from}}});
    leaveScene();
    setFocus(std::nullopt);
    const bool first = state.visited.count(sceneId) == 0;
    enter(next, from);
    currentSceneId = sceneId;
    state.visited.insert(sceneId);
    state.touch();
    tell(TraceEvent::sceneEnter, {{"scene", std::int64_t{sceneId}}, {"from", std::int64_t{from}}, {"first", first}});
    startFade(Fade::Kind::in, stage.scene(next).fadeIn, false);
    show(first && built->firstEnterText ? built->firstEnterText : built->enterText);
    checkGoal();
    enterSequenceOf(first);
}

void Game::leaveScene()
{
    // What was shown over the scene goes with it; its own texts stay for the next visit.
    if (scene)
        while (scene->texts.size() > built->textConditions.size()) {
            scene->texts.back()->visible = false;
            scene->texts.pop_back();
        }
    // What waited for the walk waits no more: the walk ends here, and a load
    // may put the player anywhere.
    waitingExit.reset();
    waitingDialog = {};
    pendingAction.reset();
    waitingSequence = {};
    script.afterEntryText = {};
    if (player)
        player->walking = false;
}
