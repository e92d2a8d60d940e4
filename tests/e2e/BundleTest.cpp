#include "e2e/EngineSession.h"
#include "e2e/GameFolder.h"
#include "support/EngineRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

// `adventure --bundle` as an author shares a game: what the folder holds,
// and what is refused without leaving anything behind.

namespace fs = std::filesystem;

namespace {

// Every entry under `root` but folders, relative to it.
std::set<std::string> filesUnder(const fs::path &root)
{
    std::set<std::string> files;
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(root))
        if (!entry.is_directory())
            files.insert(fs::relative(entry.path(), root).string());
    return files;
}

// A game in `mygame/level.xml` whose sprites name one image twice, one by a
// roundabout path and one in a subfolder, beside a file it does not name.
void writeGame(const TempDir &dir, const std::string &sprites = "")
{
    dir.write("mygame/level.xml",
              "<game entryScene='1' width='300' height='200' title='The Tower: Floor\\2' fps='30'>\n"
              "<assets path='img'>\n"
              "<sprite id='a' src='a.png'/>\n"
              "<sprite id='b' src='./a.png'/>\n"
              "<sprite id='c' src='deep/c.png'/>\n" +
                  sprites +
                  "</assets>\n"
                  "<scenes><scene sceneId='1'/></scenes></game>\n");
    writePng(dir.file("mygame/img/a.png"), 4, 4, sf::Color::Red);
    writePng(dir.file("mygame/img/deep/c.png"), 2, 2, sf::Color::Blue);
    writePng(dir.file("mygame/img/unused.png"), 2, 2, sf::Color::Green);
}

// A game in `mygame/game.xml` with only a title.
void writeTitledGame(const TempDir &dir, const std::string &title)
{
    dir.write("mygame/game.xml", "<game entryScene='1' width='300' height='200' title='" + title +
                                     "' fps='30'>\n<assets path=''/><scenes><scene sceneId='1'/></scenes></game>\n");
}

void writeScript(const TempDir &dir, const std::string &name, const std::string &text)
{
    dir.write(name, "#!/bin/sh\n" + text + "\n");
    fs::permissions(dir.file(name), fs::perms::owner_exec, fs::perm_options::add);
}

// The launcher's Exec line, its field code %k replaced by `location`, as a
// shell command: the quoting of an Exec argument is the shell's double
// quoting, once the value's own escapes ("\\" for "\") are undone.
std::string execCommand(const std::string &desktop, const std::string &location)
{
    const std::size_t begin = desktop.find("\nExec=") + 6;
    const std::string value = desktop.substr(begin, desktop.find('\n', begin) - begin);
    std::string command;
    for (std::size_t at = 0; at < value.size(); ++at)
        command += value[at] == '\\' ? value[++at] : value[at];
    return command.replace(command.find("%k"), 2, location);
}

} // namespace

TEST(Bundle, AFolderHoldsTheDocumentTheNamedFilesAndALauncher)
{
    TempDir dir;
    writeGame(dir);
    const ProcessResult made = runEngine(dir.path(), "", 30, {"--bundle", "out/", "mygame/level.xml"});
    ASSERT_EQ(made.status, 0) << made.err;
    const fs::path out = dir.file("out");
    EXPECT_EQ(filesUnder(out), (std::set<std::string>{"game.xml", "img/a.png", "img/deep/c.png", "play.sh",
                                                      "the-tower-floor-2.desktop"}));
    EXPECT_EQ(readWholeFile(out / "game.xml"), readWholeFile(dir.file("mygame/level.xml")));
    EXPECT_EQ(readWholeFile(out / "img/deep/c.png"), readWholeFile(dir.file("mygame/img/deep/c.png")));
    EXPECT_NE(fs::status(out / "play.sh").permissions() & fs::perms::owner_exec, fs::perms::none);
    EXPECT_NE(readWholeFile(out / "the-tower-floor-2.desktop").find("\nName=The Tower: Floor\\\\2\n"),
              std::string::npos);
    for (const std::string &file : filesUnder(dir.path()))
        EXPECT_NE(file[0], '.') << "the folder the bundle was made in is gone";

    // The bundle is a game of its own: it bundles again, to the same files.
    const ProcessResult again = runEngine(dir.path(), "", 30, {"--bundle", "again", "out"});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(filesUnder(dir.file("again")), filesUnder(out));
}

