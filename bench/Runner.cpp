// Runs every benchmark case, engine against bare, alternating the two, and
// prints one table of medians and ratios.
// Usage: bench_runner [--quick] [--data DIR]
//                     [--only load,shared,frame,click,startup,pacing,reload,walk,talk,solve,wrap,depth]
// Needs an X display (DISPLAY set). Programs and the example game are found
// where the build put them.

#include "Workload.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <poll.h>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Options {
    bool quick = false;
    std::string data = BENCH_DEFAULT_DATA_DIR;
    std::set<std::string> only;

    bool wants(const std::string &name) const { return only.empty() || only.count(name) > 0; }
};

struct Row {
    std::string name, engine, bare, ratio, target, met;
};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// Nearest rank.
double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(values.size())));
    return values[std::min(values.size(), std::max<std::size_t>(rank, 1)) - 1];
}

std::string format(const char *pattern, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

Row ratioRow(const std::string &name, double engine, double bare, const char *unit, double limit)
{
    const double ratio = bare > 0 ? engine / bare : 0.0;
    return {name,
            format("%.3f ", engine) + unit,
            format("%.3f ", bare) + unit,
            format("%.3f", ratio),
            format("<= %.2f", limit),
            ratio <= limit ? "yes" : "NO"};
}

// A child process's standard output; throws when it fails or runs too long.
std::string runChild(const std::vector<std::string> &command, int timeoutSeconds = 900)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        throw std::runtime_error("pipe failed");
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        const int nothing = open("/dev/null", O_RDONLY);
        dup2(nothing, STDIN_FILENO);
        std::vector<char *> argv;
        for (const std::string &word : command)
            argv.push_back(const_cast<char *>(word.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        std::perror(argv[0]);
        _exit(127);
    }
    close(pipeEnds[1]);
    std::string out;
    const Clock::time_point start = Clock::now();
    char buffer[65536];
    for (;;) {
        pollfd readable{pipeEnds[0], POLLIN, 0};
        const int left = timeoutSeconds * 1000 - static_cast<int>(millisecondsSince(start));
        if (left <= 0 || poll(&readable, 1, left) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            close(pipeEnds[0]);
            throw std::runtime_error(command[0] + " " + command[1] + " ran longer than " +
                                     std::to_string(timeoutSeconds) + " s");
        }
        const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        out.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipeEnds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::string what;
        for (const std::string &word : command)
            what += word + " ";
        throw std::runtime_error(what + "failed (status " + std::to_string(status) + ")");
    }
    return out;
}

// The numbers of every "RESULT key=value ..." line, in order.
std::vector<std::map<std::string, double>> results(const std::string &out)
{
    std::vector<std::map<std::string, double>> found;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t at = line.find("RESULT ");
        if (at == std::string::npos)
            continue;
        std::istringstream fields(line.substr(at + 7));
        std::map<std::string, double> values;
        std::string field;
        while (fields >> field)
            if (const std::size_t equals = field.find('='); equals != std::string::npos)
                values[field.substr(0, equals)] = std::atof(field.c_str() + equals + 1);
        found.push_back(values);
    }
    if (found.empty())
        throw std::runtime_error("a benchmark program printed no result");
    return found;
}

// The numbers of the "FRAMES <label> ..." line.
std::vector<double> frameTimes(const std::string &out, const std::string &label)
{
    const std::string tag = "FRAMES " + label + " ";
    const std::size_t at = out.find(tag);
    if (at == std::string::npos)
        throw std::runtime_error("a frame benchmark printed no " + label + " frame times");
    const std::size_t from = at + tag.size();
    std::istringstream numbers(out.substr(from, out.find('\n', from) - from));
    std::vector<double> times;
    for (double value; numbers >> value;)
        times.push_back(value);
    return times;
}

class Benchmarks {
public:
    explicit Benchmarks(Options chosen) : options(std::move(chosen)) {}

    void prepare()
    {
        fs::create_directories(options.data);
        const std::string conf = options.data + "/alsoft-null.conf";
        // The machines that run this have no sound card; OpenAL's null device
        // still plays, so the engine loads and plays its sounds.
        std::ofstream(conf) << "[general]\ndrivers = null\n";
        setenv("ALSOFT_CONF", conf.c_str(), 1);
        note("drawing the image pool");
        workload::prepareAssets(options.data, poolSize());
    }

