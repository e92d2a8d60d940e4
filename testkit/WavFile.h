#pragma once

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// 16-bit mono PCM WAV files written by hand. Tests, benchmarks and the fuzz
// target make their sounds this way: creating an audio object of the
// multimedia library would open the sound device in the process that only
// prepares files, and children that capture audio must open their own.

inline std::string wavBytes(const std::vector<std::int16_t> &samples, std::uint32_t rate)
{
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string wav;
    auto put = [&wav](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            wav.push_back(static_cast<char>((value >> (8 * i)) & 0xffu));
    };
    wav += "RIFF";
    put(36 + dataBytes, 4);
    wav += "WAVEfmt ";
    put(16, 4);
    put(1, 2);
    put(1, 2);
    put(rate, 4);
    put(rate * 2, 4);
    put(2, 2);
    put(16, 2);
    wav += "data";
    put(dataBytes, 4);
    for (const std::int16_t sample : samples)
        put(static_cast<std::uint16_t>(sample), 2);
    return wav;
}

// A sine tone at 44.1 kHz, `amplitude` of full scale.
inline void writeTone(const std::string &path, double seconds, double frequency, double amplitude)
{
    constexpr std::uint32_t rate = 44100;
    const auto count = static_cast<std::size_t>(seconds * rate);
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = static_cast<std::int16_t>(
            std::lround(amplitude * 32767.0 * std::sin(2.0 * 3.14159265358979 * frequency * double(i) / rate)));
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << wavBytes(samples, rate);
}
