#include "core/Frame.h"
#include "core/Game.h"
#include "elements/Catalogue.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// A snapshot taken at the start of The Study and restored after a stretch of
// play must bring back everything the next stretch depends on: played again
// from there, the same inputs make the same trace, line for line, as they
// did from a fresh start. A field that play changes and the snapshot misses
// shows as a difference (a text still shown, a door still waited for, an
// item still held, a focus or hover that is not told again).

namespace {

// Every line the game tells, with its frame, as text.
class RecordedTrace : public TraceSink {
public:
    std::vector<std::string> lines;

    void startFrame(std::uint64_t at) override { frame = at; }
    void record(TraceEvent event, std::string_view id) override { add(event, std::string(id)); }
    void record(TraceEvent event, sf::Vector2f point) override
    {
        add(event, std::to_string(point.x) + "," + std::to_string(point.y));
    }
    void record(TraceEvent event, const std::vector<TraceField> &fields) override
    {
        std::string said;
        for (const TraceField &field : fields)
            said += std::string(field.name) + "=" + describe(field.value) + " ";
        add(event, said);
    }
    void recordPath(const std::vector<Point> &points) override
    {
        add(TraceEvent::path, std::to_string(points.size()) + " points");
    }
    void recordFacing(std::string_view direction) override { add(TraceEvent::facing, std::string(direction)); }

private:
    static std::string describe(const TraceField::Value &value)
    {
        if (const auto *number = std::get_if<std::int64_t>(&value))
            return std::to_string(*number);
        if (const auto *flag = std::get_if<bool>(&value))
            return *flag ? "true" : "false";
        if (const auto *text = std::get_if<std::string>(&value))
            return *text;
        return "null";
    }
    void add(TraceEvent event, const std::string &what)
    {
        lines.push_back(std::to_string(frame) + " " + traceName(event) + " " + what);
    }

    std::uint64_t frame = 0;
};

struct Input {
    std::uint64_t frame;
    enum { move, click, key } kind;
    sf::Vector2f point;
    const char *keyName;
    sf::Mouse::Button button = sf::Mouse::Left;
};

// The walkthrough's first twenty-odd seconds: keys, hover, notes, looks,
// items, uses, presses that wait for the walk (one given up for another), a
// save and its load, and a door taken at the end of a walk.
const std::vector<Input> firstStretch = {
    {10, Input::move, {600, 600}, nullptr},
    {20, Input::key, {}, "Tab"},
    {30, Input::key, {}, "Tab"},
    {40, Input::key, {}, "Shift+Tab"},
    {50, Input::key, {}, "L"},
    {60, Input::click, {600, 600}, nullptr, sf::Mouse::Right},
    {70, Input::key, {}, "Enter"},
    {110, Input::key, {}, "Space"},
    {150, Input::key, {}, "Space"},
    {170, Input::move, {930, 484}, nullptr},
    {180, Input::click, {550, 1000}, nullptr},
    {230, Input::click, {930, 484}, nullptr, sf::Mouse::Right},
    {240, Input::click, {930, 484}, nullptr, sf::Mouse::Right},
    {250, Input::click, {930, 484}, nullptr},
    {380, Input::click, {520, 400}, nullptr},
    {400, Input::click, {520, 400}, nullptr},
    {480, Input::click, {340, 600}, nullptr, sf::Mouse::Right},
    {500, Input::click, {200, 520}, nullptr},
    {510, Input::click, {199, 642}, nullptr},
    {600, Input::click, {550, 1000}, nullptr},
    {660, Input::click, {52, 52}, nullptr, sf::Mouse::Right},
    {670, Input::click, {52, 52}, nullptr, sf::Mouse::Right},
    {680, Input::click, {52, 52}, nullptr},
    {690, Input::move, {585, 815}, nullptr},
    {700, Input::click, {585, 815}, nullptr},
    {780, Input::click, {550, 1000}, nullptr},
    {840, Input::click, {52, 52}, nullptr},
    {850, Input::click, {930, 484}, nullptr},
    {960, Input::click, {550, 1000}, nullptr},
    {1080, Input::key, {}, "F5"},
    {1090, Input::click, {585, 815}, nullptr},
    {1180, Input::key, {}, "F9"},
    {1240, Input::click, {930, 484}, nullptr},
};
constexpr std::uint64_t stretchFrames = 1400;

void playStretch(Game &game, RecordedTrace &trace)
{
    game.trace = &trace;
    std::size_t next = 0;
    for (std::uint64_t frame = 0; frame < stretchFrames; ++frame) {
        trace.startFrame(frame);
        playFrame(game, [&](Game &played) {
            for (; next < firstStretch.size() && firstStretch[next].frame == frame; ++next) {
                const Input &input = firstStretch[next];
                if (input.kind == Input::move)
                    played.movePointer(input.point);
                else if (input.kind == Input::click)
                    played.press(input.point, input.button);
                else
                    played.key(input.keyName);
            }
        });
    }
    game.trace = nullptr;
}

} // namespace

TEST(Restore, BringsBackEverythingTheNextStretchOfPlayDependsOn)
{
    resetCatalogue();
    TempDir saves;
    const WorkingDirectory inStudy(STUDY_DIR);
    Game game;
    game.window = &testWindow();
    game.saves.folderFor = [&](std::string_view) { return saves.path(); };
    game.saves.messages = nullptr;
    game.start("game.xml");
    const Game::Snapshot start = game.snapshot();

    RecordedTrace fresh;
    playStretch(game, fresh);
    ASSERT_NE(game.state.visited.size(), 1u) << "the stretch should leave the first room";

    game.restore(start);
    RecordedTrace restored;
    playStretch(game, restored);
    EXPECT_EQ(restored.lines, fresh.lines);
}