    void loadCases();
    void sharedCases();
    void frameCases();
    void clickCases();
    void startupCase();
    void pacingCases();
    void reloadCase();
    void walkCases();
    void talkCases();
    void wrapCase();
    void solveCases();
    void depthCase();
    void printTable() const;

private:
    int poolSize() const { return options.quick ? 100 : 1000; }
    // Median load time and peak memory of fresh engine processes on `shape`.
    std::pair<double, double> engineLoad(const std::string &name, int sprites, const workload::Naming &naming,
                                         int repetitions);
    std::string caseDir(const std::string &name) const { return options.data + "/" + name; }
    void note(const std::string &message) const { std::fprintf(stderr, "bench: %s\n", message.c_str()); }

    Options options;
    std::vector<Row> rows;
    std::vector<std::string> notes;
};

void Benchmarks::loadCases()
{
    const std::vector<int> sizes = options.quick ? std::vector<int>{100} : std::vector<int>{100, 1000, 10000, 100000};
    const int memorySize = options.quick ? 100 : 10000;
    std::vector<double> memoryEngine, memoryBare;
    for (const int n : sizes) {
        const std::string dir = caseDir("load-" + std::to_string(n));
        workload::writeDocument(dir, {n, poolSize(), 0, true});
        const int repetitions = options.quick ? 1 : (n >= 100000 ? 3 : 9);
        // A first pair that only fills the page cache with the images.
        const int warmups = options.quick ? 0 : 1;
        std::vector<double> engine, bare;
        for (int i = 0; i < warmups + repetitions; ++i) {
            const auto a = results(runChild({BENCH_ENGINE, "load", dir})).front();
            const auto b = results(runChild({BENCH_BARE, "load", dir})).front();
            if (i < warmups)
                continue;
            engine.push_back(a.at("ms"));
            bare.push_back(b.at("ms"));
            if (n == memorySize) {
                memoryEngine.push_back(a.at("rss_kb") / 1024.0);
                memoryBare.push_back(b.at("rss_kb") / 1024.0);
            }
            note("load N=" + std::to_string(n) + ": engine " + format("%.1f", engine.back()) + " ms, bare " +
                 format("%.1f", bare.back()) + " ms");
        }
        // Each file is decoded once however many sprites name it, so where the
        // document names each ten times the engine is to do well under half
        // the bare program's work.
        const double limit = n == 10000 ? 0.5 : 1.2;
        rows.push_back(ratioRow("load N=" + std::to_string(n), median(engine), median(bare), "ms", limit));
    }
    const double engineMb = median(memoryEngine), bareMb = median(memoryBare);
    rows.push_back({"peak RSS N=" + std::to_string(memorySize), format("%.1f MiB", engineMb),
                    format("%.1f MiB", bareMb), format("%.3f", engineMb / bareMb), "report", "-"});
}

std::pair<double, double> Benchmarks::engineLoad(const std::string &name, int sprites, const workload::Naming &naming,
                                                 int repetitions)
{
    const std::string dir = caseDir(name);
    workload::writeDocument(dir, {sprites, 1, 0, false}, naming);
    std::vector<double> ms, mib;
    for (int i = 0; i < repetitions; ++i) {
        const auto run = results(runChild({BENCH_ENGINE, "load", dir})).front();
        ms.push_back(run.at("ms"));
        mib.push_back(run.at("rss_kb") / 1024.0);
    }
    note(name + ": " + format("%.1f", median(ms)) + " ms, " + format("%.1f", median(mib)) + " MiB");
    return {median(ms), median(mib)};
}

