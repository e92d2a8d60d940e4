#include "e2e/EngineSession.h"
#include "e2e/GameFolder.h"
#include "support/EngineRun.h"
#include "support/TestSupport.h"

#include <SFML/Graphics/Image.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

// Playing in a language, as players and translators run the engine: the
// pixels drawn, the trace's fallbacks and voices, --strings and --check.

namespace {

// Three scene texts, each one block of its own colour: "current" has a
// German string made for today's text, "changed" one made for an older text,
// "untranslated" none. German doubles the block, so a width tells which
// language was drawn. The box shows "note" when pressed.
const char *document = R"(<game entryScene="1" width="550" height="550" title="Lang" fps="30" baseLanguage="en"
      baseVoice="assets/en-{id}.wav">
  <languages>
    <language id="de" name="Deutsch" src="lang/de.xml" voice="assets/de-{id}.wav"/>
  </languages>
  <assets path="assets">
    <sprite id="box" src="box.png" position="500, 500" origin="0, 0"/>
    <text id="current" src="DejaVuSans.ttf" size="100" color="255, 0, 0, 255" position="10, 10">█</text>
    <text id="changed" src="DejaVuSans.ttf" size="100" color="0, 255, 0, 255" position="10, 300">█</text>
    <text id="untranslated" src="DejaVuSans.ttf" size="100" color="0, 0, 255, 255" position="10, 800">█</text>
    <text id="note" src="DejaVuSans.ttf" size="50" color="255, 255, 255, 255" position="600, 100">█</text>
  </assets>
  <scenes>
    <scene sceneId="1">
      <current/>
      <changed/>
      <untranslated/>
      <box onClickText="note"/>
    </scene>
  </scenes>
</game>
)";

const char *german = R"(<?xml version="1.0" encoding="UTF-8"?>
<translation lang="de">
  <string id="current" source="█">██</string>
  <string id="changed" source="▌">██</string>
  <string id="note" source="█">██</string>
  <string id="gone" source="Old">Alt</string>
</translation>
)";

int widthOf(const std::string &file, sf::Color colour)
{
    sf::Image image;
    EXPECT_TRUE(image.loadFromFile(file)) << file;
    int left = static_cast<int>(image.getSize().x);
    int right = -1;
    for (unsigned y = 0; y < image.getSize().y; ++y)
        for (unsigned x = 0; x < image.getSize().x; ++x)
            if (image.getPixel(x, y) == colour) {
                left = std::min(left, static_cast<int>(x));
                right = std::max(right, static_cast<int>(x) + 1);
            }
    return right - left;
}

class Language : public testing::Test {
protected:
    void SetUp() override
    {
        game.image("box.png", 100, 100, {200, 100, 0}).font();
        writeGerman(german);
    }

    void writeGerman(const std::string &content)
    {
        files.write("de.xml", content);
        std::filesystem::create_directories(game.path() + "/lang");
        std::ofstream(game.path() + "/lang/de.xml", std::ios::binary) << content;
    }

    std::string replayed(const std::string &script, std::vector<std::string> more = {})
    {
        files.write("play.replay", script);
        std::vector<std::string> arguments{"--replay", files.file("play.replay"), "--trace", files.file("trace.jsonl")};
        arguments.insert(arguments.end(), more.begin(), more.end());
        const ProcessResult result = runEngine(game.path(), "", 60, arguments);
        EXPECT_EQ(result.status, 0) << result.err;
        return readWholeFile(files.file("trace.jsonl"));
    }

    GameFolder game{document};
    TempDir files;
};

bool has(const std::string &trace, const std::string &line)
{
    return trace.find(line + "\n") != std::string::npos;
}

} // namespace

