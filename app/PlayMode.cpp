#include "app/PlayMode.h"

#include "app/CommandLine.h"
#include "app/FrameLoop.h"
#include "app/JsonTrace.h"
#include "app/Startup.h"

#include <fstream>
#include <iostream>

namespace {

// The console stays open until the player has read it.
void waitForEnter()
{
    std::cin.get();
}

} // namespace

int play(const Options &options)
{
    std::ofstream recording;
    std::ofstream traceFile;
    if (!openOutput(recording, options.record, "recording") || !openOutput(traceFile, options.trace, "trace file"))
        return 2;
    JsonTrace trace([&](const std::string &line) { traceFile << line << '\n'; });
    MouseInput mouse(recording.is_open() ? &recording : nullptr);
    return runGame(
        options, traceFile.is_open() ? &trace : nullptr,
        [&](Game &game, sf::RenderWindow &window) {
            runFrameLoop(game, window, mouse);
            traceFile.flush();
            waitForEnter();
            return 0;
        },
        waitForEnter);
}
