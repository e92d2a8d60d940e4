#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// A stretch of sound between silences, in seconds from the start of the capture.
struct Burst {
    double start = 0;
    double end = 0;
    // Over the middle of the burst, so fades at its edges do not count.
    double rms = 0;
    double length() const { return end - start; }
};

// What OpenAL Soft's wave writer has put in its file so far. The writer
// only finalises the header sizes when its device closes, so a file that is
// still growing is read up to wherever it ends.
class CapturedAudio {
public:
    static CapturedAudio read(const std::string &path);

    int rate() const { return sampleRate; }
    int channels() const { return channelCount; }
    int bits() const { return bitsPerSample; }
    double seconds() const;
    double rms(double from, double to) const;
    // Including one that may still be sounding at the end of the capture.
    std::vector<Burst> bursts() const;
    // Bursts that silence has followed for at least `settle` seconds.
    std::vector<Burst> finishedBursts(double settle = 0.05) const;
    std::string describeBursts() const;

private:
    int sampleRate = 0;
    int channelCount = 0;
    int bitsPerSample = 0;
    std::vector<float> samples;
};

// A condition for EngineSession::waitForAudio: `count` bursts have ended.
std::function<bool(const CapturedAudio &)> burstsHeard(std::size_t count, double settle = 0.05);
// A condition for EngineSession::waitForAudio: the latest burst, perhaps
// still sounding, has lasted at least `seconds`.
std::function<bool(const CapturedAudio &)> soundingFor(double seconds);