TEST(Bundle, ANameThatGoesUpOutOfAFolderOpensTheSameFileInTheCopy)
{
    TempDir dir;
    writeGame(dir, "<sprite id='up' src='sub/../a.png'/>\n<sprite id='linked' src='link/../b.png'/>\n");
    fs::create_directories(dir.file("mygame/img/sub"));
    // Through a link, ".." leaves the folder the link points to.
    fs::create_directories(dir.file("mygame/other/inner"));
    writePng(dir.file("mygame/other/b.png"), 3, 3, sf::Color::Green);
    fs::create_directory_symlink(dir.file("mygame/other/inner"), dir.file("mygame/img/link"));
    for (const std::string out : {"out", "out.tar.gz"}) {
        SCOPED_TRACE(out);
        const ProcessResult made = runEngine(dir.path(), "", 30, {"--bundle", out, "mygame/level.xml"});
        ASSERT_EQ(made.status, 0) << made.err;
        fs::path copy = dir.file(out);
        if (out == "out.tar.gz") {
            copy = dir.file("unpacked");
            fs::create_directories(copy);
            ASSERT_EQ(std::system(("tar -xzf " + dir.file(out) + " -C " + copy.string()).c_str()), 0);
        }
        for (const char *folder : {"img/sub", "img/link"})
            EXPECT_EQ(fs::symlink_status(copy / folder).type(), fs::file_type::directory) << folder;
        EXPECT_EQ(readWholeFile(copy / "img/b.png"), readWholeFile(dir.file("mygame/other/b.png")));
        const ProcessResult checked = runEngine(dir.path(), "", 30, {"--check", copy.string()});
        EXPECT_EQ(checked.status, 0) << checked.out;
        EXPECT_EQ(checked.out.find("missing-file"), std::string::npos) << checked.out;
    }

    // Two names that are one place in the copy but two files here.
    writeGame(dir, "<sprite id='linked' src='link/../b.png'/>\n<sprite id='plain' src='b.png'/>\n");
    writePng(dir.file("mygame/img/b.png"), 5, 5, sf::Color::Blue);
    const ProcessResult twice = runEngine(dir.path(), "", 30, {"--bundle", "twice", "mygame/level.xml"});
    EXPECT_EQ(twice.status, 1);
    EXPECT_NE(twice.err.find("it names \"img/link/../b.png\" and \"img/b.png\", one place in the copy, but they are "
                             "two files here"),
              std::string::npos)
        << twice.err;
    EXPECT_FALSE(fs::exists(dir.file("twice")));
}

