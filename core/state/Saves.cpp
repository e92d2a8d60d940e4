#include "core/Game.h"

#include "elements/Catalogue.h"
#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "elements/EText.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

// A save file's slot as the trace names it: "quick" for quick.json.
std::string slotOf(const std::string &path)
{
    return fs::path(path).stem().string();
}

} // namespace

std::string Game::saveFolder() const
{
    if (!rules.saveName || !saves.folderFor)
        return "";
    return saves.folderFor(*rules.saveName);
}

std::variant<SaveData, SaveProblem> Game::checkSave(const std::string &path, std::vector<std::string> &dropped)
{
    std::variant<SaveData, SaveProblem> read = readSaveFile(path);
    if (std::holds_alternative<SaveProblem>(read))
        return read;
    const SaveData &data = std::get<SaveData>(read);
    if (!rules.saveName || data.saveName != *rules.saveName)
        return SaveProblem{LoadRefusal::otherGame, 0, 0,
                           "the save is of the game \"" + data.saveName + "\", " +
                               (rules.saveName ? "but this game is \"" + std::string(*rules.saveName) + "\""
                                               : std::string("but this game has no saveName"))};
    if (!findScene(data.scene))
        return SaveProblem{LoadRefusal::missingScene, 0, 0,
                           "the save is in scene " + std::to_string(data.scene) + ", which this game no longer has"};
    for (const std::string &flag : data.flags)
        if (!rules.currentFlag(flag))
            dropped.push_back("the flag \"" + flag + "\" is not in this game; it is dropped");
    std::set<std::string_view> held;
    for (const std::string &item : data.items)
        if (!rules.currentItem(item))
            dropped.push_back("the item \"" + item + "\" is not in this game; it is dropped");
        else if (!held.insert(item).second)
            dropped.push_back("the item \"" + item + "\" is listed again; it is held once");
    for (const int sceneId : data.visited)
        if (!findScene(sceneId))
            dropped.push_back("the visited scene " + std::to_string(sceneId) + " is not in this game; it is dropped");
    for (const std::string &mark : data.chosen.value_or(std::vector<std::string>{}))
        if (!dialogs.option(mark))
            dropped.push_back("the chosen option \"" + mark + "\" is not in this game; it is dropped");
    return read;
}

void Game::sayAboutSave(const std::string &path, const SaveProblem &problem, const std::string &keptAs) const
{
    if (!saves.messages)
        return;
    Diagnostic said{Severity::error, problem.line, problem.column, refusalName(problem.reason), problem.message};
    std::string line = renderDiagnostic(path, said);
    // Without a place in the file, the line names the file alone.
    if (problem.line == 0)
        line = escapeControl(path) + ": error: " + escapeControl(problem.message);
    *saves.messages << line << " (" << refusalName(problem.reason) << "; nothing was loaded"
                    << (keptAs.empty() ? std::string() : "; the next save keeps it as " + escapeControl(keptAs)) << ")"
                    << std::endl;
}

std::optional<std::string> Game::slotAt(const std::string &path) const
{
    const std::string folder = saveFolder();
    if (folder.empty())
        return std::nullopt;
    for (const char *name : {"auto.json", "quick.json", "auto.json.bak", "quick.json.bak"}) {
        const std::string slot = folder + "/" + name;
        std::error_code ignored;
        if (fs::equivalent(path, slot, ignored))
            return slot;
    }
    return std::nullopt;
}

bool Game::startFromSave()
{
    if (!saves.startFrom.empty())
        return loadSave(saves.startFrom, slotOf(saves.startFrom));
    if (!saves.continueAuto)
        return false;
    const std::string folder = saveFolder();
    const std::string path = folder + "/auto.json";
    std::error_code ignored;
    if (folder.empty() || !fs::exists(path, ignored)) {
        if (saves.messages)
            *saves.messages << "adventure: no auto save to continue from"
                            << (folder.empty() ? std::string(" (the game does not save)")
                                               : " in " + escapeControl(folder))
                            << "; starting from the beginning" << std::endl;
        return false;
    }
    return loadSave(path, "auto");
}

bool Game::loadSave(const std::string &path, const std::string &slot)
{
    for (const bool backup : {false, true}) {
        const std::string file = backup ? path + ".bak" : path;
        std::vector<std::string> dropped;
        const std::variant<SaveData, SaveProblem> read = checkSave(file, dropped);
        if (const SaveData *data = std::get_if<SaveData>(&read)) {
            if (saves.messages)
                for (const std::string &sentence : dropped)
                    *saves.messages << escapeControl(file) << ": warning: " << escapeControl(sentence) << std::endl;
            applySave(*data, slot);
            return true;
        }
        const SaveProblem &problem = std::get<SaveProblem>(read);
        // A save this engine cannot take may be one a newer engine or another
        // game can: it stays, and the next save moves it out of its way.
        std::string keptAs;
        const bool unreadable = problem.reason == LoadRefusal::corrupt || problem.reason == LoadRefusal::missing;
        if (const std::optional<std::string> slotFile = unreadable ? std::nullopt : slotAt(file)) {
            refusedSaves.insert(*slotFile);
            keptAs = asideName(*slotFile);
        }
        sayAboutSave(file, problem, keptAs);
        tell(TraceEvent::loadFailed, {{"slot", slot}, {"reason", std::string(refusalName(problem.reason))}});
        // Only a save that cannot be read at all falls back to the one
        // before it, and only when there is one.
        std::error_code ignored;
        if (backup || !unreadable || !fs::exists(path + ".bak", ignored))
            return false;
        tell(TraceEvent::loadFallback, {{"slot", slot}});
    }
    return false;
}