// What sharing files buys: the engine loading many elements that name one
// file against itself loading one such element, in fresh processes.
void Benchmarks::sharedCases()
{
    const int repetitions = options.quick ? 1 : 7;
    const int many = options.quick ? 100 : 1000;
    const std::string count = std::to_string(many);
    const workload::Naming largeImage{workload::largeImage, 0};
    // One unmeasured run fills the page cache with the large image.
    engineLoad("shared-image-1", 1, largeImage, 1);
    const auto [oneMs, oneMib] = engineLoad("shared-image-1", 1, largeImage, repetitions);
    const auto [manyMs, manyMib] = engineLoad("shared-image-" + count, many, largeImage, repetitions);
    rows.push_back({"load " + count + " sprites, 1 image", format("%.3f ms", manyMs), format("1: %.3f ms", oneMs),
                    format("%.3f", manyMs / oneMs), "<= 1.3x + 20ms", manyMs <= 1.3 * oneMs + 20.0 ? "yes" : "NO"});
    rows.push_back({"peak RSS " + count + " sprites", format("%.1f MiB", manyMib), format("1: %.1f MiB", oneMib),
                    format("+%.1f", manyMib - oneMib), "<= +50 MiB", manyMib <= oneMib + 50.0 ? "yes" : "NO"});

    const auto [oneTextMs, oneTextMib] = engineLoad("shared-font-1", 0, {"", 1}, repetitions);
    const auto [manyTextsMs, manyTextsMib] = engineLoad("shared-font-" + count, 0, {"", many}, repetitions);
    note("texts naming one font: 1 in " + format("%.1f", oneTextMs) + " ms, " + count + " in " +
         format("%.1f", manyTextsMs) + " ms");
    rows.push_back({"peak RSS " + count + " texts, 1 font", format("%.1f MiB", manyTextsMib),
                    format("1: %.1f MiB", oneTextMib), format("+%.1f", manyTextsMib - oneTextMib), "<= +30 MiB",
                    manyTextsMib <= oneTextMib + 30.0 ? "yes" : "NO"});

    const int fewTexts = options.quick ? 100 : 1000;
    const std::string few = std::to_string(fewTexts), tenfold = std::to_string(10 * fewTexts);
    const double fewMs = engineLoad("scene-texts-" + few, 0, {"", fewTexts}, repetitions).first;
    const double tenfoldMs = engineLoad("scene-texts-" + tenfold, 0, {"", 10 * fewTexts}, repetitions).first;
    const double growth = tenfoldMs / fewMs;
    rows.push_back({"load " + tenfold + " scene texts", format("%.3f ms", tenfoldMs),
                    few + ": " + format("%.3f ms", fewMs), format("%.3f", growth), "<= 12 (10x)",
                    growth <= 12.0 ? "yes" : "NO"});
}

void Benchmarks::frameCases()
{
    const std::vector<int> sizes = options.quick ? std::vector<int>{10} : std::vector<int>{10, 100, 1000, 10000};
    const std::string seconds = options.quick ? "0.1" : "3";
    const std::string minFrames = options.quick ? "3" : "60";
    const std::string warmup = options.quick ? "0" : "0.5";
    for (const int n : sizes) {
        const std::string dir = caseDir("frame-" + std::to_string(n));
        workload::writeDocument(dir, {n, poolSize(), 0, false});
        const std::string out = runChild({BENCH_SCENE, "frame", dir, seconds, minFrames, warmup});
        const std::vector<double> engine = frameTimes(out, "engine");
        const std::vector<double> bare = frameTimes(out, "bare");
        note("frame N=" + std::to_string(n) + ": " + std::to_string(engine.size()) + " frames each, engine median " +
             format("%.3f", median(engine)) + " ms, bare " + format("%.3f", median(bare)) + " ms");
        const std::string name = "frame N=" + std::to_string(n);
        rows.push_back(ratioRow(name + " median", median(engine), median(bare), "ms", 1.05));
        rows.push_back(ratioRow(name + " p95", percentile(engine, 0.95), percentile(bare, 0.95), "ms", 1.05));
    }
    // Every sprite names one image: the engine draws one texture, the bare
    // program still loads one texture per sprite.
    const int n = sizes.back();
    const std::string dir = caseDir("frame-shared-" + std::to_string(n));
    workload::writeDocument(dir, {n, 1, 0, false}, {workload::smallImage, workload::textCount});
    const std::string out = runChild({BENCH_SCENE, "frame", dir, seconds, minFrames, warmup});
    const std::vector<double> engine = frameTimes(out, "engine");
    const std::vector<double> bare = frameTimes(out, "bare");
    note("frame N=" + std::to_string(n) + " naming one image: engine median " + format("%.3f", median(engine)) +
         " ms, bare with a texture per sprite " + format("%.3f", median(bare)) + " ms");
    rows.push_back(ratioRow("frame N=" + std::to_string(n) + " 1 image", median(engine), median(bare), "ms", 0.6));
}

