#include "app/BundleMode.h"

#include "app/CheckMode.h"
#include "app/CommandLine.h"
#include "check/Checker.h"
#include "core/Game.h"
#include "core/text/StartupError.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace fs = std::filesystem;

namespace {

// What would make the player's copy play otherwise than the author's: the
// engine would stop, or a file it needs would be absent or undecodable.
bool stopsTheBundle(const Diagnostic &finding)
{
    return finding.severity == Severity::error || finding.code == "missing-file" || finding.code == "unreadable-file";
}

bool endsWith(const std::string &text, const std::string &end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Inside `outer`, or `outer` itself; both absolute and canonical as far as they exist.
bool within(const fs::path &inner, const fs::path &outer)
{
    const fs::path relative = inner.lexically_relative(outer);
    return !relative.empty() && *relative.begin() != "..";
}

// Why a bundle may not be written at `out`, or nothing. A bundle never
// replaces anything, so it can never be written over its own game either;
// the game's folder gets its own message, being the likeliest slip.
std::optional<std::string> refusal(const fs::path &out, const std::string &gameFolder)
{
    std::error_code ignored;
    if (within(fs::weakly_canonical(out, ignored), fs::weakly_canonical(fs::absolute(gameFolder), ignored)))
        return "it is the game's folder or inside it; name a place outside it";
    if (fs::exists(fs::symlink_status(out, ignored)))
        return "it already exists; a bundle is written as a new folder or archive";
    return std::nullopt;
}

// One file of the bundle: its place in it, where it is copied from and the
// name that put it there.
struct Entry {
    fs::path inside;
    fs::path from;
    std::string name;
};

// What the bundle holds besides play.sh and the launcher.
struct Contents {
    // The document as game.xml, then each named file once.
    std::vector<Entry> files;
    // The folders a name goes up out of ("sub" of "sub/../x.png"): the
    // copy holds them, so that it opens each name as the game's folder does.
    std::vector<fs::path> folders;
};

// The folders `name` passes through that are not on the way to `inside`,
// where it ends.
std::vector<fs::path> foldersLeftOnTheWay(const fs::path &name, const fs::path &inside)
{
    std::vector<fs::path> left;
    fs::path at;
    for (auto part = name.begin(); part != name.end() && std::next(part) != name.end(); ++part) {
        if (*part == "..")
            at = at.parent_path();
        else if (!part->empty() && *part != ".")
            at /= *part;
        if (!at.empty() && !within(inside, at))
            left.push_back(at);
    }
    return left;
}

// The document as game.xml and each named file once, at its place relative
// to the game's folder, copied from the file the engine opens by that name.
// Throws runtime_error for a name the bundle cannot hold where the game
// looks for it.
Contents contentsOf(const GameLocation &location, const std::vector<std::string> &named,
                    const std::vector<std::string> &ownFiles)
{
    const fs::path folder(location.folder);
    Contents contents{{{"game.xml", folder / location.file, "game.xml"}}, {}};
    std::vector<Entry> &entries = contents.files;
    for (const std::string &name : named) {
        const fs::path inside = fs::path(name).lexically_normal();
        if (inside.is_absolute() || inside.empty() || *inside.begin() == "..")
            throw std::runtime_error("it names \"" + name + "\", which is outside the game's folder");
        for (const std::string &own : ownFiles)
            if (inside == own)
                throw std::runtime_error("it names \"" + name + "\", which the bundle writes itself");
        const fs::path from = folder / name;
        const auto same = [&](const Entry &entry) { return entry.inside == inside; };
        const auto known = std::find_if(entries.begin(), entries.end(), same);
        std::error_code error;
        if (known == entries.end())
            entries.push_back({inside, from, name});
        else if (known == entries.begin() && !fs::equivalent(known->from, from, error))
            throw std::runtime_error("it names \"" + name + "\", but the document itself goes there");
        else if (!fs::equivalent(known->from, from, error))
            throw std::runtime_error("it names \"" + known->name + "\" and \"" + name +
                                     "\", one place in the copy, but they are two files here");
        for (const fs::path &left : foldersLeftOnTheWay(name, inside))
            if (std::find(contents.folders.begin(), contents.folders.end(), left) == contents.folders.end())
                contents.folders.push_back(left);
    }
    return contents;
}

// The launcher's file name, from the title: "The Study" gives "the-study".
// Cut well short of the 255 bytes a file name may have; being ASCII, it can
// be cut anywhere.
std::string launcherName(const std::string &title)
{
    constexpr std::size_t longest = 100;
    std::string name;
    for (const char c : title) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (letter || (c >= 'A' && c <= 'Z'))
            name += letter ? c : static_cast<char>(c - 'A' + 'a');
        else if (!name.empty() && name.back() != '-')
            name += '-';
        if (name.size() == longest)
            break;
    }
    while (!name.empty() && name.back() == '-')
        name.pop_back();
    return (name.empty() ? "game" : name) + ".desktop";
}

// A desktop entry string value: escapes as the format has them, and no
// other control character, which the format forbids.
std::string desktopString(const std::string &text)
{
    std::string escaped;
    for (const char c : text) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '\n')
            escaped += "\\n";
        else if (c == '\t')
            escaped += "\\t";
        else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            escaped += ' ';
        else
            escaped += c;
    }
    return escaped;
}

