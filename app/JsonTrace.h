#pragma once

#include "core/Trace.h"

#include <cstdint>
#include <functional>
#include <string>

// Turns what happens into trace lines, one JSON object each, keys in a fixed
// order and numbers written the same way on every run:
//   {"frame": 5, "event": "click", "x": 687.5, "y": 300}
//   {"frame": 5, "event": "sound", "id": "knock"}
//   {"frame": 5, "event": "path", "points": [[330, 980], [412.5, 760.125]]}
//   {"frame": 5, "event": "facing", "dir": "left"}
// Each line goes to `write` as it happens.
class JsonTrace : public TraceSink {
public:
    explicit JsonTrace(std::function<void(const std::string &line)> writeLine) : write(std::move(writeLine)) {}

    void startFrame(std::uint64_t number) override { frame = number; }
    void record(TraceEvent event, std::string_view id) override;
    void record(TraceEvent event, sf::Vector2f point) override;
    void record(TraceEvent event, const std::vector<TraceField> &fields) override;
    void recordPath(const std::vector<Point> &points) override;
    void recordFacing(std::string_view direction) override;

private:
    std::function<void(const std::string &line)> write;
    std::uint64_t frame = 0;
};
