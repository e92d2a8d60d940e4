#include "e2e/EngineSession.h"
#include "support/EngineRun.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

// A window that vanishes between being listed and being asked about is
// normal here; Xlib's default handler would end the test process for it.
int ignoreXError(Display *, XErrorEvent *)
{
    return 0;
}

// Where a colour component sits in a pixel value, from its mask.
struct Channel {
    unsigned long mask;
    int shift = 0;
    int bits = 0;
    explicit Channel(unsigned long m) : mask(m)
    {
        while (m && !(m & 1ul)) {
            m >>= 1;
            ++shift;
        }
        while (m & 1ul) {
            m >>= 1;
            ++bits;
        }
    }
    std::uint8_t of(unsigned long pixel) const
    {
        const unsigned long value = (pixel & mask) >> shift;
        return static_cast<std::uint8_t>(bits >= 8 ? value >> (bits - 8) : value << (8 - bits));
    }
};

// One connection for the whole test process: Xvfb now and then refuses a
// connection opened just after another one closed.
Display *sharedDisplay()
{
    static Display *display = [] {
        XSetErrorHandler(ignoreXError);
        Display *opened = nullptr;
        pollUntil(5, [&] { return (opened = XOpenDisplay(nullptr)) != nullptr; });
        return opened;
    }();
    if (!display)
        throw std::runtime_error("the end-to-end tests need an X display (run them under xvfb-run)");
    return display;
}

} // namespace

bool pollUntil(double seconds, const std::function<bool()> &condition)
{
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (condition())
            return true;
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

EngineSession::EngineSession(const std::string &gameDir, std::vector<std::string> arguments)
{
    // Writing Enter to an engine that already ended must fail, not kill the test.
    std::signal(SIGPIPE, SIG_IGN);
    display = sharedDisplay();
    io.write("alsoft.conf", "[general]\ndrivers = wave\nchannels = stereo\nsample-type = int16\n"
                            "frequency = 44100\n[wave]\nfile = " +
                                io.file("audio.wav") + "\n");
    start(gameDir, std::move(arguments));
}

EngineSession::~EngineSession()
{
    if (stdinPipe >= 0)
        close(stdinPipe);
    if (running()) {
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
    }
}

void EngineSession::start(const std::string &gameDir, std::vector<std::string> arguments)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe2 failed");
    const std::string outPath = io.file("stdout"), errPath = io.file("stderr");
    std::vector<std::string> environment;
    for (char **entry = environ; *entry; ++entry)
        if (std::strncmp(*entry, "ALSOFT_CONF=", 12) != 0)
            environment.emplace_back(*entry);
    environment.push_back("ALSOFT_CONF=" + io.file("alsoft.conf"));
    std::vector<char *> envp;
    for (std::string &entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<char *> argv = engineArgv(arguments);

    child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || chdir(gameDir.c_str()) != 0)
            _exit(126);
        dup2(fds[0], 0);
        dup2(out, 1);
        dup2(err, 2);
        execve(ADVENTURE_BINARY, argv.data(), envp.data());
        _exit(127);
    }
    close(fds[0]);
    stdinPipe = fds[1];
}

void EngineSession::reap()
{
    if (child <= 0 || exitStatus != -1)
        return;
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child)
        exitStatus = shellStatus(status);
}

bool EngineSession::running()
{
    reap();
    return child > 0 && exitStatus == -1;
}

