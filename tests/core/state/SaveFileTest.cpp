#include "core/state/SaveFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

SaveData sample()
{
    SaveData data;
    data.saveName = "cellar";
    data.gameVersion = "1.2";
    data.scene = 2;
    data.player = sf::Vector2f(412, 630.5f);
    data.flags = {"doorOpen", "lampOn"};
    data.items = {"note", "key"};
    data.visited = {1, 2};
    return data;
}

SaveProblem problemOf(std::string_view text)
{
    const std::variant<SaveData, SaveProblem> read = parseSave(text);
    EXPECT_TRUE(std::holds_alternative<SaveProblem>(read)) << text;
    return std::holds_alternative<SaveProblem>(read) ? std::get<SaveProblem>(read) : SaveProblem{};
}

// The save of number `n` in a series, each a different length.
std::string numbered(int n)
{
    SaveData data = sample();
    data.scene = n;
    data.flags.assign(static_cast<std::size_t>(n % 50), "flag" + std::to_string(n));
    return saveText(data);
}

ssize_t diskFull(int, const void *, std::size_t)
{
    errno = ENOSPC;
    return -1;
}

} // namespace

TEST(SaveFile, OneStateGivesTheseBytesInThisKeyOrderAndReadsBackToThem)
{
    const std::string text = saveText(sample());
    EXPECT_EQ(text, "{\"format\": 1, \"saveName\": \"cellar\", \"gameVersion\": \"1.2\", \"scene\": 2, \"player\": "
                    "{\"x\": 412, \"y\": 630.5}, \"flags\": [\"doorOpen\", \"lampOn\"], \"items\": [\"note\", "
                    "\"key\"], \"visited\": [1, 2]}\n");
    const std::variant<SaveData, SaveProblem> read = parseSave(text);
    ASSERT_TRUE(std::holds_alternative<SaveData>(read));
    EXPECT_EQ(saveText(std::get<SaveData>(read)), text);

    // Keys it does not know are ignored, and the optional ones may be missing.
    const std::variant<SaveData, SaveProblem> sparse =
        parseSave("{\"format\": 1, \"saveName\": \"cellar\", \"scene\": 3, \"later\": {\"a\": [1]}}");
    ASSERT_TRUE(std::holds_alternative<SaveData>(sparse));
    EXPECT_EQ(std::get<SaveData>(sparse).scene, 3);
    EXPECT_FALSE(std::get<SaveData>(sparse).player);
}

