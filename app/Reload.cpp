#include "app/Reload.h"

#include "core/Catalogue.h"
#include "core/Game.h"
#include "core/StartupError.h"

#include <iostream>

std::unique_ptr<Game> reload(std::unique_ptr<Game> running, const GameLocation &location, std::optional<int> sceneId,
                             sf::RenderWindow &window)
{
    CatalogueState runningState;
    swapCatalogue(runningState);
    auto next = std::make_unique<Game>();
    next->window = &window;
    try {
        next->start(location.file.c_str(), sceneId, location.shown);
    } catch (const StartupError &error) {
        std::cerr << next->describe(error) << std::endl;
        next->release();
        swapCatalogue(runningState);
        if (running)
            running->applyToWindow();
        return running;
    }
    swapCatalogue(runningState);
    if (running)
        running->release();
    swapCatalogue(runningState);
    return next;
}