void Benchmarks::clickCases()
{
    const std::vector<int> sizes = options.quick ? std::vector<int>{100} : std::vector<int>{10, 100, 1000, 10000};
    const std::string repetitions = options.quick ? "1" : "15";
    for (const int n : sizes) {
        const std::string dir = caseDir("click-" + std::to_string(n));
        workload::writeDocument(dir, {n, poolSize(), 0, false});
        std::vector<double> engine, bare;
        for (const auto &pair : results(runChild({BENCH_SCENE, "click", dir, repetitions}))) {
            engine.push_back(pair.at("engine_ns"));
            bare.push_back(pair.at("bare_ns"));
        }
        note("click N=" + std::to_string(n) + ": engine " + format("%.2f", median(engine)) + " ns/sprite, bare " +
             format("%.2f", median(bare)) + " ns/sprite");
        rows.push_back(ratioRow("click N=" + std::to_string(n), median(engine), median(bare), "ns/sprite", 1.2));
    }
}

// Start-up is timed from outside, the same way for both programs: from the
// fork to the moment the X server holds a frame in the program's window.
class StartupWatcher {
public:
    StartupWatcher() : display(XOpenDisplay(nullptr))
    {
        if (!display)
            throw std::runtime_error("cannot open the X display; run under xvfb-run");
        // Windows vanish and change size under the watcher; a failed read is simply retried.
        XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
        const int screen = DefaultScreen(display);
        root = RootWindow(display, screen);
        // An unpainted window shows what lies below it. A black backdrop makes
        // that black, so the first non-black pixel is the program's own frame.
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.background_pixel = BlackPixel(display, screen);
        backdrop = XCreateWindow(display, root, 0, 0, static_cast<unsigned>(DisplayWidth(display, screen)),
                                 static_cast<unsigned>(DisplayHeight(display, screen)), 0, CopyFromParent, InputOutput,
                                 CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
        XMapWindow(display, backdrop);
        XSelectInput(display, root, SubstructureNotifyMask);
        XSync(display, False);
    }
    ~StartupWatcher()
    {
        XDestroyWindow(display, backdrop);
        XCloseDisplay(display);
    }
    StartupWatcher(const StartupWatcher &) = delete;
    StartupWatcher &operator=(const StartupWatcher &) = delete;

    // Milliseconds from starting `program` in `dir` to its first frame on
    // screen, with `path` as its argument when there is one.
    double measure(const std::string &program, const std::string &dir, const char *path = nullptr);

private:
    bool showsFrame(Window window, int width, int height);

    Display *display;
    Window root;
    Window backdrop;
};

bool StartupWatcher::showsFrame(Window window, int width, int height)
{
    // Four rows across the window: cheap to read, and any real frame of the
    // example game paints them.
    for (int row = 1; row < 8; row += 2) {
        XImage *image =
            XGetImage(display, window, 0, height * row / 8, static_cast<unsigned>(width), 1, AllPlanes, ZPixmap);
        if (!image)
            continue;
        bool painted = false;
        for (int x = 0; x < width && !painted; ++x)
            painted = (XGetPixel(image, x, 0) & 0xffffffu) != 0;
        XDestroyImage(image);
        if (painted)
            return true;
    }
    return false;
}

double StartupWatcher::measure(const std::string &program, const std::string &dir, const char *path)
{
    XSync(display, False);
    while (XPending(display)) {
        XEvent stale;
        XNextEvent(display, &stale);
    }
    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0)
            _exit(127);
        const int nothing = open("/dev/null", O_RDWR);
        dup2(nothing, STDIN_FILENO);
        dup2(nothing, STDOUT_FILENO);
        dup2(nothing, STDERR_FILENO);
        execl(program.c_str(), program.c_str(), path, static_cast<char *>(nullptr));
        _exit(127);
    }
    Window window = 0;
    int width = 0, height = 0;
    double elapsed = -1.0;
    while (millisecondsSince(start) < 30000.0) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && event.xmap.window != backdrop) {
                window = event.xmap.window;
                XWindowAttributes attributes{};
                XGetWindowAttributes(display, window, &attributes);
                width = attributes.width;
                height = attributes.height;
            } else if (event.type == ConfigureNotify && event.xconfigure.window == window) {
                width = event.xconfigure.width;
                height = event.xconfigure.height;
            }
        }
        if (window && showsFrame(window, width, height)) {
            elapsed = millisecondsSince(start);
            break;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            throw std::runtime_error(program + " ended before it showed a frame");
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    if (elapsed < 0)
        throw std::runtime_error(program + " showed no frame within 30 s");
    return elapsed;
}

