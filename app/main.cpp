#include "app/BundleMode.h"
#include "app/CheckMode.h"
#include "app/CommandLine.h"
#include "app/PlayMode.h"
#include "app/SolveMode.h"
#include "app/replay/ReplayMode.h"
#include "core/assets/LibraryErrors.h"

int main(int argc, char **argv)
{
    // Before any window or sound: the audio library's threads may report from then on.
    routeLibraryErrors();
    Options options;
    if (const std::optional<int> status = parseCommandLine(argc, argv, options))
        return *status;
    if (!options.bundle.empty())
        return bundle(options);
    if (options.check)
        return check(options);
    if (options.solve)
        return solve(options);
    if (!options.replay.empty())
        return replay(options);
    return play(options);
}
