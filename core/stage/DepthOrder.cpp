#include "core/stage/DepthOrder.h"

#include <algorithm>
#include <numeric>

DepthOrder::DepthOrder(const std::vector<std::optional<float>> &baselines, std::optional<std::size_t> playerPlace,
                       const std::vector<std::size_t> &otherPlayerPlaces)
    : player(playerPlace)
{
    // Without the player there is no place to sort at: the list stays as it is.
    const std::size_t place = player.value_or(baselines.size());
    for (std::size_t i = 0; i < baselines.size(); ++i) {
        if (player && i == *player)
            continue;
        // A scene that places the player more than once draws it once, at its place.
        if (std::find(otherPlayerPlaces.begin(), otherPlayerPlaces.end(), i) != otherPlayerPlaces.end())
            continue;
        if (player && baselines[i])
            sorted.push_back(i);
        else
            (i < place ? before : after).push_back(i);
    }
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](std::size_t a, std::size_t b) { return *baselines[a] < *baselines[b]; });
    for (const std::size_t i : sorted)
        sortedBaselines.push_back(*baselines[i]);
}

void DepthOrder::fill(std::vector<std::size_t> &order, float playerY) const
{
    order.clear();
    order.insert(order.end(), before.begin(), before.end());
    if (player) {
        // Below every sorted sprite whose baseline is higher, or as high and
        // later in the list (an earlier child).
        std::size_t at = 0;
        while (at < sorted.size() &&
               (sortedBaselines[at] < playerY || (sortedBaselines[at] == playerY && sorted[at] < *player)))
            ++at;
        order.insert(order.end(), sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(at));
        order.push_back(*player);
        order.insert(order.end(), sorted.begin() + static_cast<std::ptrdiff_t>(at), sorted.end());
    }
    order.insert(order.end(), after.begin(), after.end());
}