namespace {

// The example game in `dir`, its assets and translations linked, with the
// room it starts in shown at once instead of faded in from black. The
// watcher cannot tell a black frame from none, so a fade-in times when the
// room has begun to show, not when the engine drew its first frame.
void writeUnfadedStudy(const std::string &dir)
{
    namespace fs = std::filesystem;
    const fs::path study(BENCH_STUDY_DIR);
    fs::create_directories(dir);
    for (const char *folder : {"assets", "lang"})
        if (!fs::exists(fs::path(dir) / folder))
            fs::create_directory_symlink(study / folder, fs::path(dir) / folder);
    std::ifstream in(study / "game.xml");
    std::stringstream whole;
    whole << in.rdbuf();
    std::string document = whole.str();
    const std::size_t entry = document.find("<scene sceneId=\"1\"");
    const std::size_t fade = document.find(" fadeIn=\"", entry);
    if (entry == std::string::npos || fade == std::string::npos || fade > document.find('>', entry))
        throw std::runtime_error("the example's first room no longer fades in; the start-up case needs a look");
    document.erase(fade, document.find('"', fade + 9) + 1 - fade);
    std::ofstream(fs::path(dir) / "game.xml") << document;
}

} // namespace

void Benchmarks::startupCase()
{
    StartupWatcher watcher;
    const int repetitions = options.quick ? 1 : 15;
    const int warmups = options.quick ? 0 : 1;
    // The README's own command names the game by a relative path from
    // outside its folder: the engine enters the folder only after the
    // start-up prefetch has begun.
    const std::filesystem::path study(BENCH_STUDY_DIR);
    const std::string outside = study.parent_path().parent_path().string();
    const std::string relative = (study.parent_path().filename() / study.filename()).string();
    const std::string unfaded = caseDir("startup-unfaded");
    writeUnfadedStudy(unfaded);
    std::vector<double> engine, fromOutside, withoutFade, bare;
    for (int i = 0; i < warmups + repetitions; ++i) {
        const double a = watcher.measure(BENCH_ADVENTURE, BENCH_STUDY_DIR);
        const double o = watcher.measure(BENCH_ADVENTURE, outside, relative.c_str());
        const double u = watcher.measure(BENCH_ADVENTURE, unfaded);
        const double b = watcher.measure(BENCH_BARE_STARTUP, BENCH_STUDY_DIR);
        if (i < warmups)
            continue;
        engine.push_back(a);
        fromOutside.push_back(o);
        withoutFade.push_back(u);
        bare.push_back(b);
        note("start-up: engine " + format("%.1f", a) + " ms, from outside " + format("%.1f", o) +
             " ms, first room not faded in " + format("%.1f", u) + " ms, bare " + format("%.1f", b) + " ms");
    }
    rows.push_back(ratioRow("start-up to first frame", median(engine), median(bare), "ms", 0.9));
    rows.push_back(ratioRow("start-up to first frame, relative PATH", median(fromOutside), median(bare), "ms", 0.9));
    rows.push_back(ratioRow("start-up, first room not faded in", median(withoutFade), median(bare), "ms", 0.9));
}

void Benchmarks::pacingCases()
{
    const std::string seconds = options.quick ? "0.5" : "5";
    const std::string warmup = options.quick ? "0.1" : "0.5";
    std::string deadlineRates;
    for (const int fps : {30, 60, 120}) {
        const std::string dir = caseDir("pacing-" + std::to_string(fps));
        workload::writeDocument(dir, {10, poolSize(), fps, false});
        auto rate = [&](const char *program, const char *mode) {
            return results(runChild({program, mode, dir, seconds, warmup})).front().at("fps");
        };
        const double engine = rate(BENCH_ENGINE, "pacing");
        const double bare = rate(BENCH_BARE, "pacing");
        const double deadlines = rate(BENCH_BARE, "deadlines");
        note("pacing fps=" + std::to_string(fps) + ": engine " + format("%.2f", engine) + ", bare " +
             format("%.2f", bare) + ", bare with absolute deadlines " + format("%.2f", deadlines));
        const double ratio = engine / fps;
        rows.push_back({"pacing fps=" + std::to_string(fps), format("%.2f fps", engine), format("%.2f fps", bare),
                        format("%.4f", ratio), "0.998 .. 1.002", std::fabs(ratio - 1.0) <= 0.002 ? "yes" : "NO"});
        deadlineRates +=
            (deadlineRates.empty() ? "" : ", ") + format("%.2f", deadlines) + " fps for " + std::to_string(fps);
    }
    notes.push_back("pacing: a bare loop that sleeps to absolute deadlines instead of using SFML's limit reaches " +
                    deadlineRates + ".");
}

