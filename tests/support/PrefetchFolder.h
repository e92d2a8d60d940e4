#pragma once

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

// A game folder for the start-up prefetch, its images under an asset path
// written with a leading slash: one named by two sprites, the player's, one
// no sprite names, one that is no image, a pipe and one missing.
inline void writePrefetchFolder(const TempDir &dir)
{
    writePng(dir.file("img/a.png"), 30, 20, sf::Color::Red);
    writePng(dir.file("img/walker.png"), 8, 16, sf::Color::Blue);
    writePng(dir.file("img/unnamed.png"), 5, 5, sf::Color::White);
    dir.write("img/broken.png", "not an image");
    ASSERT_EQ(mkfifo(dir.file("img/pipe.png").c_str(), 0644), 0);
}

// The document of that folder, with `more` assets at the end.
inline std::string prefetchDocument(const std::string &more = "")
{
    return "<game entryScene='1' width='80' height='60' title='t' fps='60'><assets path='/img'>"
           "<sprite id='a' src='a.png'/><sprite id='again' src='a.png'/>"
           "<sprite src='unnamed.png'/><sprite id='broken' src='broken.png'/>"
           "<sprite id='pipe' src='pipe.png'/><sprite id='gone' src='gone.png'/>"
           "<text id='t' src='a.png'/><player src='walker.png'/>" +
           more + "</assets><scenes><scene sceneId='1'><a/></scene></scenes></game>";
}
