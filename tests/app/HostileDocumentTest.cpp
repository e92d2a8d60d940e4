#include "support/EngineRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

// Documents built to hurt the engine through the libraries under it, run on
// the real binary: each must end with the engine's own messages only.

namespace {

// A root whose entry scene does not exist, so that the engine sets up its
// window from the root and then stops with status 1.
std::string rootWithTitle(const std::string &title)
{
    return "<game entryScene='2' width='300' height='200' fps='30' title='" + title +
           "'><assets path=''/><scenes><s sceneId='1'/></scenes></game>";
}

} // namespace

// The window system ends a client whose title property is larger than the
// largest request it takes (16 MiB here), with its own message.
TEST(HostileDocument, AHugeTitleIsCutInsteadOfEndingTheEngine)
{
    TempDir dir;
    dir.write("game.xml", rootWithTitle(std::string(20u << 20, 'T')));
    const ProcessResult result = runEngine(dir.path(), "\n", 60);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.find("X Error"), std::string::npos) << result.err.substr(0, 400);
    EXPECT_NE(result.err.find("game.xml:1:63: warning: the title is longer than 4096 characters; the window shows "
                              "only the first 4096\n"),
              std::string::npos)
        << result.err.substr(0, 400);
    EXPECT_NE(result.err.find("error: no scene has sceneId 2\n"), std::string::npos) << result.err.substr(0, 400);

    dir.write("game.xml", rootWithTitle(std::string(4096, 'T')));
    const ProcessResult exact = runEngine(dir.path(), "\n", 60);
    EXPECT_EQ(exact.err.find("warning"), std::string::npos) << "4096 characters are shown whole";
}
