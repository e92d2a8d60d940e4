#include "core/text/Format.h"

#include <stdexcept>
#include <string>

namespace {

// The largest text size at which every printable ASCII character of a font
// still fits the graphics library's glyph page (16384 pixels square here):
// measured with DejaVu Sans, all fit at 2048 and some are drawn as nothing
// from 2300 on. A size outside is ignored, with a warning, and the current
// one kept.
constexpr double maxCharacterSize = 2048;
// Larger windows fail to open on common drivers, and a larger document value
// is a slip, not a wish.
constexpr double maxWindowSize = 8192;
constexpr double maxVolume = 100;
constexpr double maxColorComponent = 255;
// Ten seconds at sixty frames: a longer fade is a slip, not a wish.
constexpr double maxFadeFrames = 600;

// The transform every placed image reads, on its asset and on a scene child.
constexpr AttributeFormat position{"position", Syntax::pair, false, "0, 0", "where it is placed"};
constexpr AttributeFormat scale{"scale", Syntax::pair, false, "1, 1", "scale factors"};
constexpr AttributeFormat origin{"origin", Syntax::pair, false, "1, 1", "the image's own point placed at the position"};
constexpr AttributeFormat rotation{"rotation", Syntax::integer, false, "0", "rotation in whole degrees"};
constexpr AttributeFormat source{"src", Syntax::text, false, "none", "the file, under the asset path"};
// Animation: a sheet of cells and a loop through them.
constexpr AttributeFormat frameSize{"frameSize", Syntax::cellSize, false, "the whole image",
                                    "width and height of one cell of the image"};
constexpr AttributeFormat frames{"frames", Syntax::cells, false, "none: no loop", "the cells the sprite loops through"};
constexpr AttributeFormat delay{"delay", Syntax::count, false, "6", "frames of play each cell shows"};
constexpr AttributeFormat facing{"facing", Syntax::facing, false, "down", "the way the player faces at the start"};

std::vector<ElementFormat> buildFormat()
{
    return {
        {"root",
         {{"entryScene", Syntax::integer, true, "", "sceneId of the scene that is played"},
          {"width", Syntax::integer, true, "", "window width in pixels", 1, maxWindowSize, false, true},
          {"height", Syntax::integer, true, "", "window height in pixels", 1, maxWindowSize, false, true},
          {"title", Syntax::text, true, "", "window title (UTF-8)"},
          {"fps", Syntax::integer, true, "", "frame-rate limit; 0 or -1 means none"},
          {"goal", Syntax::condition, false, "none", "the game is won the first time it holds"},
          {"unhandledUseText", Syntax::textId, false, "none", "shown when a selected item is used where it has no use"},
          {"cursor", Syntax::spriteId, false, "the system cursor", "the sprite whose image follows the pointer"},
          {"keyboardPlay", Syntax::boolean, false, "false",
           "true: Tab, Shift+Tab, Enter, Escape and Space play the game"},

          {"saveName", Syntax::text, false, "none: the game does not save",
           "turns saving on; names the save folder (letters, digits, - and _; at most 64)"},
          {"gameVersion", Syntax::text, false, "empty", "written into every save, for the player and the author"},
          {"press", Syntax::text, false, "all", "top: a press reaches only the topmost sprite hover names"},
          {"actOnArrival", Syntax::boolean, false, "false",
           "true: a press acts once the walk to its walkTo (else to the point) ends"},
          {"lookButton", Syntax::text, false, "none", "right: the right button looks instead of acting"},
          {"unhandledLookText", Syntax::textId, false, "none", "shown by a look at a sprite without a look of its own"},
          {"useText", Syntax::textId, false, "none",
           "the label while an item is held: {item} and {target} replaced by their names"},
          {"dialogMenu", Syntax::point, false, "40, 800", "top-left of the first row of a conversation's menu"},
          {"dialogRowHeight", Syntax::decimal, false, "56", "height of a row of a conversation's menu", 0, std::nullopt,
           true, true},
          {"startSequence", Syntax::sequenceId, false, "none",
           "the cutscene a new game (not a loaded one) starts with"},
          {"goalSequence", Syntax::sequenceId, false, "none", "the cutscene run when the goal is first reached"},
          {"waitCursor", Syntax::spriteId, false, "the usual cursor", "the cursor while a cutscene runs"},
          {"aspect", Syntax::text, false, "stretch",
           "keep: the square world drawn as large as the window holds, centred, with black bars"},
          {"baseLanguage", Syntax::text, false, "none (required with <languages>)",
           "the id of the language the document's texts are written in"},
          {"baseVoice", Syntax::text, false, "none: no voice",
           "the voice files of the base language, {id} replaced by a text's id (\"voice/en/{id}.ogg\")"}}},
        {"assets", {{"path", Syntax::text, true, "", "folder that every src is read from"}}},
        {"sprite",
         {{"id", Syntax::text, false, "none: the asset is skipped", "the name scenes place it by"},
          source,
          position,
          scale,
          origin,
          rotation,
          frameSize,
          frames,
          delay}},
        {"audio",
         {{"id", Syntax::text, false, "none: the asset is skipped", "the name music and click hooks use"},
          source,
          position,
          scale,
          origin,
          rotation,
          {"volume", Syntax::decimal, false, "100", "loudness", 0, maxVolume},
          {"pitch", Syntax::decimal, false, "1", "pitch factor", 0, std::nullopt, true}}},
        {"text",
         {{"id", Syntax::text, false, "none: the asset is skipped", "the name scenes and click hooks use"},
          {"src", Syntax::text, false, "none", "the font file, under the asset path"},
          position,
          scale,
          origin,
          rotation,
          {"size", Syntax::integer, false, "15", "character size", 0, maxCharacterSize},
          {"color", Syntax::list, false, "255, 255, 255, 255", "red, green, blue, alpha", 0, maxColorComponent},
          {"wrap", Syntax::decimal, false, "none: lines break only where written",
           "widest line in world units: lines break at blanks, a longer word between characters", 1, std::nullopt,
           false, true},
          {"box", Syntax::list, false, "none", "red, green, blue, alpha of a rectangle drawn behind the text", 0,
           maxColorComponent, false, true},
          {"boxPadding", Syntax::decimal, false, "12", "world units the box reaches past the text on each side", 0,
           std::nullopt, false, true},
          {"outline", Syntax::list, false, "none", "red, green, blue, alpha of a line round each character", 0,
           maxColorComponent, false, true},
          {"outlineThickness", Syntax::decimal, false, "2", "width of the outline", 0, std::nullopt, false, true}}},
        {"player",
         {{"id", Syntax::text, false, "none", "not used"},
          source,
          position,
          scale,
          origin,
          rotation,
          {"speed", Syntax::integer, false, "10", "unit steps per frame", 0},
          frameSize,
          {"walkDown", Syntax::cells, false, "none", "cells of the walk cycle facing down"},
          {"walkLeft", Syntax::cells, false, "walkRight mirrored", "cells of the walk cycle facing left"},
          {"walkRight", Syntax::cells, false, "walkLeft mirrored", "cells of the walk cycle facing right"},
          {"walkUp", Syntax::cells, false, "walkDown", "cells of the walk cycle facing up"},
          {"delay", Syntax::count, false, "6", "frames of walking each cell shows"},
          facing}},
        {"state", {}},
        {"flag",
         {{"id", Syntax::text, true, "", "the flag's name (letters, digits, _ - .)"},
          {"set", Syntax::boolean, false, "false", "true: set as the game starts"},
          {"formerly", Syntax::idList, false, "none", "names the flag had before, read from older saves"}}},
        {"item",
         {{"id", Syntax::text, true, "", "the item's name (letters, digits, _ - .)"},
          {"icon", Syntax::spriteId, false, "none", "the sprite whose image the inventory bar shows"},
          {"name", Syntax::textId, false, "none", "the text that names the item"},
          {"held", Syntax::boolean, false, "false", "true: in the inventory as the game starts"},
          {"look", Syntax::textId, false, "none", "the text a look at it on the bar shows"},
          {"formerly", Syntax::idList, false, "none", "names the item had before, read from older saves"}}},
        {"inventory",
         {{"position", Syntax::point, false, "0, 0", "top-left corner of the first slot"},
          {"slotSize", Syntax::point, true, "", "width and height of a slot"},
          {"columns", Syntax::integer, false, "1", "slots in a row", 1, std::nullopt, false, true}}},
        {"scene",
         {{"sceneId", Syntax::integer, true, "", "compared with entryScene"},
          {"leftLevelLimit", Syntax::integer, false, "0", "leftmost point the player is sent to", 0, worldSize},
          {"upperLevelLimit", Syntax::integer, false, "0", "topmost point the player is sent to", 0, worldSize},
          {"rightLevelLimit", Syntax::integer, false, "the window width", "rightmost point the player is sent to", 0,
           worldSize},
          {"lowerLevelLimit", Syntax::integer, false, "the window height", "lowest point the player is sent to", 0,
           worldSize},
          {"music", Syntax::audioId, false, "none", "audio played once when the scene starts"},
          {"volume", Syntax::decimal, false, "the audio's own", "loudness of the music", 0, maxVolume},
          {"pitch", Syntax::decimal, false, "the audio's own", "pitch of the music", 0, std::nullopt, true},
          {"onEnterText", Syntax::textId, false, "none", "shown on entering the scene"},
          {"onFirstEnterText", Syntax::textId, false, "onEnterText", "shown on entering it the first time"},
          {"musicLoop", Syntax::boolean, false, "false", "true: the music this scene starts loops"},
          {"onEnterSequence", Syntax::sequenceId, false, "none",
           "the cutscene run on entering the scene, once its entry text is put away"},
          {"onFirstEnterSequence", Syntax::sequenceId, false, "onEnterSequence",
           "the cutscene run on entering it the first time"},
          {"walkArea", Syntax::points, false, "none: the level limits", "the polygon the player walks in"},
          {"walkHoles", Syntax::pointGroups, false, "none", "polygons inside the walk area the player walks round"},
          {"depthSort", Syntax::boolean, false, "false",
           "true: the player and the children with a baseline drawn lowest baseline first, at the player's place"},
          {"playerScale", Syntax::points, false, "none: the player's own size",
           "y1, s1, y2, s2: the player's scale (and speed) is s1 at y1 and s2 at y2, linear between, held "
           "outside; each scale above 0"},
          {"fadeIn", Syntax::integer, false, "0", "frames of the fade from black on entering", 0, maxFadeFrames, false,
           true},
          {"fadeOut", Syntax::integer, false, "0", "frames of the fade to black before a door leaves", 0, maxFadeFrames,
           false, true},
          {"inventory", Syntax::text, false, "shown", "hidden: no bar is drawn or pressed in the scene"}}},
        {"scene child",
         {{"position", Syntax::pair, false, "the asset's", "where the sprite (and a text) is placed"},
          {"scale", Syntax::pair, false, "the asset's", "scale factors"},
          {"origin", Syntax::pair, false, "the asset's", "the image's own point placed at the position"},
          {"rotation", Syntax::integer, false, "the asset's", "rotation in whole degrees"},
          {"onClickAudio", Syntax::audioId, false, "none", "the sound a click plays"},
          {"onClickText", Syntax::textId, false, "none", "the text a click shows"},
          {"volume", Syntax::decimal, false, "the audio's own", "loudness of the click sound", 0, maxVolume},
          {"pitch", Syntax::decimal, false, "the audio's own", "pitch of the click sound", 0, std::nullopt, true},
          {"speed", Syntax::integer, false, "the player's own",
           "the player's (or a sprite's, walked by a cutscene) steps per frame", 0},
          {"textPosition", Syntax::pair, false, "position", "where the text appears"},
          {"size", Syntax::integer, false, "the text's own", "character size of the text", 0, maxCharacterSize},
          {"src", Syntax::presence, false, "absent", "present: the text loads its font again"},
          {"if", Syntax::condition, false, "always", "drawn and clicked only while it holds"},
          {"setFlag", Syntax::idList, false, "none", "flags a click sets"},
          {"clearFlag", Syntax::idList, false, "none", "flags a click clears"},
          {"giveItem", Syntax::idList, false, "none", "items a click puts in the inventory"},
          {"takeItem", Syntax::idList, false, "none", "items a click takes out of it"},
          {"onClickScene", Syntax::sceneId, false, "none", "the scene a click goes to"},
          {"walkTo", Syntax::point, false, "none",
           "where the player walks before going, talking or, without either, the click acting"},
          {"fromScene", Syntax::sceneId, false, "any", "on a player: placed so only coming from that scene"},
          {"frames", Syntax::cells, false, "the asset's", "the cells the sprite loops through"},
          {"delay", Syntax::count, false, "the asset's", "frames of play (or of walking) each cell shows"},
          {"facing", Syntax::facing, false, "the player's own", "the way the player faces"},
          {"hoverText", Syntax::textId, false, "none", "the text shown while the pointer or the focus is on it"},
          {"hoverCursor", Syntax::spriteId, false, "the root's cursor", "the cursor while the pointer is on it"},
          {"onClickDialog", Syntax::dialogId, false, "none", "the conversation a click starts, after its effects"},
          {"onClickSequence", Syntax::sequenceId, false, "none",
           "the cutscene a click starts, after its effects (and the walk to walkTo)"},
          {"onLookText", Syntax::textId, false, "none", "the text a look shows"},
          {"onLookAudio", Syntax::audioId, false, "none", "the sound a look plays"},
          {"baseline", Syntax::decimal, false, "none",
           "with the scene's depthSort: the world y it is sorted by against the player's feet", 0, worldSize}}},
        {"use",
         {{"item", Syntax::text, true, "", "the item used, or * for any"},
          {"if", Syntax::condition, false, "always", "the use counts only while it holds"},
          {"onClickAudio", Syntax::audioId, false, "none", "the sound the use plays"},
          {"onClickText", Syntax::textId, false, "none", "the text the use shows"},
          {"setFlag", Syntax::idList, false, "none", "flags the use sets"},
          {"clearFlag", Syntax::idList, false, "none", "flags the use clears"},
          {"giveItem", Syntax::idList, false, "none", "items the use gives"},
          {"takeItem", Syntax::idList, false, "none", "items the use takes"},
          {"onClickScene", Syntax::sceneId, false, "none", "the scene the use goes to"},
          {"walkTo", Syntax::point, false, "none", "where the player walks before going"},
          {"onClickDialog", Syntax::dialogId, false, "none", "the conversation the use starts, after its effects"},
          {"onClickSequence", Syntax::sequenceId, false, "none",
           "the cutscene the use starts, after its effects (and the walk to walkTo)"}}},
        {"dialogs", {}},
        {"dialog", {{"id", Syntax::text, true, "", "the conversation's name (letters, digits, _ -)"}}},
        {"say",
         {{"text", Syntax::textId, true, "", "the line"},
          {"by", Syntax::text, false, "none: at the text's own position",
           "player, or the sprite asset the line is said above"},
          {"if", Syntax::condition, false, "always", "said only while it holds"},
          {"audio", Syntax::audioId, false, "none", "the sound played as the line shows"}}},
        {"option",
         {{"id", Syntax::text, true, "", "the option's name in its dialog (letters, digits, _ -)"},
          {"text", Syntax::textId, true, "", "the row the menu shows"},
          {"if", Syntax::condition, false, "always", "offered only while it holds"},
          {"once", Syntax::boolean, false, "false", "true: offered until it is chosen"},
          {"then", Syntax::text, false, "return", "after its lines: return (the menu), stop or goto"},
          {"to", Syntax::dialogId, false, "none", "with then=\"goto\": the dialog that goes on"},
          {"setFlag", Syntax::idList, false, "none", "flags choosing it sets"},
          {"clearFlag", Syntax::idList, false, "none", "flags choosing it clears"},
          {"giveItem", Syntax::idList, false, "none", "items choosing it gives"},
          {"takeItem", Syntax::idList, false, "none", "items choosing it takes"}}},
        {"sequences", {}},
        {"sequence",
         {{"id", Syntax::text, true, "", "the cutscene's name (letters, digits, _ -)"},
          {"skippable", Syntax::boolean, false, "true", "false: Escape does not skip it"}}},
        {"sequence say",
         {{"text", Syntax::textId, true, "", "the line"},
          {"by", Syntax::text, false, "none: at the text's own position",
           "player, or the sprite asset the line is said above"},
          {"audio", Syntax::audioId, false, "none", "the sound played as the line shows"},
          {"frames", Syntax::count, false, "none: it waits for a press", "frames of play the line shows"}}},
        {"walk",
         {{"who", Syntax::text, false, "player",
           "player, or the asset id of an active sprite of the scene, walked at its speed and put back as the "
           "cutscene ends"},
          {"to", Syntax::point, true, "", "where the walk ends"}}},
        {"wait", {{"frames", Syntax::count, true, "", "frames of play it waits"}}},
        {"play", {{"audio", Syntax::audioId, true, "", "the sound played (not waited for)"}}},
        {"do",
         {{"if", Syntax::condition, false, "always", "the effects apply only while it holds"},
          {"setFlag", Syntax::idList, false, "none", "flags it sets"},
          {"clearFlag", Syntax::idList, false, "none", "flags it clears"},
          {"giveItem", Syntax::idList, false, "none", "items it gives"},
          {"takeItem", Syntax::idList, false, "none", "items it takes"}}},
        {"animate",
         {{"sprite", Syntax::spriteId, true, "", "an active sprite of the scene with that asset id"},
          {"frames", Syntax::cells, true, "", "the cells of its sheet played once, then its own animation again"},
          {"delay", Syntax::count, false, "6", "frames of play each cell shows"}}},
        {"fade",
         {{"to", Syntax::text, true, "", "black (darken) or clear (lighten again)"},
          {"frames", Syntax::count, true, "", "frames of play the fade lasts"}}},
        {"sequence scene", {{"to", Syntax::sceneId, true, "", "the scene changed to, as a door changes it"}}},
        {"talk", {{"dialog", Syntax::dialogId, true, "", "the conversation run; the step ends when it ends"}}},
        {"languages", {}},
        {"language",
         {{"id", Syntax::text, true, "", "what --lang names it by (letters, digits, _ -)"},
          {"name", Syntax::text, false, "empty", "the language's own name for it"},
          {"src", Syntax::text, true, "", "its translation file, from the game's folder"},
          {"font", Syntax::text, false, "none: each text's own",
           "a font file, from the game's folder, that every text uses while the language is on"},
          {"voice", Syntax::text, false, "none: no voice",
           "its voice files, from the game's folder, {id} replaced by a text's id"}}},
    };
}

} // namespace

