#pragma once

#include "core/nav/Geometry.h"

#include <SFML/System/Vector2.hpp>

#include <cstdint>
#include <string_view>
#include <vector>

// What a player could see or hear happen, each kind named as the trace file
// writes it.
enum class TraceEvent {
    music,         // the scene's music starts: its audio id
    click,         // a press at a world point
    walk,          // the player is sent to a point, after clamping
    sound,         // a click sound plays: its audio id
    textShown,     // a click shows a text: its id
    textDismissed, // a click puts the shown text away: its id
    player,        // the player's position after a frame's step moved it
    arrived,       // the step that ends the walk, where it ends
    path,          // the way a walk in a walk area takes: its points
    facing,        // the player with walk cycles turns: down, left, right or up
};

const char *traceName(TraceEvent event);

// Told what happens as the game plays, and when: the frame loop starts each
// frame, the game and the loop report the rest from where it happens.
// Events before the first frame belong to frame 0.
class TraceSink {
public:
    virtual ~TraceSink() = default;
    virtual void startFrame(std::uint64_t frame) = 0;
    virtual void record(TraceEvent event, std::string_view id) = 0;
    virtual void record(TraceEvent event, sf::Vector2f point) = 0;
    virtual void recordPath(const std::vector<Point> &points) = 0;
    virtual void recordFacing(std::string_view direction) = 0;
};