void Game::applySave(const SaveData &data, const std::string &slot)
{
    if (talk.running())
        endDialog("load");
    GameState loaded;
    std::set<std::string_view> known;
    for (const std::string &flag : data.flags)
        if (const std::optional<std::string_view> current = rules.currentFlag(flag)) {
            loaded.flags.emplace(*current);
            known.insert(*current);
        }
    for (const std::string &flag : data.clearedFlags)
        if (const std::optional<std::string_view> current = rules.currentFlag(flag))
            known.insert(*current);
    // A flag the save does not know of is one the game added since: it starts as declared.
    for (const FlagDeclaration &flag : rules.flags)
        if (flag.set && known.count(flag.id) == 0)
            loaded.flags.emplace(flag.id);
    for (const std::string &item : data.items)
        if (const std::optional<std::string_view> current = rules.currentItem(item))
            loaded.giveItem(*current);
    for (const int sceneId : data.visited)
        if (findScene(sceneId))
            loaded.visited.insert(sceneId);
    loaded.visited.insert(data.scene);
    for (const std::string &mark : data.chosen.value_or(std::vector<std::string>{}))
        if (dialogs.option(mark))
            loaded.choose(mark);
    loaded.goalReached = state.goalReached;
    state.flags = std::move(loaded.flags);
    state.inventory = std::move(loaded.inventory);
    state.visited = std::move(loaded.visited);
    state.chosen = std::move(loaded.chosen);
    state.selected.reset();
    state.touch();
    committedExit.reset();
    tell(TraceEvent::load, {{"slot", slot}});

    if (scene)
        tell(TraceEvent::sceneLeave, {{"scene", std::int64_t{currentSceneId}}});
    leaveScene();
    // The focus is a place in the scene's sprite list: it means nothing in another scene's.
    if (findScene(data.scene) != sceneNode)
        setFocus(std::nullopt);
    enter(findScene(data.scene), std::nullopt);
    currentSceneId = data.scene;
    if (player && built->placesPlayer && data.player) {
        player->sprite->setPosition(data.player->x, data.player->y);
        player->target = *data.player;
        scalePlayer();
    }
    tell(TraceEvent::sceneEnter,
         {{"scene", std::int64_t{data.scene}}, {"from", std::string("load")}, {"first", false}});
    checkGoal();
}

void Game::writeSave(const std::string &slot)
{
    SaveData data;
    data.saveName = std::string(*rules.saveName);
    data.gameVersion = std::string(rules.gameVersion);
    data.scene = currentSceneId;
    if (player && built && built->placesPlayer)
        data.player = player->sprite->position;
    // The set keeps them sorted by id.
    data.flags.assign(state.flags.begin(), state.flags.end());
    data.items = state.inventory;
    data.visited.assign(state.visited.begin(), state.visited.end());
    if (dialogs.declared)
        data.chosen = state.chosen;
    for (const FlagDeclaration &flag : rules.flags)
        if (flag.set && !state.isSet(flag.id))
            data.clearedFlags.emplace_back(flag.id);
    std::sort(data.clearedFlags.begin(), data.clearedFlags.end());
    data.clearedFlags.erase(std::unique(data.clearedFlags.begin(), data.clearedFlags.end()), data.clearedFlags.end());

    const std::string folder = saveFolder();
    const std::string path = folder + "/" + slot + ".json";
    std::optional<WriteFailure> failed;
    if (folder.empty()) {
        failed =
            WriteFailure{"no-folder", "there is no folder for saves: set XDG_DATA_HOME or HOME, or use --save-dir"};
    } else if (saves.refuse) {
        for (const std::string &written : {path, path + ".bak"})
            if (const std::optional<std::string> role = saves.refuse(written); role && !failed)
                failed = WriteFailure{"refused", "will not save to " + written + ": it is " + *role};
    }
    if (!failed)
        failed = keepRefusedSaves(path);
    if (!failed)
        failed = writeAtomically(path, saveText(data));
    if (!failed) {
        tell(TraceEvent::save, {{"slot", slot}});
        return;
    }
    refuseSave(slot, failed->reason, failed->message);
}

void Game::refuseSave(const std::string &slot, const std::string &reason, const std::string &message)
{
    if (saves.messages)
        *saves.messages << "adventure: the " << slot << " save failed: " << escapeControl(message)
                        << "; the last good save is kept" << std::endl;
    tell(TraceEvent::saveFailed, {{"slot", slot}, {"reason", reason}});
}

std::optional<WriteFailure> Game::keepRefusedSaves(const std::string &path)
{
    for (const std::string &written : {path, path + ".bak"}) {
        const auto refused = refusedSaves.find(written);
        if (refused == refusedSaves.end())
            continue;
        std::variant<std::string, WriteFailure> moved = moveAside(written);
        if (const WriteFailure *failed = std::get_if<WriteFailure>(&moved))
            return WriteFailure{failed->reason, failed->message + "; a save this engine refused is there"};
        refusedSaves.erase(refused);
    }
    return std::nullopt;
}