// A save under --watch loads the game again beside the running one, then
// prints the checker's warnings. Against the same game's first load, in a
// fresh process, as the load case measures it.
void Benchmarks::reloadCase()
{
    const int n = options.quick ? 100 : 10000;
    const std::string dir = caseDir("reload-" + std::to_string(n));
    workload::writeDocument(dir, {n, poolSize(), 0, true});
    const int processes = options.quick ? 1 : 5;
    const std::string reloads = options.quick ? "1" : "4";
    // A first pair that only fills the page cache with the images.
    const int warmups = options.quick ? 0 : 1;
    std::vector<double> load, watchLoad, reload;
    for (int i = 0; i < warmups + processes; ++i) {
        const double first = results(runChild({BENCH_ENGINE, "load", dir})).front().at("ms");
        const auto watched = results(runChild({BENCH_ENGINE, "reload", dir, reloads}));
        if (i < warmups)
            continue;
        load.push_back(first);
        watchLoad.push_back(watched.front().at("first_ms"));
        for (std::size_t r = 1; r < watched.size(); ++r)
            reload.push_back(watched[r].at("reload_ms"));
        note("reload N=" + std::to_string(n) + ": first load " + format("%.1f", first) + " ms, under --watch " +
             format("%.1f", watchLoad.back()) + " ms, a reload " + format("%.1f", reload.back()) + " ms");
    }
    const double reloadMs = median(reload);
    rows.push_back({"reload N=" + std::to_string(n), format("%.3f ms", reloadMs), format("load: %.3f ms", median(load)),
                    format("%.3f", reloadMs / median(load)), "<= 500 ms", reloadMs <= 500.0 ? "yes" : "NO"});
    notes.push_back("reload: the first load under --watch (with the checker's warnings) takes " +
                    format("%.1f", median(watchLoad)) + " ms.");
}