TEST_F(Language, GermanIsDrawnWhereCurrentAndTheBaseTextWhereTheBaseChanged)
{
    const std::string script = "at 1 shot shot.png\nat 2 close\n";
    replayed(script);
    const int redWidth = widthOf(files.file("shot.png"), sf::Color::Red);
    const int greenWidth = widthOf(files.file("shot.png"), sf::Color::Green);
    const int blueWidth = widthOf(files.file("shot.png"), sf::Color::Blue);
    ASSERT_GT(redWidth, 10);

    const std::string trace = replayed(script, {"--lang", "de"});
    EXPECT_NEAR(widthOf(files.file("shot.png"), sf::Color::Red), 2 * redWidth, 3) << "current: German";
    EXPECT_EQ(widthOf(files.file("shot.png"), sf::Color::Green), greenWidth) << "stale: the base text";
    EXPECT_EQ(widthOf(files.file("shot.png"), sf::Color::Blue), blueWidth) << "missing: the base text";
    EXPECT_EQ(trace.find(R"({"frame": 0, "event": "language", "lang": "de"})"), 0u) << trace;
    EXPECT_TRUE(
        has(trace, R"({"frame": 0, "event": "text-fallback", "id": "changed", "lang": "de", "reason": "stale"})"))
        << trace;
    EXPECT_TRUE(has(
        trace, R"({"frame": 0, "event": "text-fallback", "id": "untranslated", "lang": "de", "reason": "missing"})"))
        << trace;
    EXPECT_EQ(trace.find("text-fallback", trace.find("untranslated")), std::string::npos) << "told once: " << trace;

    // Base language asked for by name: nothing to tell.
    EXPECT_EQ(replayed(script, {"--lang", "en"}).find("language"), std::string::npos);
}

TEST_F(Language, AShownTextSpeaksItsVoiceFileOfTheLanguageInUse)
{
    game.tone("de-note.wav", 0.3, 440, 0.5);
    const std::string script = "at 2 click 550 550\nat 20 close\n";
    EXPECT_TRUE(has(replayed(script, {"--lang", "de"}),
                    R"({"frame": 2, "event": "voice", "id": "note", "file": "assets/de-note.wav"})"));
    EXPECT_EQ(replayed(script).find("voice"), std::string::npos) << "no English voice file: silent";
    game.tone("en-note.wav", 0.3, 220, 0.5);
    EXPECT_TRUE(has(replayed(script), R"({"frame": 2, "event": "voice", "id": "note", "file": "assets/en-note.wav"})"));
}

TEST_F(Language, StringsMergesWithoutWritingAndItsOwnOutputMergesToItself)
{
    const ProcessResult first = runEngine(game.path(), "", 30, {"--strings", "de"});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, R"(<?xml version="1.0" encoding="UTF-8"?>
<translation lang="de">
  <string id="current" source="█">██</string>
  <string id="changed" source="█" stale="true" was="▌">██</string>
  <string id="untranslated" source="█"></string>
  <string id="note" source="█">██</string>
  <!-- orphan: <string id="gone" source="Old">Alt</string> -->
</translation>
)");
    EXPECT_EQ(readWholeFile(game.path() + "/lang/de.xml"), german) << "its input is never written";
    writeGerman(first.out);
    EXPECT_EQ(runEngine(game.path(), "", 30, {"--strings", "de"}).out, first.out);

    const ProcessResult unknown = runEngine(game.path(), "", 30, {"--lang", "fr"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("offers no such language; it offers en, de"), std::string::npos) << unknown.err;
}

