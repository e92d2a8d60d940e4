#pragma once

#include <optional>

// The picture darkening to black or lightening from it, counted in frames of
// play as everything that moves is, so replays show the same frames. A fade
// to black that a door began holds the door's scene until it ends.
struct Fade {
    enum class Kind { none, in, out };

    Kind kind = Kind::none;
    int frames = 0;
    int elapsed = 0;
    // A fade begun before the first frame (the entry scene's) starts counting in it.
    bool held = false;
    // A cutscene's fade: the picture is clear again once the cutscene ends.
    bool fromCutscene = false;
    std::optional<int> exitTo;

    bool running() const { return kind != Kind::none && elapsed < frames; }
    // How much of the picture is hidden: 0 clear to 1 black.
    float darkness() const
    {
        if (kind == Kind::none)
            return 0.f;
        const float done = frames > 0 ? static_cast<float>(elapsed) / static_cast<float>(frames) : 1.f;
        return kind == Kind::out ? done : 1.f - done;
    }
    void advance()
    {
        if (held)
            held = false;
        else if (running())
            ++elapsed;
    }
};
