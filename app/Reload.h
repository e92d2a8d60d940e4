#pragma once

#include "app/CommandLine.h"

#include <SFML/Graphics/RenderWindow.hpp>

#include <memory>
#include <optional>
#include <string>

class Game;
class GameDocument;
class Speaker;
class TraceSink;
struct SaveSettings;

// Loads the game from `document`, read from `location` (from the start of
// its scene), beside the running one, in the same window, and returns it;
// the running game is then released whole. When the document is refused,
// prints its located error, gives the window back to the running game and
// returns that one unchanged (null when there was none yet). Either way it
// then prints the document's warnings, with their codes, as `adventure
// --check` finds them in that same document. The next game plays in `language`.
std::unique_ptr<Game> reload(std::unique_ptr<Game> running, std::shared_ptr<const GameDocument> document,
                             const GameLocation &location, std::optional<int> sceneId, sf::RenderWindow &window,
                             TraceSink *trace, const SaveSettings &saves, Speaker *speech = nullptr,
                             const std::optional<std::string> &language = std::nullopt);
