#pragma once

#include "e2e/CapturedAudio.h"
#include "e2e/Screenshot.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

using Display = struct _XDisplay;

// The engine binary running in a game folder, driven through the X server
// as a person would: it is found by its title, clicked with xdotool, looked
// at with XGetImage and closed with the window manager's close message. Its
// sound goes to a WAV file through OpenAL Soft's wave writer. Whatever
// happens, the destructor leaves no process behind.
class EngineSession {
public:
    explicit EngineSession(const std::string &gameDir, std::vector<std::string> arguments = {});
    ~EngineSession();
    EngineSession(const EngineSession &) = delete;
    EngineSession &operator=(const EngineSession &) = delete;

    // Waits until a window with this title is shown at this size.
    testing::AssertionResult waitForWindow(const std::string &title, int width, int height, double seconds = 10);
    Screenshot screenshot();
    // Polls the window every 20 ms until `condition` holds; `last` receives
    // the final screenshot either way.
    testing::AssertionResult waitForScreen(const std::string &what,
                                           const std::function<bool(const Screenshot &)> &condition,
                                           Screenshot *last = nullptr, double seconds = 5);

    CapturedAudio audio() const;
    testing::AssertionResult waitForAudio(const std::string &what,
                                          const std::function<bool(const CapturedAudio &)> &condition,
                                          CapturedAudio *last = nullptr, double seconds = 5);
    // Waits until `extra` more seconds of sound have been captured, so that
    // something that did not happen would have had time to be heard.
    testing::AssertionResult waitForMoreAudio(double extra);

    // Moves the pointer to a window pixel and presses a button there (1 left,
    // 2 middle, 3 right). The engine reads the pointer's position when it
    // handles the press, so the caller must wait for the click's effect
    // before moving the pointer again.
    void click(int x, int y, int button = 1);
    // Presses the left button at one window pixel, moves the pointer to
    // another (which may be outside the window) and releases it there.
    void drag(int x, int y, int toX, int toY);
    // What the window manager sends when the close button is pressed.
    void sendCloseRequest();
    testing::AssertionResult waitForWindowGone(double seconds = 5);

    bool running();
    // Sends the engine a signal, as Ctrl-C (SIGINT) or a service manager (SIGTERM) does.
    void sendSignal(int signal);
    void pressEnter();
    // The exit status, or -1 if the engine did not end in time.
    int waitForExit(double seconds = 10);
    // Close button, Enter, exit: the status.
    int closeAndExit();
    testing::AssertionResult waitForStderr(const std::string &text, double seconds = 10);

    std::string out() const;
    std::string err() const;
    // The engine window's title as the window system has it now.
    std::string title() const { return windowTitle(window); }

private:
    void start(const std::string &gameDir, std::vector<std::string> arguments);
    void reap();
    unsigned long findWindow(const std::string &title) const;
    std::string windowTitle(unsigned long window) const;
    void keepForInspection(const Screenshot &shot);
    // Runs xdotool with `arguments`; what it complained of, or nothing.
    std::string xdotool(const std::vector<std::string> &arguments);

    TempDir io;
    Display *display = nullptr;
    pid_t child = -1;
    int exitStatus = -1;
    int stdinPipe = -1;
    unsigned long window = 0;
    int failures = 0;
};

// Polls `condition` every 20 ms for up to `seconds`.
bool pollUntil(double seconds, const std::function<bool()> &condition);
