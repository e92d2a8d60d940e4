#include "core/state/PlayerSettings.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

SettingsProblem problemOf(std::string_view text)
{
    const std::variant<PlayerSettings, SettingsProblem> read = parseSettings(text);
    EXPECT_TRUE(std::holds_alternative<SettingsProblem>(read)) << text;
    return std::holds_alternative<SettingsProblem>(read) ? std::get<SettingsProblem>(read) : SettingsProblem{};
}

PlayerSettings settingsOf(std::string_view text)
{
    const std::variant<PlayerSettings, SettingsProblem> read = parseSettings(text);
    EXPECT_TRUE(std::holds_alternative<PlayerSettings>(read))
        << text << ": "
        << (std::holds_alternative<SettingsProblem>(read) ? std::get<SettingsProblem>(read).message : "");
    return std::holds_alternative<PlayerSettings>(read) ? std::get<PlayerSettings>(read) : PlayerSettings{};
}

} // namespace

TEST(PlayerSettings, EveryKeyIsReadAndAnyMayBeLeftOut)
{
    const PlayerSettings all = settingsOf(R"({"language": "pt-BR", "speak": true, "textScale": 1.5,
        "musicVolume": 0, "effectsVolume": 35, "voiceVolume": 100})");
    EXPECT_EQ(all.language, "pt-BR");
    EXPECT_TRUE(all.speak);
    EXPECT_FLOAT_EQ(all.textScale, 1.5f);
    EXPECT_EQ(all.musicVolume, 0);
    EXPECT_EQ(all.effectsVolume, 35);
    EXPECT_EQ(all.voiceVolume, 100);

    const PlayerSettings none = settingsOf("{}");
    EXPECT_EQ(none.language, std::nullopt);
    EXPECT_FALSE(none.speak);
    EXPECT_FLOAT_EQ(none.textScale, 1.f);
    EXPECT_EQ(none.musicVolume, 100);
    EXPECT_EQ(none.effectsVolume, 100);
    EXPECT_EQ(none.voiceVolume, 100);
}

// The place of the value at fault, on its own line as a player's editor shows it.
TEST(PlayerSettings, AValueOfTheWrongKindOrRangeIsRefusedWhereItStands)
{
    const SettingsProblem volume = problemOf("{\n  \"speak\": true,\n  \"musicVolume\": 101\n}\n");
    EXPECT_EQ(volume.line, 3u);
    EXPECT_EQ(volume.column, 18u);
    EXPECT_EQ(volume.message, "\"musicVolume\" is not a whole number from 0 to 100");

    const SettingsProblem scale = problemOf("{\"textScale\":   9}");
    EXPECT_EQ(scale.line, 1u);
    EXPECT_EQ(scale.column, 17u);
    EXPECT_NE(scale.message.find("0.5 to 3"), std::string::npos);

    // A key inside another object is not the key it names.
    const SettingsProblem nested = problemOf("{\"x\": {\"speak\": 1},\n \"speak\": \"yes\"}");
    EXPECT_EQ(nested.line, 2u);
    EXPECT_EQ(nested.column, 11u);

    for (const char *bad : {R"({"effectsVolume": 50.5})", R"({"voiceVolume": -1})", R"({"speak": 1})",
                            R"({"language": "de/../x"})", R"({"language": ""})", R"({"textScale": "2"})"})
        EXPECT_NE(problemOf(bad).line, 0u) << bad;
}

TEST(PlayerSettings, TextThatIsNotAnObjectIsRefusedAtItsFault)
{
    const SettingsProblem broken = problemOf("{\n  \"speak\": true,\n  \"textScale\" 2\n}");
    EXPECT_EQ(broken.line, 3u);
    EXPECT_NE(broken.message.find("not JSON"), std::string::npos);
    EXPECT_EQ(problemOf("[1, 2]").message, "the settings are not a JSON object");
    EXPECT_NE(problemOf(std::string(40, '[') + std::string(40, ']')).message.find("deeper"), std::string::npos);
}

// Keys of a later engine survive a write by this one, and what is written reads back the same.
TEST(PlayerSettings, WrittenSettingsReadBackAndKeepKeysThisEngineDoesNotKnow)
{
    PlayerSettings settings = settingsOf(R"({"subtitles": {"size": [1, 2]}, "speak": true, "musicVolume": 40})");
    settings.textScale = 1.25f;
    settings.language = "de";
    const std::string text = settingsText(settings);
    EXPECT_EQ(text, "{\n  \"language\": \"de\",\n  \"speak\": true,\n  \"textScale\": 1.25,\n  \"musicVolume\": 40,\n"
                    "  \"effectsVolume\": 100,\n  \"voiceVolume\": 100,\n  \"subtitles\": {\"size\":[1,2]}\n}\n");
    const PlayerSettings again = settingsOf(text);
    EXPECT_EQ(settingsText(again), text);
}

TEST(PlayerSettings, NoFileGivesTheDefaultsAndAFolderIsRefused)
{
    const TempDir dir;
    const std::variant<PlayerSettings, SettingsProblem> missing = readSettingsFile(dir.file("settings.json"));
    ASSERT_TRUE(std::holds_alternative<PlayerSettings>(missing));
    EXPECT_EQ(settingsText(std::get<PlayerSettings>(missing)), settingsText(PlayerSettings{}));
    const std::variant<PlayerSettings, SettingsProblem> folder = readSettingsFile(dir.path());
    ASSERT_TRUE(std::holds_alternative<SettingsProblem>(folder));
    EXPECT_EQ(std::get<SettingsProblem>(folder).line, 0u);
}