const std::vector<ElementFormat> &gameFormat()
{
    static const std::vector<ElementFormat> format = buildFormat();
    return format;
}

const ElementFormat &formatOf(std::string_view kind)
{
    for (const ElementFormat &format : gameFormat())
        if (kind == format.kind)
            return format;
    throw std::logic_error("no element kind " + std::string(kind) + " in the format");
}

const AttributeFormat *findAttribute(const ElementFormat &format, std::string_view name)
{
    for (const AttributeFormat &attribute : format.attributes)
        if (name == attribute.name)
            return &attribute;
    return nullptr;
}

const char *syntaxName(Syntax syntax)
{
    switch (syntax) {
    case Syntax::integer:
        return "integer";
    case Syntax::decimal:
        return "decimal";
    case Syntax::pair:
        return "pair";
    case Syntax::list:
        return "list";
    case Syntax::text:
        return "text";
    case Syntax::audioId:
        return "audio id";
    case Syntax::textId:
        return "text id";
    case Syntax::presence:
        return "presence";
    case Syntax::condition:
        return "condition";
    case Syntax::idList:
        return "id list";
    case Syntax::point:
        return "point";
    case Syntax::boolean:
        return "true or false";
    case Syntax::sceneId:
        return "scene id";
    case Syntax::spriteId:
        return "sprite id";
    case Syntax::points:
        return "points";
    case Syntax::pointGroups:
        return "point lists";
    case Syntax::cells:
        return "cell list";
    case Syntax::cellSize:
        return "size";
    case Syntax::count:
        return "count";
    case Syntax::facing:
        return "direction";
    case Syntax::dialogId:
        return "dialog id";
    case Syntax::sequenceId:
        return "sequence id";
    }
    return "text";
}

bool inRange(const AttributeFormat &attribute, double value)
{
    if (attribute.min && (attribute.aboveMin ? !(value > *attribute.min) : !(value >= *attribute.min)))
        return false;
    return !(attribute.max && value > *attribute.max);
}

namespace {

std::string number(double value)
{
    return std::to_string(static_cast<long long>(value));
}

} // namespace

std::string rangeText(const AttributeFormat &attribute)
{
    if (attribute.min && attribute.max)
        return number(*attribute.min) + " to " + number(*attribute.max);
    if (attribute.min)
        return (attribute.aboveMin ? "above " : "") + number(*attribute.min) + (attribute.aboveMin ? "" : " or more");
    return {};
}