// The engine from the PATH when installed there, else where the engine's
// package puts it; the document by its own folder, so the player's working
// directory (and any file named on the command line) stays theirs.
const char *const playScript = "#!/bin/sh\n"
                               "# Plays this game with the adventure engine, from wherever it is unpacked.\n"
                               "game=\"$(dirname \"$0\")/game.xml\"\n"
                               "if command -v adventure >/dev/null 2>&1; then\n"
                               "  exec adventure \"$game\" \"$@\"\n"
                               "fi\n"
                               "exec /usr/games/adventure \"$game\" \"$@\"\n";

// A launcher cannot know where the bundle is unpacked: %k, the launcher's
// own path, finds play.sh beside it. A launching program may give no path
// (gio launch does not), and then the launcher runs nothing rather than a
// play.sh of whatever folder it was started in.
std::string desktopEntry(const std::string &title)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" +
           desktopString(title.empty() ? "Adventure game" : title) +
           "\n"
           "Comment=A point-and-click adventure\n"
           R"(Exec=sh -c "[ -n \\"\\$1\\" ] || { echo 'adventure launcher: started without its own location, so )"
           R"(the play.sh beside it cannot be found; run that play.sh instead' >&2; exit 1; }; )"
           R"(exec \\"\\$(dirname \\"\\$1\\")/play.sh\\"" sh %k)"
           "\n"
           "Terminal=false\n"
           "Categories=Game;AdventureGame;\n";
}

std::runtime_error writeFailure(const std::string &what, const fs::path &path, int error)
{
    return std::runtime_error("cannot " + what + " " + path.string() + ": " + describeError(error));
}

void writeText(const fs::path &path, const std::string &text, fs::perms mode)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out)
        throw writeFailure("write", path, errno);
    std::error_code error;
    fs::permissions(path, mode, error);
    if (error)
        throw writeFailure("set the mode of", path, error.value());
}

void copyInto(const fs::path &root, const Entry &entry)
{
    const fs::path to = root / entry.inside;
    std::error_code error;
    fs::create_directories(to.parent_path(), error);
    if (error)
        throw writeFailure("make the folder", to.parent_path(), error.value());
    fs::copy_file(entry.from, to, error);
    if (error)
        throw writeFailure("copy " + entry.from.string() + " to", to, error.value());
    // A copy of a read-only installed game must not be read-only for the player.
    fs::permissions(to, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read,
                    error);
    if (error)
        throw writeFailure("set the mode of", to, error.value());
}

// tar keeps each file's mode, so play.sh stays executable wherever it is
// unpacked. Only what is listed goes in, each once: the files, and the
// folders no file is in; the folders of the files are made on unpacking.
void writeArchive(const fs::path &archive, const fs::path &content, const std::vector<std::string> &files)
{
    std::vector<std::string> arguments{"tar",
                                       "--create",
                                       "--gzip",
                                       "--file",
                                       archive.string(),
                                       "--directory",
                                       content.string(),
                                       "--owner=0",
                                       "--group=0",
                                       "--numeric-owner",
                                       "--no-recursion",
                                       "--"};
    arguments.insert(arguments.end(), files.begin(), files.end());
    std::vector<char *> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (const int error = posix_spawnp(&child, "tar", nullptr, nullptr, argv.data(), environ))
        throw writeFailure("run tar for", archive, error);
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        throw writeFailure("wait for tar writing", archive, errno);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("tar could not write " + archive.string());
}

void syncOne(const fs::path &path)
{
    const int file = open(path.c_str(), O_RDONLY);
    const bool synced = file >= 0 && fsync(file) == 0;
    const int error = errno;
    if (file >= 0)
        close(file);
    if (!synced)
        throw writeFailure("write", path, error);
}

