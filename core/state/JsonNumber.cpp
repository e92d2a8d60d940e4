#include "core/state/JsonNumber.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

nlohmann::ordered_json jsonNumber(float value)
{
    constexpr float wholeNumbersExact = 16777216.f;
    if (std::trunc(value) == value && std::abs(value) <= wholeNumbersExact)
        return static_cast<std::int64_t>(value);
    std::array<char, 32> digits{};
    const auto written = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    double shortest = 0;
    std::from_chars(digits.data(), written.ptr, shortest);
    return shortest;
}
