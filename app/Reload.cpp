#include "app/Reload.h"

#include "check/Checker.h"
#include "core/Game.h"
#include "core/assets/Resources.h"
#include "core/text/GameDocument.h"
#include "core/text/StartupError.h"
#include "elements/Catalogue.h"

#include <algorithm>
#include <iostream>
#include <memory>

namespace {

bool samePlace(const Diagnostic &a, const Diagnostic &b)
{
    return a.line == b.line && a.column == b.column;
}

// The checker's warnings for the document just loaded (or refused), so a
// slip shows as soon as it is saved, and then what the engine itself found
// while loading that the checker does not know about (the texture budget,
// say). The checker runs beside whatever game is loaded, in globals of its own,
// on the document the game was loaded from, and does not decode again what
// loading decoded: with a thousand images that is most of its time.
void printWarnings(std::shared_ptr<const GameDocument> document, const GameLocation &location, const Game &loaded)
{
    const LoadedFiles decoded = gameResources().loaded();
    CatalogueState aside;
    swapCatalogue(aside);
    const std::vector<Diagnostic> found = checkGame(std::move(document), ".", 1.f, &decoded);
    swapCatalogue(aside);
    for (const Diagnostic &finding : found)
        if (finding.severity == Severity::warning)
            std::cerr << renderDiagnostic(location.shown, finding, true) << '\n';
    for (const Diagnostic &own : loaded.warnings())
        if (std::none_of(found.begin(), found.end(),
                         [&](const Diagnostic &finding) { return samePlace(finding, own); }))
            std::cerr << renderDiagnostic(location.shown, own, true) << '\n';
}

} // namespace

std::unique_ptr<Game> reload(std::unique_ptr<Game> running, std::shared_ptr<const GameDocument> document,
                             const GameLocation &location, std::optional<int> sceneId, sf::RenderWindow &window,
                             TraceSink *trace, const SaveSettings &saves, Speaker *speech,
                             const std::optional<std::string> &language)
{
    CatalogueState runningState;
    swapCatalogue(runningState);
    auto next = std::make_unique<Game>();
    next->window = &window;
    next->echo = nullptr;
    next->trace = trace;
    next->saves = saves;
    next->speech = speech;
    next->language = language;
    try {
        next->start(document, sceneId);
    } catch (const StartupError &error) {
        std::cerr << next->describe(error) << std::endl;
        printWarnings(std::move(document), location, *next);
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
    printWarnings(std::move(document), location, *next);
    return next;
}