// Conversations cost little to load, check and explore: 200 of them with
// 30 options and 6,000 lines against the same game without them.
void Benchmarks::talkCases()
{
    const int repetitions = options.quick ? 1 : 7;
    const int dialogs = options.quick ? 20 : 200;
    const workload::Naming plain{"", workload::textCount, 0};
    const workload::Naming talking{"", workload::textCount, dialogs};
    engineLoad("talk-none", dialogs, plain, 1);
    const auto [plainMs, plainMib] = engineLoad("talk-none", dialogs, plain, repetitions);
    const auto [talkMs, talkMib] = engineLoad("talk-" + std::to_string(dialogs), dialogs, talking, repetitions);
    const std::string count = std::to_string(dialogs);
    rows.push_back({"load " + count + " dialogs", format("%.1f ms", talkMs), format("none: %.1f ms", plainMs),
                    format("%.3f", talkMs / plainMs), "<= 1.5x + 50ms", talkMs <= 1.5 * plainMs + 50.0 ? "yes" : "NO"});

    const std::string dir = caseDir("talk-" + count);
    std::vector<double> checks;
    for (int i = 0; i < repetitions; ++i) {
        const Clock::time_point start = Clock::now();
        runChild({BENCH_ADVENTURE, "--check", dir});
        checks.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    rows.push_back({"check " + count + " dialogs", format("%.1f ms", median(checks)), "-", "-", "< 1000 ms",
                    median(checks) < 1000.0 ? "yes" : "NO"});

    // States a second as the solver reports them, in the dialogs and in the example's rooms.
    auto rate = [&](const std::string &game) {
        // The dialogs' once-only options give more states than the limit, which ends with status 3.
        const std::string out =
            runChild({"/bin/sh", "-c",
                      "'" + std::string(BENCH_ADVENTURE) + "' --solve '" + game + "' --max-states 200000; exit 0"});
        const std::size_t explored = out.find("explored ");
        const std::size_t in = out.find(" in ", explored);
        if (explored == std::string::npos || in == std::string::npos)
            return 0.0;
        const double states = std::stod(out.substr(explored + 9));
        const double seconds = std::stod(out.substr(in + 4));
        return seconds > 0 ? states / seconds : 0.0;
    };
    const double talkRate = rate(dir), roomRate = rate(BENCH_STUDY_DIR);
    rows.push_back({"solve " + count + " dialogs", format("%.0f states/s", talkRate),
                    format("rooms: %.0f states/s", roomRate), format("%.3f", talkRate / roomRate), ">= 1.0x",
                    talkRate >= roomRate ? "yes" : "NO"});
}

// Entering a scene builds its walk area, and its first path follows in the
// same frame: both, and a later path, against one frame at 60 fps; the
// slowest path of each build is reported beside them.
void Benchmarks::walkCases()
{
    const std::string builds = options.quick ? "1" : "15";
    std::vector<double> build, entry, path, slowest;
    for (const auto &run : results(runChild({BENCH_MOTION, "walk", builds}))) {
        build.push_back(run.at("build_ms"));
        entry.push_back(run.at("build_ms") + run.at("first_path_ms"));
        path.push_back(run.at("path_ms"));
        slowest.push_back(run.at("slowest_path_ms"));
    }
    note("walk area of 1,000 corners: build " + format("%.2f", median(build)) + " ms, build and first path " +
         format("%.2f", median(entry)) + " ms, a path " + format("%.3f", median(path)) + " ms, the slowest " +
         format("%.2f", median(slowest)) + " ms");
    const double frame = 1000.0 / 60.0;
    auto frameRow = [&](const std::string &name, double ms, double limit) {
        rows.push_back({name, format("%.3f ms", ms), format("frame: %.3f ms", frame), format("%.3f", ms / frame),
                        format("<= %.1f ms", limit), ms <= limit ? "yes" : "NO"});
    };
    frameRow("walk 1000 corners: build", median(build), 16.0);
    frameRow("walk 1000 corners: entry", median(entry), frame);
    frameRow("walk 1000 corners: path", median(path), 1.0);
    // Which corners see each other is worked out as ways first turn there: a
    // way that cannot reach its end turns everywhere it can, and pays for
    // the corners no way has turned at yet.
    rows.push_back({"walk 1000 corners: slowest", format("%.3f ms", median(slowest)), format("frame: %.3f ms", frame),
                    format("%.3f", median(slowest) / frame), "report", "-"});
}

// A text of 10,000 characters wrapped once (bench_wrap): the median of the
// runs after the first, which meets the font's glyphs cold.
void Benchmarks::wrapCase()
{
    const auto run = results(runChild({BENCH_WRAP, options.quick ? "3" : "200"})).front();
    note("wrap 10,000 characters into " + format("%.0f", run.at("lines")) + " lines: the first (glyphs cold) " +
         format("%.3f", run.at("first_ms")) + " ms, the slowest of the rest " + format("%.3f", run.at("max_ms")) +
         " ms");
    rows.push_back({"wrap 10000 characters", format("%.4f ms", run.at("median_ms")), "-",
                    format("%.3f", run.at("median_ms")), "< 1 ms", run.at("median_ms") < 1.0 ? "yes" : "NO"});
}

// The solver on its three shapes (bench_solve): the example's size to
// 300,000 states, twenty independent flags and a chain of 3,000 flags each
// explored whole. States a second by the wall clock, the processor time's
// beside it; peak memory per million states; the chain's time.
void Benchmarks::solveCases()
{
    const int runs = options.quick ? 1 : 3;
    auto solve = [&](const std::string &shape, const std::string &states) {
        std::vector<std::map<std::string, double>> found;
        for (int run = 0; run < runs; ++run)
            found.push_back(results(runChild({BENCH_SOLVE, shape, states})).front());
        // The run of median wall time stands for all.
        std::sort(found.begin(), found.end(),
                  [](const auto &a, const auto &b) { return a.at("seconds") < b.at("seconds"); });
        const std::map<std::string, double> middle = found[found.size() / 2];
        note("solve " + shape + ": " + format("%.0f", middle.at("states")) + " states in " +
             format("%.3f", middle.at("seconds")) + " s (" + format("%.3f", middle.at("cpu_seconds")) +
             " s of processor time), " + format("%.1f", middle.at("mib_per_million")) + " MiB per million states");
        return middle;
    };
    auto rateRows = [&](const std::string &shape, const std::map<std::string, double> &run, double rate, double mib) {
        const double wall = run.at("states") / run.at("seconds");
        const double cpu = run.at("states") / run.at("cpu_seconds");
        rows.push_back({"solve " + shape + ": states/s", format("%.0f /s", wall), format("cpu: %.0f /s", cpu),
                        format("%.3f", wall / rate), format(">= %.0f /s", rate), wall >= rate ? "yes" : "NO"});
        const double memory = run.at("mib_per_million");
        rows.push_back({"solve " + shape + ": memory", format("%.1f MiB/M states", memory), "-",
                        format("%.3f", memory / mib), format("<= %.0f MiB/M", mib), memory <= mib ? "yes" : "NO"});
    };
    const std::string limit = options.quick ? "2000" : "300000";
    rateRows("example", solve("example", limit), 100000, 200);
    rateRows("flags", solve("flags", options.quick ? "2000" : "2000000"), 150000, 143);
    const std::map<std::string, double> chain = solve("chain", "2000000");
    rows.push_back({"solve chain: whole", format("%.3f s", chain.at("seconds")),
                    format("cpu: %.3f s", chain.at("cpu_seconds")), format("%.3f", chain.at("seconds") / 0.3),
                    "< 0.3 s", chain.at("seconds") < 0.3 ? "yes" : "NO"});
}

// A frame of 1,000 sprites, the player walking among them, sorted by depth
// against drawn as listed (bench_depth), both in one process.
void Benchmarks::depthCase()
{
    const std::string dir = caseDir("depth");
    fs::create_directories(dir);
    const std::string frames = options.quick ? "60" : "4000";
    const std::map<std::string, double> run = results(runChild({BENCH_DEPTH, dir, frames})).front();
    note("depth: median frame " + format("%.3f", run.at("sorted_ms")) + " ms sorted, " +
         format("%.3f", run.at("listed_ms")) + " ms as listed");
    rows.push_back(ratioRow("frame 1,000 depthSort", run.at("sorted_ms"), run.at("listed_ms"), "ms", 1.1));
}

void Benchmarks::printTable() const
{
    std::printf("\n%-28s %-20s %-20s %-7s %-15s %s\n", "case", "engine", "bare", "ratio", "target", "met");
    for (const Row &row : rows)
        std::printf("%-28s %-20s %-20s %-7s %-15s %s\n", row.name.c_str(), row.engine.c_str(), row.bare.c_str(),
                    row.ratio.c_str(), row.target.c_str(), row.met.c_str());
    std::printf("\nratio: engine / bare (pacing: engine / the document's fps; rows naming one file: many elements "
                "against one, both the engine's). %s\n",
                options.quick ? "Quick mode: one run each with small N; the timings mean nothing."
                              : "Medians over alternating engine and bare runs.");
    for (const std::string &line : notes)
        std::printf("%s\n", line.c_str());
}

Options parse(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--quick") {
            options.quick = true;
        } else if (argument == "--data" && i + 1 < argc) {
            options.data = argv[++i];
        } else if (argument == "--only" && i + 1 < argc) {
            std::istringstream names(argv[++i]);
            for (std::string name; std::getline(names, name, ',');)
                options.only.insert(name);
        } else {
            throw std::runtime_error(
                "usage: bench_runner [--quick] [--data DIR] "
                "[--only load,shared,frame,click,startup,pacing,reload,walk,talk,solve,wrap,depth]");
        }
    }
    return options;
}

} // namespace

