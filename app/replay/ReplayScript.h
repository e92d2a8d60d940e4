#pragma once

#include "core/text/Diagnostics.h"

#include <SFML/System/Vector2.hpp>
#include <SFML/Window/Mouse.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One line of a replay script: "at FRAME click X Y [BUTTON]", "at FRAME move
// X Y", "at FRAME key NAME", "at FRAME shot FILE.png" or "at FRAME close";
// for a game that keeps its aspect also "at FRAME resize WIDTH HEIGHT".
struct ReplayCommand {
    enum class Kind { click, move, key, shot, close, resize };

    std::uint64_t frame = 0;
    Kind kind = Kind::close;
    // A click's or a move's point, in world coordinates.
    sf::Vector2f point;
    sf::Mouse::Button button = sf::Mouse::Left;
    // A shot's file, as written.
    std::string file;
    // A key's name, one of keyNames().
    std::string keyName;
    // The window's new size in pixels, for a resize.
    sf::Vector2u size;
    // Where the command's argument starts, for what is found out later.
    std::size_t line = 1;
    std::size_t column = 1;

    static ReplayCommand click(std::uint64_t frame, sf::Vector2f point, sf::Mouse::Button button);
    static ReplayCommand move(std::uint64_t frame, sf::Vector2f point);
    static ReplayCommand key(std::uint64_t frame, std::string_view name);
    static ReplayCommand close(std::uint64_t frame);
};

// The keys a play-through can press, named as scripts write them (case matters).
const std::vector<std::string_view> &keyNames();

// A play-through as a list of commands in frame order. The replay plays
// frames 0 to lastFrame(), each frame's commands in the order written.
struct ReplayScript {
    // Far beyond any play-through anyone records (almost two days at 60
    // frames a second), and short of a replay that never ends.
    static constexpr std::uint64_t maxFrame = 10'000'000;
    static constexpr std::size_t maxBytes = 64u * 1024u * 1024u;

    std::vector<ReplayCommand> commands;

    // The frame of the last command, after which the replay closes; 0 for a
    // script without commands.
    std::uint64_t lastFrame() const;
};

// Reads a script's text: one command a line, "#" starts a comment, blank
// lines and blanks between words are free. The first malformed line gives
// an error located at the offending word, and no commands. A game that keeps
// its aspect (`keepsAspect`) has bars round the world where a press lands off
// it, and a window whose resizing shows them.
std::optional<Diagnostic> parseReplayScript(std::string_view text, ReplayScript &script, bool keepsAspect = false);

// The line a recording writes for a command, which reads back as the same
// command: "at 12 click 687.5 300" (the left button goes unnamed).
std::string formatCommand(const ReplayCommand &command);

// The shortest decimal that reads back as the same float: "300", "687.5".
std::string formatCoordinate(float value);
