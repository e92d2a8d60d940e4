#include "app/BundleMode.h"
#include "app/CheckMode.h"
#include "app/CommandLine.h"
#include "app/PlayMode.h"
#include "app/SolveMode.h"
#include "app/StringsMode.h"
#include "app/replay/ReplayMode.h"
#include "core/assets/LibraryErrors.h"
#include "core/text/Diagnostics.h"

#include <iostream>
#include <new>

int main(int argc, char **argv)
{
    // Before any window or sound: the audio library's threads may report from then on.
    routeLibraryErrors();
    Options options;
    if (const std::optional<int> status = parseCommandLine(argc, argv, options))
        return *status;
    // Memory that runs out (a limit set with ulimit, a huge document) ends
    // the run with one line, never with an abort.
    try {
        if (!options.bundle.empty())
            return bundle(options);
        if (!options.stringsOf.empty())
            return writeStrings(options);
        if (options.check)
            return check(options);
        if (options.solve)
            return solve(options);
        if (!options.replay.empty())
            return replay(options);
        return play(options);
    } catch (const std::bad_alloc &) {
        std::cerr << "adventure: out of memory with " << escapeControl(options.game.shown) << std::endl;
        return 2;
    }
}
