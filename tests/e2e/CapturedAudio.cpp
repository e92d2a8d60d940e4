#include "e2e/CapturedAudio.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// Louder than this is sound; the wave writer renders silence as exact zeros.
constexpr double loud = 0.01;
constexpr double windowSeconds = 0.01;

std::uint32_t le32(const std::string &bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::uint16_t le16(const std::string &bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

} // namespace

CapturedAudio CapturedAudio::read(const std::string &path)
{
    CapturedAudio audio;
    std::ifstream in(path, std::ios::binary);
    std::ostringstream whole;
    whole << in.rdbuf();
    const std::string bytes = whole.str();
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
        return audio;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        const std::uint32_t size = le32(bytes, at + 4);
        const std::size_t body = at + 8;
        if (id == "fmt " && body + 16 <= bytes.size()) {
            audio.channelCount = le16(bytes, body + 2);
            audio.sampleRate = static_cast<int>(le32(bytes, body + 4));
            audio.bitsPerSample = le16(bytes, body + 14);
        } else if (id == "data") {
            const std::size_t available = bytes.size() - body;
            const std::size_t length = std::min<std::size_t>(size, available) & ~std::size_t{1};
            audio.samples.reserve(length / 2);
            for (std::size_t i = 0; i < length; i += 2)
                audio.samples.push_back(static_cast<float>(static_cast<std::int16_t>(le16(bytes, body + i))) / 32768.f);
            break;
        }
        at = body + size + (size & 1u);
    }
    return audio;
}

double CapturedAudio::seconds() const
{
    if (sampleRate <= 0 || channelCount <= 0)
        return 0;
    return static_cast<double>(samples.size()) / channelCount / sampleRate;
}

double CapturedAudio::rms(double from, double to) const
{
    if (sampleRate <= 0 || channelCount <= 0)
        return 0;
    const auto frame = [&](double t) {
        return std::clamp<std::size_t>(static_cast<std::size_t>(std::max(0.0, t) * sampleRate) *
                                           static_cast<std::size_t>(channelCount),
                                       0, samples.size());
    };
    const std::size_t begin = frame(from), end = frame(to);
    if (end <= begin)
        return 0;
    double sum = 0;
    for (std::size_t i = begin; i < end; ++i)
        sum += static_cast<double>(samples[i]) * static_cast<double>(samples[i]);
    return std::sqrt(sum / static_cast<double>(end - begin));
}

std::vector<Burst> CapturedAudio::bursts() const
{
    std::vector<Burst> found;
    const double total = seconds();
    bool inside = false;
    for (double t = 0; t + windowSeconds <= total; t += windowSeconds) {
        const bool sounding = rms(t, t + windowSeconds) > loud;
        if (sounding && !inside)
            found.push_back({t, t + windowSeconds, 0});
        if (sounding)
            found.back().end = t + windowSeconds;
        inside = sounding;
    }
    for (Burst &burst : found) {
        const double margin = std::min(0.02, burst.length() / 4);
        burst.rms = rms(burst.start + margin, burst.end - margin);
    }
    return found;
}

std::vector<Burst> CapturedAudio::finishedBursts(double settle) const
{
    std::vector<Burst> all = bursts();
    const double total = seconds();
    all.erase(std::remove_if(all.begin(), all.end(), [&](const Burst &b) { return b.end + settle > total; }),
              all.end());
    return all;
}

std::string CapturedAudio::describeBursts() const
{
    std::ostringstream text;
    text << seconds() << " s captured (" << channelCount << " channels, " << sampleRate << " Hz, " << bitsPerSample
         << " bit), bursts:";
    for (const Burst &burst : bursts())
        text << " [" << burst.start << " s.." << burst.end << " s, rms " << burst.rms << "]";
    return text.str();
}

std::function<bool(const CapturedAudio &)> burstsHeard(std::size_t count, double settle)
{
    return [=](const CapturedAudio &audio) { return audio.finishedBursts(settle).size() >= count; };
}

std::function<bool(const CapturedAudio &)> soundingFor(double seconds)
{
    return [=](const CapturedAudio &audio) {
        const std::vector<Burst> sounding = audio.bursts();
        return !sounding.empty() && sounding.back().length() >= seconds;
    };
}
