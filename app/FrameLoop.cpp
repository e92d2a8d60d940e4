#include "app/FrameLoop.h"

#include "app/Cursor.h"
#include "app/DebugOverlay.h"
#include "app/OutputFiles.h"
#include "app/replay/ReplayScript.h"
#include "core/Frame.h"
#include "core/Game.h"
#include "core/text/Format.h"
#include "elements/Catalogue.h"

#include <SFML/Window/Event.hpp>
#include <SFML/Window/Mouse.hpp>

#include <algorithm>
#include <optional>
#include <ostream>
#include <utility>

namespace {

void record(std::ostream *recording, const ReplayCommand &command)
{
    if (recording)
        *recording << formatCommand(command) << '\n';
}

// The keys the game knows, named as replay scripts write them; null for the rest.
const char *keyName(const sf::Event::KeyEvent &key)
{
    switch (key.code) {
    case sf::Keyboard::F5:
        return "F5";
    case sf::Keyboard::F9:
        return "F9";
    case sf::Keyboard::Tab:
        return key.shift ? "Shift+Tab" : "Tab";
    case sf::Keyboard::Enter:
        return "Enter";
    case sf::Keyboard::Escape:
        return "Escape";
    case sf::Keyboard::Space:
        return "Space";
    case sf::Keyboard::Up:
        return "Up";
    case sf::Keyboard::Down:
        return "Down";
    case sf::Keyboard::L:
        return "L";
    default:
        break;
    }
    // A conversation's rows are chosen by number, from either row of digits.
    static const char *const digits[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};
    if (key.code >= sf::Keyboard::Num1 && key.code <= sf::Keyboard::Num9)
        return digits[key.code - sf::Keyboard::Num1];
    if (key.code >= sf::Keyboard::Numpad1 && key.code <= sf::Keyboard::Numpad9)
        return digits[key.code - sf::Keyboard::Numpad1];
    return nullptr;
}

// The pointer leaves the window while a button is held (the window keeps
// getting its moves), or before a press is handled; such a point is taken as
// the nearest point of the world. Play gets the point the recording holds,
// so that a recording replays exactly, and a replay refuses points outside.
sf::Vector2f insideWorld(sf::Vector2f point)
{
    const auto world = static_cast<float>(worldSize);
    return {std::clamp(point.x, 0.f, world), std::clamp(point.y, 0.f, world)};
}

// A game that keeps its aspect takes a point on a bar as it is: the press
// reaches no sprite there, and the player walks as far as it may towards it.
sf::Vector2f pressPoint(const Game &game, sf::Vector2f point)
{
    return game.keepsAspect() ? point : insideWorld(point);
}

void render(Game &game, sf::RenderWindow &window, FrameInput &input, std::uint64_t frame)
{
    const bool drawn = input.draws(frame);
    if (drawn) {
        applyView(game, window);
        window.clear(sf::Color(0, 0, 0, 255));
        game.draw();
        drawCursor(game, window);
    }
    input.endFrame(frame, game, window);
    if (drawn)
        window.display();
}

} // namespace

sf::View letterboxView(sf::Vector2u size)
{
    const auto world = static_cast<float>(worldSize);
    sf::View view(sf::FloatRect(0.f, 0.f, world, world));
    if (size.x == 0 || size.y == 0)
        return view;
    const auto width = static_cast<float>(size.x);
    const auto height = static_cast<float>(size.y);
    const float side = std::min(width, height);
    view.setViewport({(width - side) / 2.f / width, (height - side) / 2.f / height, side / width, side / height});
    return view;
}

void applyView(const Game &game, sf::RenderWindow &window)
{
    if (game.keepsAspect())
        window.setView(letterboxView(window.getSize()));
    else if (window.getView().getViewport() != window.getDefaultView().getViewport())
        // A reload may replace a game that kept its aspect with one that does not.
        window.setView(window.getDefaultView());
}

void MouseInput::handleEvents(std::uint64_t frame, Game &game, sf::RenderWindow &window)
{
    sf::Event event{};
    // Only where the pointer ends the frame counts: moves are handed on and
    // recorded once a frame, after the frame's other input.
    std::optional<sf::Vector2f> moved;
    while (window.pollEvent(event)) {
        if (overlay)
            overlay->handle(event);
        if (event.type == sf::Event::Resized)
            applyView(game, window);
        if (event.type == sf::Event::Closed) {
            window.close();
            record(recording, ReplayCommand::close(frame));
            game.close();
        } else if (event.type == sf::Event::KeyPressed) {
            if (const char *name = keyName(event.key)) {
                record(recording, ReplayCommand::key(frame, name));
                game.key(name);
            }
        } else if (event.type == sf::Event::MouseButtonPressed) {
            // The pointer where it is now, not where the event says it was.
            const sf::Vector2f point = pressPoint(game, window.mapPixelToCoords(sf::Mouse::getPosition(window)));
            record(recording, ReplayCommand::click(frame, point, event.mouseButton.button));
            game.press(point, event.mouseButton.button);
            moved.reset();
        } else if (event.type == sf::Event::MouseMoved) {
            moved = pressPoint(game, window.mapPixelToCoords(sf::Vector2i(event.mouseMove.x, event.mouseMove.y)));
        }
    }
    if (moved) {
        record(recording, ReplayCommand::move(frame, *moved));
        game.movePointer(*moved);
    }
}

void MouseInput::endFrame(std::uint64_t, const Game &game, sf::RenderWindow &)
{
    if (overlay)
        overlay->draw(game);
}

void runFrame(Game &game, sf::RenderWindow &window, FrameInput &input, std::uint64_t frame)
{
    if (game.trace)
        game.trace->startFrame(frame);
    // A stop signal ends play as the close button does: the transition of
    // the frame whose input saw it makes the auto save, and the run ends after
    // that frame. One that comes later in a frame waits for the next one's input.
    bool stopping = false;
    playFrame(game, [&](Game &played) {
        input.handleEvents(frame, played, window);
        stopping = stopSignalled();
        if (stopping)
            played.close();
    });
    render(game, window, input, frame);
    // The later rooms' images the first frame did not wait for, once they
    // are decoded.
    game.takeDecodedLaterImages();
    // What the frame wrote is on disk before the next one starts, and a
    // write that failed is reported now, not when the run ends.
    OutputFile::flushAll();
    if (stopping)
        stopIfSignalled();
}

void runFrame(Game &game, sf::RenderWindow &window)
{
    MouseInput mouse;
    runFrame(game, window, mouse, 0);
}

void runPacedFrame(Game &game, sf::RenderWindow &window, FramePacer &pacer)
{
    runFrame(game, window);
    pacer.waitForNextFrame();
}

void runFrameLoop(Game &game, sf::RenderWindow &window, FrameInput &input, FramePacer &pacer)
{
    for (std::uint64_t frame = 0; window.isOpen(); ++frame) {
        runFrame(game, window, input, frame);
        pacer.waitForNextFrame();
    }
}

void playFrames(Game &game, sf::RenderWindow &window, FrameInput &input, FramePacer::Time time)
{
    FramePacer pacer(frameRateLimit, std::move(time));
    runFrameLoop(game, window, input, pacer);
}
