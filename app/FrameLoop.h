#pragma once

#include "app/FramePacer.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/View.hpp>
#include <SFML/System/Vector2.hpp>

#include <cstdint>
#include <iosfwd>

class DebugOverlay;
class Game;

// Where a frame's presses come from, and what is done with a frame once it
// is drawn: the mouse in play, a script in a replay.
class FrameInput {
public:
    virtual ~FrameInput() = default;
    // The frame's event phase: takes the window's events and hands every
    // press to Game::press.
    virtual void handleEvents(std::uint64_t frame, Game &game, sf::RenderWindow &window) = 0;
    // Whether the frame is drawn and displayed. The game plays the same
    // either way: drawing changes nothing that a later frame reads.
    virtual bool draws(std::uint64_t frame) const = 0;
    // The end of the frame: drawn, when it is, and not yet displayed.
    virtual void endFrame(std::uint64_t frame, const Game &game, sf::RenderWindow &window) = 0;
};

// The window's own events: a press at the pointer, the close button. With a
// recording stream, each press and the close go to it as replay script lines.
// With an overlay, it sees every event and is drawn above each frame.
class MouseInput : public FrameInput {
public:
    explicit MouseInput(std::ostream *recordTo = nullptr, DebugOverlay *shownAbove = nullptr)
        : recording(recordTo), overlay(shownAbove)
    {
    }
    void handleEvents(std::uint64_t frame, Game &game, sf::RenderWindow &window) override;
    bool draws(std::uint64_t) const override { return true; }
    void endFrame(std::uint64_t frame, const Game &game, sf::RenderWindow &window) override;

private:
    std::ostream *recording;
    DebugOverlay *overlay;
};

// The world as a game that keeps its aspect shows it in a window of `size`:
// the square as large as the window holds, centred, the rest left black.
sf::View letterboxView(sf::Vector2u size);
// The view the game is drawn and pressed through: letterboxed when it keeps
// its aspect, else the world stretched over the whole window.
void applyView(const Game &game, sf::RenderWindow &window);

// One pass of the loop: the frame played with the window's events as its
// input, then clear, draw, display (when the input draws the frame).
void runFrame(Game &game, sf::RenderWindow &window, FrameInput &input, std::uint64_t frame);
// A frame with the mouse as input, for callers that do not count frames.
void runFrame(Game &game, sf::RenderWindow &window);
// One pass of the loop, then the wait until the next one is due.
void runPacedFrame(Game &game, sf::RenderWindow &window, FramePacer &pacer);
// Runs frames, counted from 0 and each paced by `pacer`, until the window is closed.
void runFrameLoop(Game &game, sf::RenderWindow &window, FrameInput &input, FramePacer &pacer);
// Runs frames as play does, each paced to the game's frame-rate limit by
// `time`, until the window is closed.
void playFrames(Game &game, sf::RenderWindow &window, FrameInput &input,
                FramePacer::Time time = FramePacer::steadyTime());