// Written through to the disk, a folder with everything in it, so that after
// a crash OUT holds either the whole bundle or nothing.
void syncToDisk(const fs::path &path)
{
    syncOne(path);
    if (fs::is_directory(path))
        for (const fs::directory_entry &entry : fs::recursive_directory_iterator(path))
            syncOne(entry.path());
}

// A hidden folder beside OUT that the bundle is assembled in, on the same
// file system so that it can be renamed into place whole. Whatever is left
// in it goes with it.
class Scratch {
public:
    explicit Scratch(const fs::path &out)
    {
        std::string pattern = (out.parent_path() / ("." + out.filename().string() + ".XXXXXX")).string();
        if (!mkdtemp(pattern.data()))
            throw writeFailure("make a folder beside", out, errno);
        root = pattern;
    }
    ~Scratch()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    Scratch(const Scratch &) = delete;
    Scratch &operator=(const Scratch &) = delete;
    const fs::path &path() const { return root; }

private:
    fs::path root;
};

void writeBundle(const fs::path &out, const Contents &contents, const std::string &launcher, const std::string &title)
{
    const Scratch scratch(out);
    const fs::path content = scratch.path() / "content";
    std::vector<std::string> files;
    for (const fs::path &folder : contents.folders) {
        std::error_code error;
        fs::create_directories(content / folder, error);
        if (error)
            throw writeFailure("make the folder", content / folder, error.value());
        files.push_back(folder.string());
    }
    for (const Entry &entry : contents.files) {
        copyInto(content, entry);
        files.push_back(entry.inside.string());
    }
    using fs::perms;
    const perms readable = perms::owner_read | perms::owner_write | perms::group_read | perms::others_read;
    const perms runnable = readable | perms::owner_exec | perms::group_exec | perms::others_exec;
    writeText(content / "play.sh", playScript, runnable);
    writeText(content / launcher, desktopEntry(title), readable);
    files.insert(files.end(), {"play.sh", launcher});
    fs::path finished = content;
    if (endsWith(out.filename().string(), ".tar.gz")) {
        finished = scratch.path() / "archive";
        writeArchive(finished, content, files);
    }
    syncToDisk(finished);
    std::error_code error;
    fs::rename(finished, out, error);
    if (error)
        throw writeFailure("move the bundle into place at", out, error.value());
    syncOne(out.parent_path());
}

// OUT as an absolute path with no trailing "/", so that its name is its last part.
fs::path outputPath(std::string given)
{
    while (given.size() > 1 && given.back() == '/')
        given.pop_back();
    return fs::absolute(given);
}

} // namespace

int bundle(const Options &options)
{
    const GameLocation &location = options.game;
    const std::string document = (fs::path(location.folder) / location.file).string();
    if (const std::optional<std::string> why = unreadableDocument(document)) {
        std::cerr << "adventure: cannot bundle " << escapeControl(location.shown) << ": " << *why << '\n';
        return 2;
    }
    const fs::path out = outputPath(options.bundle);
    if (const std::optional<std::string> why = refusal(out, location.folder)) {
        std::cerr << "adventure: will not write the bundle " << escapeControl(options.bundle) << ": " << *why << '\n';
        return 2;
    }
    bool stopped = false;
    for (const Diagnostic &finding : checkGame(location.folder, location.file, location.shown))
        if (stopsTheBundle(finding)) {
            std::cerr << renderDiagnostic(location.shown, finding, true) << '\n';
            stopped = true;
        }
    if (stopped) {
        std::cerr << "adventure: not bundled: the player's copy would not play as the lines above say\n";
        return 1;
    }
    Game game;
    game.echo = nullptr;
    try {
        game.load(document.c_str(), location.shown);
        const auto titleText = game.title().toUtf8();
        const std::string title(titleText.begin(), titleText.end());
        const std::string launcher = launcherName(title);
        std::vector<std::string> files = game.namedFiles();
        for (std::string &voice : game.voiceFiles(location.folder))
            files.push_back(std::move(voice));
        const Contents contents = contentsOf(location, files, {"play.sh", launcher});
        writeBundle(out, contents, launcher, title);
        const std::size_t named = contents.files.size() - 1;
        std::cout << "Wrote " << escapeControl(options.bundle) << ": game.xml, " << named
                  << (named == 1 ? " file" : " files") << " it names, play.sh and " << escapeControl(launcher) << '\n';
        return 0;
    } catch (const StartupError &error) {
        std::cerr << renderDiagnostic(location.shown, game.diagnose(error)) << '\n';
    } catch (const std::runtime_error &error) {
        std::cerr << "adventure: cannot bundle " << escapeControl(location.shown) << ": " << escapeControl(error.what())
                  << '\n';
    }
    return 1;
}