TEST(SaveFile, ABadSaveIsRefusedWithItsReasonAndAPlaceWhereThereIsOne)
{
    SaveProblem truncated = problemOf("{\"format\": 1,\n  \"saveName\": \"cel");
    EXPECT_EQ(truncated.reason, LoadRefusal::corrupt);
    EXPECT_EQ(truncated.line, 2u);
    EXPECT_EQ(truncated.column, 19u);
    EXPECT_NE(truncated.message.find("not JSON"), std::string::npos) << truncated.message;

    EXPECT_EQ(problemOf("").reason, LoadRefusal::corrupt);
    EXPECT_EQ(problemOf("[1, 2]").reason, LoadRefusal::corrupt);
    EXPECT_EQ(problemOf("{\"format\": 1111111111111e11111}").reason, LoadRefusal::corrupt) << "past a double";
    EXPECT_EQ(problemOf("{\"format\": 1, \"saveName\": \"c\", \"scene\": \"2\"}").reason, LoadRefusal::corrupt);
    EXPECT_EQ(problemOf("{\"format\": 1, \"saveName\": \"c\", \"scene\": 2, \"flags\": [3]}").reason,
              LoadRefusal::corrupt);
    EXPECT_EQ(problemOf("{\"format\": 1, \"saveName\": \"c\", \"scene\": 2, \"player\": {\"x\": 1}}").reason,
              LoadRefusal::corrupt);
    // Nested past any use, refused where it goes too deep, before the library copies it level by level.
    const SaveProblem deep =
        problemOf("{\"format\": 1, \"saveName\": \"c\", \"scene\": 2,\n \"extra\": " + std::string(75000, '[') +
                  std::string(75000, ']') + "}");
    EXPECT_EQ(deep.reason, LoadRefusal::corrupt);
    EXPECT_EQ(deep.line, 2u);
    EXPECT_EQ(deep.column, 26u) << "the first bracket past the sixteenth level";
    EXPECT_TRUE(std::holds_alternative<SaveData>(
        parseSave("{\"format\": 1, \"saveName\": \"[[[[[[[[[[[[[[[[[[\\\"\", \"scene\": 2}")))
        << "brackets in a string do not nest";
    // A player further out than the world is wide could never walk back.
    EXPECT_EQ(
        problemOf("{\"format\": 1, \"saveName\": \"c\", \"scene\": 2, \"player\": {\"x\": 2201, \"y\": 0}}").reason,
        LoadRefusal::corrupt);
    EXPECT_EQ(
        problemOf("{\"format\": 1, \"saveName\": \"c\", \"scene\": 2, \"player\": {\"x\": 0, \"y\": -3e38}}").reason,
        LoadRefusal::corrupt);
    EXPECT_TRUE(std::holds_alternative<SaveData>(
        parseSave("{\"format\": 1, \"saveName\": \"c\", \"scene\": 2, \"player\": {\"x\": -1100, \"y\": 2200}}")));
    TempDir dir;
    const std::variant<SaveData, SaveProblem> none = readSaveFile(dir.file("auto.json"));
    ASSERT_TRUE(std::holds_alternative<SaveProblem>(none));
    EXPECT_STREQ(refusalName(std::get<SaveProblem>(none).reason), "missing") << "no file is not a corrupt file";

    // A newer format is told apart from a corrupt save, even when the rest would not read.
    const SaveProblem newer = problemOf("{\"format\": 2, \"scene\": \"elsewhere\"}");
    EXPECT_EQ(newer.reason, LoadRefusal::newerFormat);
    EXPECT_STREQ(refusalName(newer.reason), "newer-format");
}

TEST(SaveFile, AWriteKeepsThePreviousSaveAsTheBackupAndLeavesNoTemporary)
{
    TempDir dir;
    const std::string path = dir.file("saves/quick.json");
    ASSERT_FALSE(writeAtomically(path, "first\n"));
    ASSERT_FALSE(writeAtomically(path, "second\n"));
    EXPECT_EQ(readWholeFile(path), "second\n");
    EXPECT_EQ(readWholeFile(path + ".bak"), "first\n");
    // A temporary left by a crash is replaced, never piled up.
    std::ofstream(dir.file("saves/.quick.json.tmp")) << "half a sa";
    ASSERT_FALSE(writeAtomically(path, "third\n"));
    std::vector<std::string> names;
    for (const fs::directory_entry &entry : fs::directory_iterator(dir.file("saves")))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"quick.json", "quick.json.bak"}));
}

TEST(SaveFile, AFailedWriteLeavesThePreviousSaveAndWhatStandsInTheWayUntouched)
{
    TempDir dir;
    const std::string path = dir.file("quick.json");
    ASSERT_FALSE(writeAtomically(path, "good\n"));
    FileCalls full = FileCalls::system();
    full.write = diskFull;
    const std::optional<WriteFailure> failed = writeAtomically(path, "newer\n", full);
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->reason, "no-space");
    EXPECT_NE(failed->message.find(".quick.json.tmp"), std::string::npos) << failed->message;
    EXPECT_EQ(readWholeFile(path), "good\n");
    EXPECT_FALSE(fs::exists(path + ".bak"));
    EXPECT_FALSE(fs::exists(dir.file(".quick.json.tmp")));

    const std::string folder = dir.file("auto.json");
    fs::create_directory(folder);
    std::ofstream(folder + "/inside") << "mine";
    const std::optional<WriteFailure> blocked = writeAtomically(folder, "save\n");
    ASSERT_TRUE(blocked);
    EXPECT_EQ(blocked->reason, "in-the-way");
    EXPECT_EQ(readWholeFile(folder + "/inside"), "mine");
    EXPECT_FALSE(fs::exists(dir.file(".auto.json.tmp")));
}

