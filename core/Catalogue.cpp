#include "core/Catalogue.h"

std::string assetPath;
std::vector<EAudio *> audioCatalogue;
std::vector<EText *> textCatalogue;
int currentSceneId = 0;
int windowWidth = 100;
int windowHeight = 100;
int frameRateLimit = 24;

void resetCatalogue()
{
    assetPath.clear();
    audioCatalogue.clear();
    textCatalogue.clear();
    currentSceneId = 0;
    windowWidth = 100;
    windowHeight = 100;
    frameRateLimit = 24;
}

// Sanitizer builds look for memory errors and undefined behaviour, not
// leaks: elements are never destroyed, by design, and Mesa's GL driver leaks
// from just-in-time compiled frames that the leak checker cannot attribute.
// Leaks are checked under valgrind instead, where both can be suppressed.
extern "C" const char *__asan_default_options()
{
    return "detect_leaks=0";
}
