#include "core/lang/Translation.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Translation files as translators hand them in and as --strings writes them:
// what counts as translated, and a merge that keeps every translator's word.

namespace {

const std::vector<BaseText> texts{{"door", "Locked."}, {"cat", "Mrrrow?"}, {"note", "Two\nlines & \"quotes\""}};

TranslationFile fileFrom(const std::string &content)
{
    static TempDir dir;
    dir.write("de.xml", content);
    return readTranslation(dir.file("de.xml"), "lang/de.xml");
}

std::string faultOf(const std::string &content)
{
    try {
        fileFrom(content);
    } catch (const FileFault &fault) {
        return fault.file + ":" + std::to_string(fault.line) + ":" + std::to_string(fault.column) + ": " +
               fault.message;
    }
    return "read";
}

} // namespace

TEST(Translation, OnlyAStringMadeForTodaysBaseTextIsTranslated)
{
    const TranslationFile file = fileFrom(R"(<translation lang="de">
  <string id="door" source="Locked.">Abgeschlossen.</string>
  <string id="cat" source="Mrrrow!">Mrrrau?</string>
  <string id="note" source="Two&#10;lines &amp; &quot;quotes&quot;" stale="true">Zwei</string>
  <string id="gone" source="Gone.">Weg.</string>
  <string id="door" source="Locked.">Zu.</string>
</translation>)");
    const Comparison comparison = compare(texts, file);
    ASSERT_EQ(comparison.texts.size(), 3u);
    EXPECT_EQ(comparison.texts[0].standing, Standing::translated);
    EXPECT_EQ(comparison.texts[0].string->text, "Abgeschlossen.") << "the first of two strings counts";
    EXPECT_EQ(comparison.texts[1].standing, Standing::stale) << "made for another base text";
    EXPECT_EQ(comparison.texts[2].standing, Standing::stale) << "marked stale, though the source matches";
    ASSERT_EQ(comparison.orphans.size(), 1u);
    EXPECT_EQ(comparison.orphans[0]->id, "gone");
    ASSERT_EQ(comparison.duplicates.size(), 1u);
    EXPECT_EQ(comparison.duplicates[0]->line, 6u);

    const TranslationFile empty =
        fileFrom(R"(<translation lang="de"><string id="door" source="Locked."/></translation>)");
    EXPECT_EQ(compare(texts, empty).count(Standing::missing), 3u) << "an empty string is a missing one";
}

TEST(Translation, AMergeMarksStaleKeepsOrphansAndIsAFixedPoint)
{
    const TranslationFile file = fileFrom(R"(<translation lang="de">
  <string id="gone" source="Gone -- for good.">Weg -- für immer.</string>
  <string id="cat" source="Mrrrow!">Mrrrau?</string>
  <string id="door" source="Locked.">Abgeschlossen.</string>
  <string id="door" source="Locked.">Zu.</string>
</translation>)");
    const std::string merged = mergedTranslation("de", texts, file);
    EXPECT_EQ(merged, R"(<?xml version="1.0" encoding="UTF-8"?>
<translation lang="de">
  <string id="door" source="Locked.">Abgeschlossen.</string>
  <string id="cat" source="Mrrrow?" stale="true" was="Mrrrow!">Mrrrau?</string>
  <string id="note" source="Two&#10;lines &amp; &quot;quotes&quot;"></string>
  <!-- orphan: <string id="gone" source="Gone &#45;&#45; for good.">Weg &#45;&#45; für immer.</string> -->
  <!-- orphan: <string id="door" source="Locked.">Zu.</string> -->
</translation>
)");
    const TranslationFile again = fileFrom(merged);
    EXPECT_EQ(again.orphaned.size(), 2u);
    EXPECT_EQ(again.orphaned[0].text, "Weg -- für immer.");
    EXPECT_EQ(mergedTranslation("de", texts, again), merged);
    EXPECT_EQ(compare(texts, again).texts[2].text->text, "Two\nlines & \"quotes\"");

    // The base line comes back: its commented-out string is a translation again.
    std::vector<BaseText> restored = texts;
    restored.push_back({"gone", "Gone -- for good."});
    const std::string back = mergedTranslation("de", restored, again);
    EXPECT_NE(back.find(R"(<string id="gone" source="Gone -- for good.">Weg -- für immer.</string>)"),
              std::string::npos)
        << back;
    EXPECT_EQ(back.find("orphan: <string id=\"gone\""), std::string::npos) << back;
}

TEST(Translation, AFileThatIsNoTranslationIsRefusedWhereItGoesWrong)
{
    EXPECT_EQ(
        faultOf("<translation lang=\"de\">\n  <string id=\"a\" source=\"A\" stale=\"yes\">B</string>\n</translation>"),
        "lang/de.xml:2:36: \"stale\" is \"yes\", but it must be true or false");
    EXPECT_EQ(faultOf("<translation lang=\"de\">\n <string id=\"a\" src=\"A\">B</string></translation>"),
              "lang/de.xml:2:17: <string> does not read \"src\" (it reads id, source, stale, was)");
    EXPECT_EQ(faultOf("<translation lang=\"de\">\n<string id=\"a\">B</string></translation>"),
              "lang/de.xml:2:1: <string id=\"a\"> needs a \"source\": the base text it was translated from");
    EXPECT_EQ(faultOf("<strings lang=\"de\"/>"),
              "lang/de.xml:1:1: a translation file's root is <translation lang=\"ID\">");
    EXPECT_EQ(faultOf("<translation lang=\"de\"><p/></translation>"),
              "lang/de.xml:1:24: <translation> holds <string> elements only, not <p>");
    EXPECT_EQ(faultOf("<translation lang=\"de\">\n  <string id=\"a\" source=\"A>B</string>\n").substr(0, 31),
              "lang/de.xml:3:1: malformed XML:");
    EXPECT_EQ(faultOf("<translation lang=\"de\">\n  <!-- orphan: <string id=\"a\" source=\"A\">B -->\n</translation>")
                  .substr(0, 17),
              "lang/de.xml:2:16:");
}

TEST(Translation, VoiceFilesAreNamedByTextId)
{
    EXPECT_EQ(voiceFile("voice/de/{id}.ogg", "doorText"), "voice/de/doorText.ogg");
    EXPECT_EQ(voiceFile("{id}/{id}.wav", "a"), "a/a.wav");
    EXPECT_EQ(voiceFile("voice.wav", "a"), "voice.wav");
}
