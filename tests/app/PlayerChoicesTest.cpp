#include "app/PlayerChoices.h"
#include "app/CommandLine.h"
#include "core/state/SaveSettings.h"
#include "core/text/GameDocument.h"
#include "elements/EAudio.h"
#include "elements/EText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace {

// A game in `dir`/game, its saves in `dir`/saves, and the command line given.
class Choosing : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(dir.file("game"));
        std::filesystem::create_directories(dir.file("saves"));
        dir.write("game/game.xml", "<game saveName='choosing' entryScene='1'/>");
        saves.folderFor = [this](std::string_view name) { return name == "choosing" ? dir.file("saves") : ""; };
        setenv("ADVENTURE_SPEAK_COMMAND", "true", 1);
    }
    void TearDown() override
    {
        unsetenv("ADVENTURE_SPEAK_COMMAND");
        EText::sizeScale = 1.f;
        EAudio::musicShare = EAudio::effectsShare = EAudio::voiceShare = 1.f;
    }

    PlayerChoices choose(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), {"adventure", dir.file("game")});
        std::vector<char *> argv;
        for (std::string &argument : arguments)
            argv.push_back(argument.data());
        Options options;
        EXPECT_EQ(parseCommandLine(static_cast<int>(argv.size()), argv.data(), options), std::nullopt);
        return takePlayerChoices(options, *GameDocument::read(dir.file("game/game.xml")), saves, messages);
    }

    TempDir dir;
    SaveSettings saves;
    std::ostringstream messages;
};

} // namespace

TEST_F(Choosing, TheSettingsFileIsAppliedAndTheCommandLineWinsWithoutBeingWritten)
{
    const std::string settings = "{\"speak\": true, \"textScale\": 2, \"musicVolume\": 50, \"effectsVolume\": 25}\n";
    dir.write("saves/settings.json", settings);
    const PlayerChoices fromFile = choose({});
    EXPECT_TRUE(fromFile.settings.speak);
    EXPECT_NE(fromFile.speech, nullptr);
    EXPECT_FLOAT_EQ(EText::sizeScale, 2.f);
    EXPECT_FLOAT_EQ(EAudio::musicShare, 0.5f);
    EXPECT_FLOAT_EQ(EAudio::effectsShare, 0.25f);
    EXPECT_FLOAT_EQ(EAudio::voiceShare, 1.f);

    const PlayerChoices overridden = choose({"--no-speak", "--text-scale", "1.5", "--music-volume", "20"});
    EXPECT_FALSE(overridden.settings.speak);
    EXPECT_EQ(overridden.speech, nullptr);
    EXPECT_FLOAT_EQ(EText::sizeScale, 1.5f);
    EXPECT_FLOAT_EQ(EAudio::musicShare, 0.2f);
    EXPECT_FLOAT_EQ(EAudio::effectsShare, 0.25f);
    EXPECT_EQ(readWholeFile(dir.file("saves/settings.json")), settings);
    EXPECT_EQ(messages.str(), "");
}

TEST_F(Choosing, OnlyRememberWritesAndItWritesWhatTheRunUses)
{
    choose({"--speak", "--text-scale", "2.5"});
    EXPECT_FALSE(std::filesystem::exists(dir.file("saves/settings.json")));
    dir.write("saves/settings.json", "{\"musicVolume\": 10, \"later\": [1]}");
    choose({"--speak", "--text-scale", "2.5", "--voice-volume", "0", "--remember"});
    EXPECT_EQ(readWholeFile(dir.file("saves/settings.json")),
              "{\n  \"speak\": true,\n  \"textScale\": 2.5,\n  \"musicVolume\": 10,\n  \"effectsVolume\": 100,\n"
              "  \"voiceVolume\": 0,\n  \"later\": [1]\n}\n");
    EXPECT_EQ(messages.str(), "");
}

TEST_F(Choosing, ABadFileIsRefusedWhereItIsWrongAndKeptUntilRememberSetsItAside)
{
    const std::string bad = "{\n  \"speak\": true,\n  \"musicVolume\": 101\n}\n";
    dir.write("saves/settings.json", bad);
    const PlayerChoices refused = choose({});
    EXPECT_FALSE(refused.settings.speak);
    EXPECT_EQ(refused.settings.musicVolume, 100);
    EXPECT_EQ(messages.str(), dir.file("saves/settings.json") +
                                  ":3:18: error: \"musicVolume\" is not a whole number from 0 to 100 (the settings "
                                  "are not used: the defaults are; the file is kept, and --remember sets it aside)\n");
    EXPECT_EQ(readWholeFile(dir.file("saves/settings.json")), bad);

    messages.str("");
    choose({"--remember"});
    EXPECT_EQ(readWholeFile(dir.file("saves/settings.refused.json")), bad);
    EXPECT_EQ(readWholeFile(dir.file("saves/settings.json")), settingsText(PlayerSettings{}));
    EXPECT_NE(
        messages.str().find("adventure: the refused settings are kept as " + dir.file("saves/settings.refused.json")),
        std::string::npos);
}

TEST_F(Choosing, AGameWithoutASaveNameKeepsNoSettings)
{
    dir.write("game/game.xml", "<game entryScene='1'/>");
    EXPECT_EQ(settingsPath(*GameDocument::read(dir.file("game/game.xml")), saves), "");
    choose({"--speak", "--remember"});
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("saves")));
    EXPECT_NE(messages.str().find("adventure: --remember: the game keeps no settings"), std::string::npos);
}