TEST_F(Language, CheckCountsEachLanguageAndRefusesAsStartUpDoesForTheOneAsked)
{
    game.tone("de-note.wav", 0.1, 440, 0.5);
    const ProcessResult checked = runEngine(game.path(), "", 30, {"--check"});
    EXPECT_EQ(checked.status, 0) << checked.err;
    const std::string lang = "lang/de.xml";
    for (const char *line :
         {"game.xml:1:1: note: the base language: voice files for 0 of the 4 texts [voice-coverage]",
          "game.xml:4:5: warning: the language \"de\" has no translation of the text \"untranslated\"; it is drawn in "
          "the base language [translation-missing]",
          "note: the language \"de\": 4 texts, 2 translated, 1 missing, 1 stale, 1 orphan; voice files for 1 of the "
          "4 texts [translation-coverage]",
          "0 errors, 3 warnings"})
        EXPECT_NE(checked.out.find(line), std::string::npos) << line << "\n" << checked.out;
    EXPECT_NE(checked.out.find(lang + ":4:3: warning: the translation of \"changed\" was made for another base text"),
              std::string::npos)
        << checked.out;
    EXPECT_NE(checked.out.find(lang + ":6:3: warning: the game has no text \"gone\""), std::string::npos)
        << checked.out;

    writeGerman("<translation lang=\"de\">\n  <string id=\"note\" source=\"█\">a</string>\n"
                "  <string id=\"note\" source=\"█\">b</string>\n</translation>\n");
    const std::string refusal =
        "lang/de.xml:3:3: error: a second string for the text \"note\" (the first is on line 2)";
    const ProcessResult played = runEngine(game.path(), "", 30, {"--lang", "de"});
    EXPECT_EQ(played.status, 1);
    EXPECT_NE(played.err.find(refusal), std::string::npos) << played.err;
    const ProcessResult asked = runEngine(game.path(), "", 30, {"--check", "--lang", "de"});
    EXPECT_EQ(asked.status, 1);
    EXPECT_NE(asked.out.find(refusal + " [startup]"), std::string::npos) << asked.out;
    const ProcessResult json = runEngine(game.path(), "", 30, {"--check", "--format", "json"});
    EXPECT_NE(json.out.find(R"("code": "translation-duplicate")"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find(R"("severity": "note")"), std::string::npos) << json.out;
}

TEST(LanguageFont, AFontTheLanguageNamesMustBeThereForItToStart)
{
    std::string withFont = document;
    const std::string voice = R"( voice="assets/de-{id}.wav")";
    withFont.replace(withFont.find(voice), voice.size(), R"( font="fonts/Missing.ttf")");
    GameFolder game(withFont);
    game.image("box.png", 100, 100, {200, 100, 0}).font();
    std::filesystem::create_directories(game.path() + "/lang");
    std::ofstream(game.path() + "/lang/de.xml") << german;
    const ProcessResult played = runEngine(game.path(), "", 30, {"--lang", "de"});
    EXPECT_EQ(played.status, 1);
    EXPECT_NE(
        played.err.find("game.xml:4:62: error: the font \"fonts/Missing.ttf\" of the language \"de\" is not a file"),
        std::string::npos)
        << played.err;
    EXPECT_EQ(runEngine(game.path(), "", 30, {"--check"}).status, 0) << "a warning while the language is not asked for";
}

// The language a player's settings name holds in every way of playing,
// reloading on save included.
TEST_F(Language, TheSettingsLanguageHoldsWhileTheGameReloadsOnSave)
{
    std::string kept = document;
    kept.replace(kept.find("title="), 0, "saveName=\"lang\" ");
    std::ofstream(game.path() + "/game.xml", std::ios::binary) << kept;
    files.write("settings.json", R"({"language": "de"})");
    EngineSession engine(game.path(), {"--watch", "--save-dir", files.path(), "--trace", files.file("trace.jsonl")});
    ASSERT_TRUE(engine.waitForWindow("Lang", 550, 550));
    const auto told = [&] {
        return readWholeFile(files.file("trace.jsonl")).find(R"("event": "language", "lang": "de")");
    };
    for (int tries = 0; tries < 100 && told() == std::string::npos; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_NE(told(), std::string::npos) << readWholeFile(files.file("trace.jsonl"));
    EXPECT_EQ(engine.closeAndExit(), 0) << engine.err();
}

// A language's font draws every text while the language plays, those it
// has no string for too: narrow letters take a monospaced font's width.
TEST(LanguageFont, ReplacesTheFontOfEveryText)
{
    GameFolder game(R"(<game entryScene="1" width="550" height="550" title="Font" fps="30" baseLanguage="en">
  <languages><language id="mono" name="Mono" src="lang/mono.xml" font="assets/mono.ttf"/></languages>
  <assets path="assets">
    <text id="narrow" src="DejaVuSans.ttf" size="60" color="255, 0, 0, 255" position="10, 10">iiiiii</text>
  </assets>
  <scenes><scene sceneId="1"><narrow/></scene></scenes>
</game>
)");
    game.font();
    std::filesystem::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", game.path() + "/assets/mono.ttf");
    std::filesystem::create_directories(game.path() + "/lang");
    std::ofstream(game.path() + "/lang/mono.xml") << R"(<translation lang="mono"/>)";
    TempDir files;
    files.write("shot.replay", "at 1 shot shot.png\nat 2 close\n");
    const auto drawnWidth = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--replay", files.file("shot.replay")});
        const ProcessResult result = runEngine(game.path(), "", 60, arguments);
        EXPECT_EQ(result.status, 0) << result.err;
        return widthOf(files.file("shot.png"), sf::Color::Red);
    };
    const int own = drawnWidth({});
    ASSERT_GT(own, 20);
    EXPECT_GT(drawnWidth({"--lang", "mono"}), 2 * own) << "six letters as wide as a monospaced font draws them";
}
