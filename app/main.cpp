#include "app/CheckMode.h"
#include "app/CommandLine.h"
#include "app/PlayMode.h"

int main(int argc, char **argv)
{
    Options options;
    if (const std::optional<int> status = parseCommandLine(argc, argv, options))
        return *status;
    return options.check ? check(options) : play(options);
}
