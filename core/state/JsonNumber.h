#pragma once

#include <nlohmann/json.hpp>

// A float as the trace and the saves write it: a whole number as an integer
// while a float holds every whole number up to it exactly (2^24), and any
// other as the shortest decimal that reads back as the same float, not as
// the float widened to a double.
nlohmann::ordered_json jsonNumber(float value);