int main(int argc, char **argv)
{
    try {
        const Clock::time_point start = Clock::now();
        const Options options = parse(argc, argv);
        const char *display = std::getenv("DISPLAY");
        if (!display || !*display)
            throw std::runtime_error("DISPLAY is not set: run bench/run.sh, which starts a virtual display");
        Benchmarks benchmarks(options);
        benchmarks.prepare();
        const std::vector<std::pair<std::string, std::function<void()>>> cases{
            {"load", [&] { benchmarks.loadCases(); }},      {"shared", [&] { benchmarks.sharedCases(); }},
            {"frame", [&] { benchmarks.frameCases(); }},    {"click", [&] { benchmarks.clickCases(); }},
            {"startup", [&] { benchmarks.startupCase(); }}, {"pacing", [&] { benchmarks.pacingCases(); }},
            {"reload", [&] { benchmarks.reloadCase(); }},   {"walk", [&] { benchmarks.walkCases(); }},
            {"talk", [&] { benchmarks.talkCases(); }},      {"solve", [&] { benchmarks.solveCases(); }},
            {"wrap", [&] { benchmarks.wrapCase(); }},       {"depth", [&] { benchmarks.depthCase(); }},
        };
        for (const auto &[name, run] : cases)
            if (options.wants(name))
                run();
        benchmarks.printTable();
        std::printf("total time: %.1f s\n", millisecondsSince(start) / 1000.0);
        return 0;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "bench_runner: %s\n", error.what());
        return 1;
    }
}
