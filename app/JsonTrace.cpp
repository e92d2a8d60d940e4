#include "app/JsonTrace.h"

#include "core/state/JsonNumber.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace {

using Json = nlohmann::ordered_json;

// Ids come from the document and need not be UTF-8; bad bytes are replaced.
std::string value(const Json &value)
{
    if (!value.is_array())
        return value.dump(-1, ' ', false, Json::error_handler_t::replace);
    std::string text = "[";
    for (auto member = value.begin(); member != value.end(); ++member)
        text += (member == value.begin() ? "" : ", ") + member->dump(-1, ' ', false, Json::error_handler_t::replace);
    return text + "]";
}

// One line, with a blank after each colon and comma for people to read.
std::string line(const Json &object)
{
    std::string text;
    for (auto item = object.begin(); item != object.end(); ++item) {
        text += text.empty() ? "{" : ", ";
        text += Json(item.key()).dump() + ": " + value(item.value());
    }
    return text + "}";
}

} // namespace

void JsonTrace::record(TraceEvent event, std::string_view id)
{
    Json object;
    object["frame"] = frame;
    object["event"] = traceName(event);
    object["id"] = std::string(id);
    write(line(object));
}

void JsonTrace::record(TraceEvent event, sf::Vector2f point)
{
    Json object;
    object["frame"] = frame;
    object["event"] = traceName(event);
    object["x"] = jsonNumber(point.x);
    object["y"] = jsonNumber(point.y);
    write(line(object));
}

void JsonTrace::record(TraceEvent event, const std::vector<TraceField> &fields)
{
    Json object;
    object["frame"] = frame;
    object["event"] = traceName(event);
    for (const TraceField &field : fields)
        std::visit([&](const auto &value) { object[field.name] = value; }, field.value);
    write(line(object));
}

namespace {

// Rounded to three decimals: paths are worked out in doubles, and the last
// digits of a nearest point need not agree across compilers.
Json rounded(double value)
{
    const double kept = std::round(value * 1000) / 1000;
    if (std::trunc(kept) == kept && std::abs(kept) < 1e15)
        return static_cast<std::int64_t>(kept);
    return kept;
}

} // namespace

void JsonTrace::recordPath(const std::vector<Point> &points)
{
    std::string list;
    for (const Point point : points)
        list += (list.empty() ? "[[" : "], [") + rounded(point.x).dump() + ", " + rounded(point.y).dump();
    Json object;
    object["frame"] = frame;
    object["event"] = traceName(TraceEvent::path);
    std::string text = line(object);
    text.insert(text.size() - 1, ", \"points\": " + list + "]]");
    write(text);
}

void JsonTrace::recordFacing(std::string_view direction)
{
    Json object;
    object["frame"] = frame;
    object["event"] = traceName(TraceEvent::facing);
    object["dir"] = std::string(direction);
    write(line(object));
}
