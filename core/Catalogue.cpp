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

// Elements are never destroyed, by design; the leak checker of a sanitizer
// build is told so, and reports every other leak.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:newElement\n";
}