std::string EngineSession::windowTitle(unsigned long candidate) const
{
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, candidate, netName, 0, 1024, False, utf8, &type, &format, &count, &after, &data) ==
            Success &&
        data) {
        if (type == utf8)
            title.assign(reinterpret_cast<char *>(data), count);
        XFree(data);
        if (type == utf8)
            return title;
    }
    char *name = nullptr;
    if (XFetchName(display, candidate, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

unsigned long EngineSession::findWindow(const std::string &title) const
{
    Window root = 0, parent = 0;
    Window *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    unsigned long found = 0;
    for (unsigned int i = 0; i < count && !found; ++i)
        if (windowTitle(children[i]) == title)
            found = children[i];
    if (children)
        XFree(children);
    return found;
}

testing::AssertionResult EngineSession::waitForWindow(const std::string &title, int width, int height, double seconds)
{
    std::string seen = "no window with that title";
    const bool shown = pollUntil(seconds, [&] {
        if (!running())
            return true;
        const unsigned long candidate = findWindow(title);
        XWindowAttributes attributes{};
        if (!candidate || !XGetWindowAttributes(display, candidate, &attributes))
            return false;
        seen = "a window of " + std::to_string(attributes.width) + "x" + std::to_string(attributes.height) +
               (attributes.map_state == IsViewable ? ", shown" : ", not shown");
        if (attributes.width != width || attributes.height != height || attributes.map_state != IsViewable)
            return false;
        window = candidate;
        return true;
    });
    if (shown && window)
        return testing::AssertionSuccess();
    if (!running())
        return testing::AssertionFailure()
               << "the engine ended with status " << exitStatus << " before showing its window; stderr: " << err();
    return testing::AssertionFailure() << "no window \"" << title << "\" of " << width << "x" << height << " within "
                                       << seconds << " s; last seen: " << seen;
}

Screenshot EngineSession::screenshot()
{
    XWindowAttributes attributes{};
    if (!window || !XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
        return {};
    XImage *image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image)
        return {};
    const Channel r(attributes.visual->red_mask), g(attributes.visual->green_mask), b(attributes.visual->blue_mask);
    std::vector<Rgb> pixels;
    pixels.reserve(static_cast<std::size_t>(attributes.width) * static_cast<std::size_t>(attributes.height));
    for (int y = 0; y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            pixels.push_back({r.of(pixel), g.of(pixel), b.of(pixel)});
        }
    XDestroyImage(image);
    return Screenshot(attributes.width, attributes.height, std::move(pixels));
}

void EngineSession::keepForInspection(const Screenshot &shot)
{
    if (shot.empty())
        return;
    const testing::TestInfo *test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "session";
    for (char &c : name)
        if (c == '/')
            c = '_';
    shot.save(name + "-" + std::to_string(++failures) + ".png");
}

testing::AssertionResult EngineSession::waitForScreen(const std::string &what,
                                                      const std::function<bool(const Screenshot &)> &condition,
                                                      Screenshot *last, double seconds)
{
    Screenshot shot;
    const bool reached = pollUntil(seconds, [&] {
        shot = screenshot();
        return !shot.empty() && condition(shot);
    });
    if (last)
        *last = shot;
    if (reached)
        return testing::AssertionSuccess();
    keepForInspection(shot);
    return testing::AssertionFailure() << "the window never showed " << what << " within " << seconds
                                       << " s; last screenshot: " << shot.summary()
                                       << (running() ? "" : "; the engine has ended");
}

CapturedAudio EngineSession::audio() const
{
    return CapturedAudio::read(io.file("audio.wav"));
}

testing::AssertionResult EngineSession::waitForAudio(const std::string &what,
                                                     const std::function<bool(const CapturedAudio &)> &condition,
                                                     CapturedAudio *last, double seconds)
{
    CapturedAudio captured;
    const bool reached = pollUntil(seconds, [&] {
        captured = audio();
        return condition(captured);
    });
    if (last)
        *last = captured;
    if (reached)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "the captured audio never showed " << what << " within " << seconds << " s; "
                                       << captured.describeBursts();
}

testing::AssertionResult EngineSession::waitForMoreAudio(double extra)
{
    const double from = audio().seconds();
    return waitForAudio(
        std::to_string(extra) + " s more sound",
        [&](const CapturedAudio &captured) { return captured.seconds() >= from + extra; }, nullptr, extra + 5);
}

void EngineSession::click(int x, int y, int button)
{
    const std::string id = std::to_string(window), sb = std::to_string(button);
    if (const std::string complaint =
            xdotool({"mousemove", "--window", id, std::to_string(x), std::to_string(y), "click", sb});
        !complaint.empty())
        ADD_FAILURE() << "xdotool could not click at (" << x << ", " << y << ") with button " << button << ": "
                      << complaint;
}

void EngineSession::drag(int x, int y, int toX, int toY)
{
    const std::string id = std::to_string(window);
    if (const std::string complaint =
            xdotool({"mousemove", "--window", id, std::to_string(x), std::to_string(y), "mousedown", "1", "mousemove",
                     "--window", id, std::to_string(toX), std::to_string(toY), "mouseup", "1"});
        !complaint.empty())
        ADD_FAILURE() << "xdotool could not drag from (" << x << ", " << y << ") to (" << toX << ", " << toY
                      << "): " << complaint;
}

std::string EngineSession::xdotool(const std::vector<std::string> &arguments)
{
    const std::string errPath = io.file("xdotool.err");
    std::vector<char *> argv{const_cast<char *>("xdotool")};
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    std::string complaint;
    // A refused connection means nothing was done yet, so only then is it safe to try again.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const pid_t tool = fork();
        if (tool == 0) {
            const int null = open("/dev/null", O_WRONLY);
            const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(null, 1);
            dup2(err, 2);
            execvp("xdotool", argv.data());
            _exit(127);
        }
        int status = 0;
        waitpid(tool, &status, 0);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
            return "";
        complaint = readWholeFile(errPath);
        if (complaint.find("open display") == std::string::npos)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return complaint.empty() ? "it failed and said nothing" : complaint;
}

void EngineSession::sendCloseRequest()
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

testing::AssertionResult EngineSession::waitForWindowGone(double seconds)
{
    const bool gone = pollUntil(seconds, [&] {
        XWindowAttributes attributes{};
        return !XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable;
    });
    if (gone)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "the window was still shown " << seconds << " s after the close request";
}

void EngineSession::pressEnter()
{
    if (stdinPipe < 0)
        return;
    if (write(stdinPipe, "\n", 1) != 1)
        ADD_FAILURE() << "could not write Enter to the engine: " << std::strerror(errno);
    close(stdinPipe);
    stdinPipe = -1;
}

void EngineSession::sendSignal(int signal)
{
    if (running())
        kill(child, signal);
}

int EngineSession::waitForExit(double seconds)
{
    pollUntil(seconds, [&] { return !running(); });
    return exitStatus;
}

int EngineSession::closeAndExit()
{
    sendCloseRequest();
    EXPECT_TRUE(waitForWindowGone());
    pressEnter();
    return waitForExit();
}

testing::AssertionResult EngineSession::waitForStderr(const std::string &text, double seconds)
{
    if (pollUntil(seconds, [&] { return err().find(text) != std::string::npos; }))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "stderr never held \"" << text << "\"; it holds: \"" << err() << "\"";
}

std::string EngineSession::out() const
{
    return readWholeFile(io.file("stdout"));
}

std::string EngineSession::err() const
{
    return readWholeFile(io.file("stderr"));
}
