#pragma once

#include <cstddef>
#include <optional>
#include <vector>

// The order a scene's sprite list is drawn in when the scene sorts by depth.
// The list holds the last child first, so drawing it in order puts the first
// child on top. Sorting takes the player and every sprite with a baseline out
// of that order and draws them together at the player's place, lowest
// baseline first; equal baselines keep the list's order. Only the player
// moves, so the others are sorted once and the player is put among them each
// time it is asked for.
class DepthOrder {
public:
    DepthOrder() = default;
    // `baselines` has an entry for each sprite of the list; `player` is the
    // list place the player is drawn at, none when the scene has no player.
    DepthOrder(const std::vector<std::optional<float>> &baselines, std::optional<std::size_t> player,
               const std::vector<std::size_t> &otherPlayerPlaces);

    // The list's places in drawing order, with the player's feet at `playerY`.
    void fill(std::vector<std::size_t> &order, float playerY) const;

private:
    std::vector<std::size_t> before;
    std::vector<std::size_t> sorted;
    std::vector<float> sortedBaselines;
    std::vector<std::size_t> after;
    std::optional<std::size_t> player;
};
