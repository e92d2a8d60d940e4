#include "core/Trace.h"

const char *traceName(TraceEvent event)
{
    switch (event) {
    case TraceEvent::music:
        return "music";
    case TraceEvent::click:
        return "click";
    case TraceEvent::walk:
        return "walk";
    case TraceEvent::sound:
        return "sound";
    case TraceEvent::textShown:
        return "text-shown";
    case TraceEvent::textDismissed:
        return "text-dismissed";
    case TraceEvent::player:
        return "player";
    case TraceEvent::arrived:
        return "arrived";
    case TraceEvent::itemSelected:
        return "item-selected";
    case TraceEvent::itemDeselected:
        return "item-deselected";
    case TraceEvent::use:
        return "use";
    case TraceEvent::unhandledUse:
        return "unhandled-use";
    case TraceEvent::flagSet:
        return "flag-set";
    case TraceEvent::flagCleared:
        return "flag-cleared";
    case TraceEvent::itemAdded:
        return "item-added";
    case TraceEvent::itemRemoved:
        return "item-removed";
    case TraceEvent::exitPending:
        return "exit-pending";
    case TraceEvent::exitCancelled:
        return "exit-cancelled";
    case TraceEvent::sceneMissing:
        return "scene-missing";
    case TraceEvent::sceneLeave:
        return "scene-leave";
    case TraceEvent::sceneEnter:
        return "scene-enter";
    case TraceEvent::goal:
        return "goal";
    case TraceEvent::path:
        return "path";
    case TraceEvent::facing:
        return "facing";
    case TraceEvent::save:
        return "save";
    case TraceEvent::saveFailed:
        return "save-failed";
    case TraceEvent::load:
        return "load";
    case TraceEvent::loadFailed:
        return "load-failed";
    case TraceEvent::loadFallback:
        return "load-fallback";
    }
    return "unknown";
}