TEST(Bundle, RefusesAGameThatWouldNotPlayAndPlacesItMustNotWrite)
{
    TempDir dir;
    writeGame(dir, "<sprite id='gone' src='gone.png'/>\n");
    const std::set<std::string> before = filesUnder(dir.path());
    const ProcessResult missing = runEngine(dir.path(), "", 30, {"--bundle", "out.tar.gz", "mygame/level.xml"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("mygame/level.xml:6:24: warning: \"src\" names \"img/gone.png\", which does not exist "
                               "[missing-file]\n"),
              std::string::npos)
        << missing.err;

    dir.write("broken/game.xml", "<game entryScene='2' width='300' height='200' title='t' fps='30'>\n"
                                 "<assets path=''/><scenes><scene sceneId='1'/></scenes></game>\n");
    const ProcessResult error = runEngine(dir.path(), "", 30, {"--bundle", "out", "broken"});
    EXPECT_EQ(error.status, 1);
    EXPECT_NE(error.err.find("broken/game.xml:2:18: error: no scene has sceneId 2"), std::string::npos) << error.err;

    dir.write("outside/game.xml", "<game entryScene='1' width='300' height='200' title='t' fps='30'>\n"
                                  "<assets path='..'><sprite id='a' src='mygame/img/a.png'/></assets>\n"
                                  "<scenes><scene sceneId='1'/></scenes></game>\n");
    const ProcessResult outside = runEngine(dir.path(), "", 30, {"--bundle", "out", "outside"});
    EXPECT_EQ(outside.status, 1);
    EXPECT_NE(outside.err.find("\"../mygame/img/a.png\", which is outside the game's folder"), std::string::npos)
        << outside.err;

    const struct {
        std::string out;
        std::string why;
    } places[] = {
        {"mygame", "the game's folder or inside it"},
        {"mygame/img/a.png", "the game's folder or inside it"},
        {"mygame/../mygame/bundle", "the game's folder or inside it"},
        {"broken/game.xml", "already exists"},
        {"", "OUT is empty"},
    };
    for (const auto &[out, why] : places) {
        SCOPED_TRACE(out);
        const ProcessResult refused = runEngine(dir.path(), "", 30, {"--bundle", out, "mygame/level.xml"});
        EXPECT_EQ(refused.status, 2);
        EXPECT_NE(refused.err.find(why), std::string::npos) << refused.err;
    }
    EXPECT_EQ(filesUnder(dir.path()).size(), before.size() + 2) << "only the two documents written here";
}

TEST(Bundle, ATitleOfAnyLengthGivesALauncherNamedByItsFirst100BytesWithTheWholeTitleInside)
{
    std::string chateaux;
    for (int i = 0; i < 40; ++i)
        chateaux += "Ch\xc3\xa2teau ";
    const struct {
        std::string title;
        std::string launcher;
    } cases[] = {
        {std::string(300, 'a'), std::string(100, 'a')},
        {chateaux,
         [] {
             std::string name;
             for (int i = 0; i < 13; ++i)
                 name += "ch-teau-";
             return name.substr(0, 100);
         }()},
        {std::string(99, 'b') + " c", std::string(99, 'b')},
        {"\xc3\xa2\xc3\xa2", "game"},
    };
    for (const auto &[title, launcher] : cases) {
        SCOPED_TRACE(launcher);
        TempDir dir;
        writeTitledGame(dir, title);
        const ProcessResult made = runEngine(dir.path(), "", 30, {"--bundle", "out", "mygame"});
        ASSERT_EQ(made.status, 0) << made.err;
        EXPECT_EQ(filesUnder(dir.file("out")), (std::set<std::string>{"game.xml", "play.sh", launcher + ".desktop"}));
        EXPECT_NE(readWholeFile(dir.file("out/" + launcher + ".desktop")).find("\nName=" + title + "\n"),
                  std::string::npos);
    }
}

TEST(Bundle, TheLauncherRunsThePlayShBesideItAndNothingWhenStartedWithoutItsLocation)
{
    TempDir dir;
    writeTitledGame(dir, "Tower");
    ASSERT_EQ(runEngine(dir.path(), "", 30, {"--bundle", "out", "mygame"}).status, 0);
    const std::string launcher = dir.file("out/tower.desktop"), desktop = readWholeFile(launcher);
    // A play.sh where the launcher is started, which must never run, and an
    // engine on the PATH that notes the game it is asked to play.
    writeScript(dir, "elsewhere/play.sh", "touch " + dir.file("wrong-play-sh"));
    writeScript(dir, "bin/adventure", "echo \"$@\" > " + dir.file("played"));
    const std::string path = "PATH=" + dir.file("bin") + ":$PATH ";

    const ProcessResult located =
        runProgram(dir.file("elsewhere"), {"sh", "-c", path + execCommand(desktop, launcher)});
    EXPECT_EQ(located.status, 0) << located.err;
    EXPECT_EQ(readWholeFile(dir.file("played")), dir.file("out") + "/game.xml\n");

    // Without a location the field code gives no argument at all.
    const std::string refusal = "adventure launcher: started without its own location, so the play.sh beside it "
                                "cannot be found; run that play.sh instead\n";
    const ProcessResult unlocated = runProgram(dir.file("elsewhere"), {"sh", "-c", path + execCommand(desktop, "")});
    EXPECT_NE(unlocated.status, 0);
    EXPECT_EQ(unlocated.err, refusal);
    // As gio launch starts it, which gives no location.
    const ProcessResult launched = runProgram(
        dir.file("elsewhere"), {"sh", "-c", path + "exec gio launch " + launcher + " 2> " + dir.file("gio.err")});
    EXPECT_EQ(launched.status, 0) << launched.err;
    EXPECT_TRUE(pollUntil(10, [&] { return readWholeFile(dir.file("gio.err")) == refusal; }))
        << readWholeFile(dir.file("gio.err"));
    EXPECT_FALSE(fs::exists(dir.file("wrong-play-sh")));
}

// Voice files are named by a pattern, not listed: the bundle holds those
// that exist for the document's texts, in every language it offers.
TEST(Bundle, HoldsTheVoiceFilesOfEveryLanguage)
{
    GameFolder game(R"(<game entryScene="1" width="300" height="200" title="Voices" fps="30"
      baseLanguage="en" baseVoice="assets/en-{id}.wav">
  <languages><language id="de" name="Deutsch" src="lang/de.xml" voice="assets/de-{id}.wav"/></languages>
  <assets path="assets">
    <text id="hello" src="DejaVuSans.ttf">Hello</text>
    <text id="bye" src="DejaVuSans.ttf">Bye</text>
  </assets>
  <scenes><scene sceneId="1"><hello/></scene></scenes>
</game>
)");
    game.font()
        .tone("en-hello.wav", 0.1, 440, 0.5)
        .tone("en-bye.wav", 0.1, 440, 0.5)
        .tone("de-hello.wav", 0.1, 330, 0.5);
    fs::create_directories(game.path() + "/lang");
    std::ofstream(game.path() + "/lang/de.xml")
        << R"(<translation lang="de"><string id="hello" source="Hello">Hallo</string></translation>)";
    TempDir dir;
    const ProcessResult made = runEngine(dir.path(), "", 30, {"--bundle", "out", game.path()});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(filesUnder(dir.file("out")),
              (std::set<std::string>{"game.xml", "assets/DejaVuSans.ttf", "lang/de.xml", "assets/en-hello.wav",
                                     "assets/en-bye.wav", "assets/de-hello.wav", "play.sh", "voices.desktop"}));
}
