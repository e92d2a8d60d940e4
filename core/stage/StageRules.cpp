#include "core/stage/StageRules.h"

#include "core/text/Format.h"
#include "core/text/Lists.h"
#include "core/text/StartupError.h"
#include "core/text/StrictValues.h"

#include <algorithm>
#include <sstream>
#include <string>

namespace {

// One of two words; the first means true.
bool readChoice(const Attribute *attribute, const char *yes, const char *no)
{
    const std::string_view value(attribute->value(), attribute->value_size());
    if (value == yes)
        return true;
    if (value == no)
        return false;
    throw StartupError("\"" + std::string(attribute->name()) + "\" is \"" + std::string(value) + "\"; write \"" + yes +
                           "\" or \"" + no + "\"",
                       attribute->value());
}

int readFadeFrames(const Attribute *attribute)
{
    static const AttributeFormat &range = *findAttribute(formatOf("scene"), "fadeIn");
    const int frames = parseStrictInteger(attribute);
    if (!inRange(range, frames))
        throw StartupError("\"" + std::string(attribute->name()) + "\" must be " + rangeText(range) + " frames",
                           attribute->value());
    return frames;
}

std::string written(double value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

DepthScale readDepthScale(const Attribute *attribute)
{
    const std::vector<std::pair<double, double>> points = readPoints(attribute);
    if (points.size() != 2)
        throw StartupError("\"playerScale\" is written \"y1, s1, y2, s2\": two depths, each with its scale",
                           attribute->value());
    for (const auto &[y, scale] : points)
        if (!(scale > 0))
            throw StartupError("\"playerScale\" has the scale " + written(scale) + ", but a scale must be above 0",
                               attribute->value());
    return {static_cast<float>(points[0].first), static_cast<float>(points[0].second),
            static_cast<float>(points[1].first), static_cast<float>(points[1].second)};
}

} // namespace

float DepthScale::at(float y) const
{
    if (y1 == y2)
        return y < y1 ? s1 : s2;
    const float lower = std::min(y1, y2);
    const float upper = std::max(y1, y2);
    const float held = std::clamp(y, lower, upper);
    return s1 + (s2 - s1) * (held - y1) / (y2 - y1);
}

void StageBook::read(Node *root)
{
    if (const Attribute *aspect = hasAttribute(root, "aspect"))
        keepAspect = readChoice(aspect, "keep", "stretch");
    Node *all = getChild(root, "scenes");
    for (Node *scene = all ? all->first_node() : nullptr; scene; scene = scene->next_sibling()) {
        if (!isElement(scene))
            continue;
        SceneStage stage;
        if (const Attribute *sorted = hasAttribute(scene, "depthSort"))
            stage.depthSort = parseBoolean(sorted);
        if (const Attribute *scale = hasAttribute(scene, "playerScale")) {
            stage.playerScale = readDepthScale(scale);
            scalesPlayer = true;
        }
        if (const Attribute *in = hasAttribute(scene, "fadeIn"))
            stage.fadeIn = readFadeFrames(in);
        if (const Attribute *out = hasAttribute(scene, "fadeOut"))
            stage.fadeOut = readFadeFrames(out);
        if (const Attribute *bar = hasAttribute(scene, "inventory"))
            stage.inventoryHidden = readChoice(bar, "hidden", "shown");
        for (Node *child = scene->first_node(); child; child = child->next_sibling())
            if (isElement(child))
                if (const Attribute *baseline = hasAttribute(child, "baseline"))
                    baselines.emplace(child, parseDecimal(baseline));
        if (stage.depthSort || stage.playerScale || stage.fadeIn || stage.fadeOut || stage.inventoryHidden)
            scenes.emplace(scene, stage);
    }
}

const SceneStage &StageBook::scene(const Node *sceneNode) const
{
    static const SceneStage plain;
    const auto found = scenes.find(sceneNode);
    return found == scenes.end() ? plain : found->second;
}

std::optional<float> StageBook::baseline(const Node *child) const
{
    const auto found = baselines.find(child);
    if (found == baselines.end())
        return std::nullopt;
    return found->second;
}