// A process saving in a loop is killed at random moments; each save it
// finished is reported on a pipe. Whatever the moment, quick.json is whole:
// the last save reported, or the one being written when the kill came. A
// killed process loses nothing the kernel already has, so the waits for the
// disk are left out here, and a thousand saves take a second or two.
TEST(SaveFile, KilledAtRandomMomentsDuringAThousandSavesQuickJsonIsAlwaysTheOldOrTheNewSave)
{
    TempDir dir;
    const std::string path = dir.file("quick.json");
    ASSERT_FALSE(writeAtomically(path, numbered(0)));
    std::mt19937 random(19);
    int saved = 0;
    int kills = 0;
    int caughtMidway = 0;
    while (saved < 1000) {
        int pipeEnds[2];
        ASSERT_EQ(pipe(pipeEnds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeEnds[0]);
            FileCalls unsynced = FileCalls::system();
            unsynced.fsync = [](int) { return 0; };
            for (int n = saved + 1;; ++n) {
                if (writeAtomically(path, numbered(n), unsynced))
                    _exit(3);
                const char done = 1;
                if (write(pipeEnds[1], &done, 1) != 1)
                    _exit(4);
            }
        }
        close(pipeEnds[1]);
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 3000)(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process ended with " << WEXITSTATUS(status);
        ++kills;
        int finished = 0;
        char done[4096];
        for (ssize_t got; (got = read(pipeEnds[0], done, sizeof done)) > 0;)
            finished += static_cast<int>(got);
        close(pipeEnds[0]);
        const std::string now = readWholeFile(path);
        const int last = saved + finished;
        ASSERT_TRUE(std::holds_alternative<SaveData>(parseSave(now))) << "after kill " << kills << ":\n" << now;
        if (now == numbered(last + 1)) {
            ++caughtMidway;
            saved = last + 1;
        } else {
            ASSERT_EQ(now, numbered(last)) << "after kill " << kills;
            saved = last;
        }
    }
    std::size_t temporaries = 0;
    for (const fs::directory_entry &entry : fs::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(".quick.json.tmp", 0) == 0 && name.find(".bak") == std::string::npos)
            ++temporaries;
    }
    EXPECT_LE(temporaries, 1u) << "temporaries piled up";
    RecordProperty("kills", kills);
    RecordProperty("saves", saved);
    std::cout << kills << " kills during " << saved << " saves; " << caughtMidway
              << " after the rename and before the report\n";
}

TEST(SaveFile, TwoProcessesSavingIntoOneFolderEachLandWholeSavesNeverAnEmptyOne)
{
    TempDir dir;
    const std::string path = dir.file("quick.json");
    ASSERT_FALSE(writeAtomically(path, numbered(0)));
    FileCalls unsynced = FileCalls::system();
    unsynced.fsync = [](int) { return 0; };
    // Two writers of saves of their own, and a reader that must never see
    // anything but a whole save.
    std::vector<pid_t> children;
    for (const int first : {1000, 2000})
        if (const pid_t child = fork(); child == 0) {
            for (int n = first; n < first + 300; ++n)
                if (const std::optional<WriteFailure> failed = writeAtomically(path, numbered(n), unsynced)) {
                    std::cerr << failed->message << "\n";
                    _exit(1);
                }
            _exit(0);
        } else {
            children.push_back(child);
        }
    if (const pid_t reader = fork(); reader == 0) {
        for (int read = 0; read < 2000; ++read)
            if (!std::holds_alternative<SaveData>(parseSave(readWholeFile(path)))) {
                std::cerr << "read " << read << " was not whole\n";
                _exit(1);
            }
        _exit(0);
    } else {
        children.push_back(reader);
    }
    for (const pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a save failed or a read was not whole";
    }
    const std::string last = readWholeFile(path);
    EXPECT_TRUE(last == numbered(1299) || last == numbered(2299)) << last;
    for (const fs::directory_entry &entry : fs::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << "left: " << entry.path();
}
