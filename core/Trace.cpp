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
    case TraceEvent::path:
        return "path";
    case TraceEvent::facing:
        return "facing";
    }
    return "unknown";
}
